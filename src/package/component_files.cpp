#include "package/component_files.h"

#include <string>
#include <utility>

#include "common/context.h"
#include "common/folders.h"
#include "common/paths.h"
#include "common/setup_log.h"
#include "common/text.h"
#include "localization/setup_strings.h"
#include "package/antivirus_engine.h"
#include "package/extract_archive.h"
#include "platform/files.h"
#include "platform/system.h"
#include "platform/user.h"
#include "system/odbc.h"

namespace tovex {

namespace {

Files& FilesOf(SetupContext& context) { return *context.platform.files; }

void Log(SetupContext& context, const std::string& line) {
  if (context.log != nullptr) context.log->Write(line);
}

void LogFailure(SetupContext& context, const std::string& what, uint32_t code) {
  if (context.log != nullptr) context.log->Failure(what, code, context.platform.system->ErrorText(code));
}

// An error box owned by the wizard window, then the end of Setup.
[[noreturn]] void Fatal(SetupContext& context, const std::string& text) {
  Log(context, "Fatal: " + text);
  context.platform.user->ShowMessage(text, context.strings->cError, MessageButtons::Ok, MessageIcon::Error, true);
  EndSetup(context, kExitFatal);
}

// The system's message without the line break FormatMessage ends it with, so
// that the message box shows exactly one line break after it.
std::string SystemText(SetupContext& context, uint32_t code) {
  return TrimRight(context.platform.system->ErrorText(code));
}

void Caption(FileInstallation& run, const std::string& text) {
  if (run.hooks.SetPhaseCaption) run.hooks.SetPhaseCaption(text);
}

void Progress(FileInstallation& run) {
  if (run.hooks.StepProgress) run.hooks.StepProgress();
}

bool Extract(SetupContext& context, FileInstallation& run, const std::string& archive, const std::string& folder,
             bool overwrite, const std::string& keepList = {}) {
  const bool ok = run.hooks.ExtractArchive && run.hooks.ExtractArchive(archive, folder, overwrite, keepList);
  Log(context, (ok ? "Unpacked " : "Could not unpack ") + archive + " into " + folder);
  return ok;
}

// "setupav.dat" and "setupweb.dat" must unpack, or the component would be
// half installed.
void ExtractOrEnd(SetupContext& context, FileInstallation& run, const std::string& archive,
                  const std::string& folder) {
  if (!Extract(context, run, archive, folder, true)) Fatal(context, context.strings->cErrorDataFile);
}

void EnsureDataSource(SetupContext& context, FileInstallation& run, const std::string& name,
                      const std::string& database) {
  if (!run.hooks.DataSourceExists || run.hooks.DataSourceExists(name)) return;
  const bool ok = run.hooks.CreateAccessDataSource && run.hooks.CreateAccessDataSource(name, database);
  Log(context, (ok ? "Created data source " : "Could not create data source ") + name + " for " + database);
}

// A folder of the installation, none of whose parts below the installation
// folder may be a link: files copied there would land in the link's target.
void MakeInstallFolder(SetupContext& context, const std::string& relativeFolder) {
  if (!ForceDirectoriesBelow(FilesOf(context), context.InstallPath, relativeFolder)) {
    LogFailure(context, "Creating folder " + context.InstallPath + relativeFolder, FilesOf(context).LastError());
  }
}

// Nothing Setup writes into the installation folder goes through a link
// planted there: every part of the target's path below the installation
// folder (below its own folder for a target elsewhere) that is a link is
// removed as a link first. False when a link stays.
bool ClearWayTo(SetupContext& context, const std::string& target) {
  const std::string& install = context.InstallPath;
  const bool below = !install.empty() && target.size() > install.size() &&
                     SameText(std::string_view(target).substr(0, install.size()), install);
  const std::string root = below ? install : ExtractFilePath(target);
  return RemoveLinksBelow(FilesOf(context), root, target.substr(root.size()));
}

// Files an earlier release kept in the installation folder itself now live
// in config\; one that config\ already has stays where it is.
void MoveLegacyConfigurationFiles(SetupContext& context) {
  Files& files = FilesOf(context);
  for (const char* name : {"cert.pem", "cert.dat", "default.ini", "db.ini"}) {
    const std::string from = context.InstallPath + name;
    if (!files.FileExists(from)) continue;
    if (IsLink(files, from)) {  // a link is no file of an earlier release, and moving it could move its target
      Log(context, from + " is a link and stays where it is");
      continue;
    }
    const std::string to = context.InstallPath + "config\\" + name;
    if (files.Move(from, to)) {
      Log(context, "Moved " + from + " to " + to);
    } else {
      LogFailure(context, "Moving " + from + " to " + to, files.LastError());
    }
  }
}

// Keeps the anti-spam administrator's own rules: the numbered rule files of
// the package (names beginning with 1 to 6) replace the installed ones
// wholesale, while the packaged "local.cf" must never replace the local one.
void PrepareSpamRules(SetupContext& context, FileInstallation& run) {
  Files& files = FilesOf(context);
  if (!files.FolderExists(context.InstallPath + "spam\\rules\\")) return;
  for (char digit = '1'; digit <= '6'; ++digit) {
    // Also tries to remove the folder, which works only if it became empty;
    // the packaged rules recreate it then.
    DeleteTreeBelow(files, context.InstallPath, "spam\\rules\\", std::string(1, digit) + "*.*", false);
  }
  DeleteFileOrLink(files, run.ExtractionFolder + "spam\\rules\\local.cf");
}

void InstallCalendar(SetupContext& context, FileInstallation& run) {
  Files& files = FilesOf(context);
  const std::string source = run.ExtractionFolder + "calendar\\";
  const std::string target = context.InstallPath + "calendar\\";
  if (files.FolderExists(target)) {
    // An existing groupware keeps its data; only its definition, holidays
    // and documentation are refreshed.
    CopyInstallFile(context, "calendar.xml", source, target, false);
    CopyInstallTree(context, run.ExtractionFolder, "calendar\\holidays\\");
    CopyInstallTree(context, run.ExtractionFolder, "calendar\\doc\\");
  } else {
    CopyInstallTree(context, run.ExtractionFolder, "calendar\\");
  }
  if (!files.FileExists(target + "calendar.mdb")) {
    CopyInstallFile(context, "calendar.mdb", source, target, true);
  }
  EnsureDataSource(context, run, "PolvaneCalendar", target + "calendar.mdb");
}

void InstallAntivirus(SetupContext& context, FileInstallation& run) {
  Files& files = FilesOf(context);
  const std::string archive = context.SetupFolder + "setupav.dat";
  if (!files.FileExists(archive) || context.flags.NoInstallAV) return;
  Caption(run, context.strings->cInstallingAV);
  const std::string unpacked = run.ExtractionFolder + "avast\\";
  ExtractOrEnd(context, run, archive, unpacked);
  const std::string engineFolder = context.InstallPath + "avast";
  if (files.FolderExists(engineFolder) && run.RemoveOldAntivirus) {
    DeleteTreeBelow(files, context.InstallPath, "avast\\", "", true);
  }
  const std::string installedLibraryFolder = engineFolder + "\\setup\\";
  if (!files.FileExists(installedLibraryFolder + kEngineSetupLibrary)) {
    RunEngineInstaller(context, unpacked, engineFolder);
  }
  RunEngineFileUpdate(context, installedLibraryFolder);
  DeleteTree(files, unpacked, "", true);
}

void InstallWebMail(SetupContext& context, FileInstallation& run) {
  Files& files = FilesOf(context);
  run.WebMailInstalled = true;
  Caption(run, context.strings->cInstallingWeb);

  // An empty "control.exe.local" makes Windows load control.exe's libraries
  // from its own folder first (library redirection).
  const std::string redirection = context.InstallPath + "control.exe.local";
  std::unique_ptr<OutputFile> file;
  if (ClearWayTo(context, redirection) && (file = files.CreateForWriting(redirection))) {
    file->Close();
  } else {
    LogFailure(context, "Creating " + redirection, files.LastError());
  }

  const std::string unpacked = run.ExtractionFolder + "webmail\\";
  ExtractOrEnd(context, run, context.SetupFolder + "setupweb.dat", unpacked);
  if (!files.FileExists(context.InstallPath + "webmail\\config\\settings.dat")) {
    InstallTemplateFile(context, run, "webmail\\settings.dat", context.InstallPath + "webmail\\config\\");
  }
  DeleteFileOrLink(files, unpacked + "settings.dat");

  // The web mail's pages are served from html\mail\: copy them there by
  // pointing InstallPath at it for the one tree, restored however it ends.
  // The way there must hold no link, as the copy checks only below it.
  if (!RemoveLinksBelow(files, context.InstallPath, "html\\mail\\")) {
    LogFailure(context, "Removing a link in " + context.InstallPath + "html\\mail\\", files.LastError());
    Fatal(context, FormatText(context.strings->cErrorFile, {SystemText(context, files.LastError()), "html\\mail\\"}));
  }
  {
    struct Restore {
      std::string& path;
      std::string saved;
      ~Restore() { path = std::move(saved); }
    } restore{context.InstallPath, context.InstallPath};
    context.InstallPath = restore.saved + "html\\mail\\";
    CopyInstallTree(context, unpacked + "html\\", "");
  }
  DeleteTree(files, unpacked + "html\\", "", true);
  // Projects are the package's, never the user's: replaced entirely.
  DeleteTreeBelow(files, context.InstallPath, "webmail\\projects\\", "", true);
  CopyInstallTree(context, run.ExtractionFolder, "webmail\\");
  DeleteTree(files, unpacked, "", true);
}

// Below the program files folder a new folder inherits its protection. One
// with "." or ".." parts cannot be told to lie there.
bool BelowProgramFiles(Files& files, const std::string& folder) {
  const std::string programFiles = IncludeTrailingBackslash(files.ProgramFilesFolder());
  if (programFiles.size() <= 1 || folder.find("\\.") != std::string::npos) return false;
  return folder.size() > programFiles.size() &&
         SameText(std::string_view(folder).substr(0, programFiles.size()), programFiles);
}

// The services run from the installation folder as the local system
// account: elsewhere it gets the protection the program files folder has,
// so that no ordinary user can replace a program there.
bool CreateInstallFolder(SetupContext& context) {
  Files& files = FilesOf(context);
  const std::string folder = ExcludeTrailingBackslash(context.InstallPath);
  if (BelowProgramFiles(files, context.InstallPath)) {
    if (!ForceDirectories(files, folder)) return false;
    Log(context, "Created the installation folder " + context.InstallPath);
    return true;
  }
  const std::string parent = ExcludeTrailingBackslash(ExtractFilePath(folder));
  if (parent.size() > 2 && !ForceDirectories(files, parent)) return false;
  if (!files.MakeProtectedFolder(folder, FolderProtection::LikeProgramFiles)) return false;
  Log(context, "Created the installation folder " + context.InstallPath +
                   " with the protection of the program files folder");
  return true;
}

}  // namespace

InstallHooks DefaultInstallHooks(SetupContext& context) {
  InstallHooks hooks;
  hooks.ExtractArchive = [&context](const std::string& archive, const std::string& folder, bool overwrite,
                                    const std::string& keepList) {
    return ExtractArchive(context, archive, folder, overwrite, keepList);
  };
  if (context.platform.registry != nullptr) {
    hooks.DataSourceExists = [&context](const std::string& name) { return DataSourceExists(context, name); };
    hooks.CreateAccessDataSource = [&context](const std::string& name, const std::string& database) {
      CreateAccessDataSource(context, name, database);
      return DataSourceExists(context, name);
    };
  }
  return hooks;
}

std::vector<ComponentArchive> ComponentArchives(SetupContext& context) {
  Files& files = FilesOf(context);
  const std::string& setup = context.SetupFolder;
  std::vector<ComponentArchive> archives;
  auto present = [&](const std::string& name, bool chosen, bool viaExtraction) {
    if (chosen && files.FileExists(setup + name)) archives.push_back({setup + name, viaExtraction});
  };
  present("setupav.dat", !context.flags.NoInstallAV, true);
  if (!context.flags.NoInstallWebMail) archives.push_back({setup + "setupweb.dat", true});
  present("setupldap.dat", true, false);
  present("setupphp.dat", true, false);
  present("other.dat", true, false);
  return archives;
}

void EnsureInstallFolder(SetupContext& context) {
  Files& files = FilesOf(context);
  const std::string& install = context.InstallPath;
  if (files.FolderExists(install)) {
    if (files.OrdinaryUsersMayWrite(install).value_or(false)) {
      Log(context, "Warning: the security of the installation folder " + install +
                       " lets ordinary users write there, and the services run from it as the local system "
                       "account; give it the protection of the program files folder");
    }
    return;
  }
  if (CreateInstallFolder(context)) return;
  const uint32_t code = files.LastError();
  LogFailure(context, "Creating the installation folder " + install, code);
  Fatal(context, context.strings->cErrorDir + SystemText(context, code));
}

bool CopyInstallFile(SetupContext& context, const std::string& name, const std::string& sourceFolder,
                     const std::string& targetFolder, bool fatal) {
  Files& files = FilesOf(context);
  const std::string source = IncludeTrailingBackslash(sourceFolder) + name;
  const std::string target = IncludeTrailingBackslash(targetFolder) + name;
  bool copied = ClearWayTo(context, target);
  if (copied) {
    // A read-only, hidden or system file would refuse to be replaced.
    if (files.FileExists(target)) files.SetAttributes(target, attr::kNormal);
    copied = files.Copy(source, target, false);
  }
  if (copied) {
    Log(context, "Copied " + target);
    return true;
  }
  const uint32_t code = files.LastError();
  LogFailure(context, "Copying " + source + " to " + target, code);
  if (fatal) Fatal(context, FormatText(context.strings->cErrorFile, {SystemText(context, code), name}));
  return false;
}

void CopyInstallTree(SetupContext& context, const std::string& sourceRoot, const std::string& relativeFolder) {
  Files& files = FilesOf(context);
  const std::string source = IncludeTrailingBackslash(sourceRoot) + relativeFolder;
  const std::string target = context.InstallPath + relativeFolder;
  for (const FileEntry& entry : files.List(source, "*.*")) {
    if (entry.IsLink()) {
      Log(context, "Not copied: " + source + entry.name + " is a link");
    } else if (entry.IsFolder()) {
      CopyInstallTree(context, sourceRoot, relativeFolder + entry.name + "\\");
    } else {
      MakeInstallFolder(context, relativeFolder);
      CopyInstallFile(context, entry.name, source, target, true);
    }
  }
}

std::string TempPath(SetupContext& context) {
  std::string windows = FilesOf(context).WindowsFolder();
  if (windows.empty()) windows = context.SetupFolder;
  return IncludeTrailingBackslash(windows) + "temp\\";
}

void InstallTemplateFile(SetupContext& context, const FileInstallation& run, const std::string& sourcePath,
                         const std::string& targetFolder) {
  Files& files = FilesOf(context);
  const std::string tempPath = TempPath(context);
  ForceDirectories(files, targetFolder);
  ForceDirectories(files, tempPath + "cache\\");

  const bool absolute = sourcePath.starts_with('\\') || sourcePath.starts_with('/') ||
                        sourcePath.find(':') != std::string::npos;
  const std::string source = absolute ? sourcePath : run.ExtractionFolder + sourcePath;
  auto input = files.OpenForReading(source);
  if (!input) {
    LogFailure(context, "Reading the template " + source, files.LastError());
    return;
  }
  std::string text;
  char buffer[8192];
  size_t got = 0;
  while (input->Read(buffer, sizeof buffer, got) && got > 0) text.append(buffer, got);

  const std::string target = IncludeTrailingBackslash(targetFolder) + ExtractFileName(source);
  std::unique_ptr<OutputFile> output;
  if (ClearWayTo(context, target)) output = files.CreateForWriting(target);
  if (!output) {
    LogFailure(context, "Writing " + target, files.LastError());
    return;
  }
  // Text-file lines: ended by CR LF, a lone LF or a lone CR; every line is
  // written back with CR LF, the last one too.
  std::string result;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find_first_of("\r\n", at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    at = end;
    if (at < text.size()) at += text.compare(at, 2, "\r\n") == 0 ? 2 : 1;
    for (const auto& [token, value] : {std::pair<std::string, std::string>{"%%installpath%%", context.InstallPath},
                                       std::pair<std::string, std::string>{"%%temppath%%", tempPath}}) {
      const size_t found = line.find(token);
      if (found != std::string::npos) line.replace(found, token.size(), value);
    }
    result += line + "\r\n";
  }
  if (output->Write(result.data(), result.size()) && output->Close()) {
    Log(context, "Wrote " + target + " from its template");
  } else {
    LogFailure(context, "Writing " + target, files.LastError());
  }
}

void InstallComponentFolders(SetupContext& context, FileInstallation& run) {
  Files& files = FilesOf(context);
  const std::string& from = run.ExtractionFolder;
  for (const char* folder : {"doc\\", "modules\\", "html\\", "wizards\\"}) CopyInstallTree(context, from, folder);

  if (!files.FolderExists(context.InstallPath + "spam\\")) CopyInstallTree(context, from, "spam\\");
  if (!files.FileExists(context.InstallPath + "spam\\challenge.mdb")) {
    CopyInstallFile(context, "challenge.mdb", from + "spam\\", context.InstallPath + "spam\\", true);
  }
  EnsureDataSource(context, run, "PolvaneSpamChallenge", context.InstallPath + "spam\\challenge.mdb");
  PrepareSpamRules(context, run);
  CopyInstallTree(context, from, "spam\\rules\\");

  InstallCalendar(context, run);

  for (const char* folder : {"api\\", "tutorial\\", "examples\\", "xml\\"}) CopyInstallTree(context, from, folder);

  Progress(run);
  InstallAntivirus(context, run);
}

void InstallFiles(SetupContext& context, FileInstallation& run) {
  Files& files = FilesOf(context);
  const std::string& from = run.ExtractionFolder;
  const std::string& install = context.InstallPath;
  Caption(run, context.strings->cInstallFiles);
  for (const char* folder : {"config\\", "xml\\", "doc\\"}) MakeInstallFolder(context, folder);

  CopyInstallFile(context, "info.xml", context.SetupFolder, install + "xml\\", false);
  CopyInstallFile(context, "setup.lng", context.SetupFolder, install, false);
  for (const char* name : kCoreProgramFiles) CopyInstallFile(context, name, from, install, true);
  CopyInstallFile(context, "polvanecom.dll", from, install, false);
  for (const char* name : {"im.exe", "cal.exe"}) {
    if (files.FileExists(from + name)) CopyInstallFile(context, name, from, install, true);
  }
  MoveLegacyConfigurationFiles(context);
  if (!files.FileExists(install + "config\\cert.pem")) {
    CopyInstallFile(context, "cert.pem", from, install + "config\\", false);
  }

  InstallComponentFolders(context, run);

  CopyInstallFile(context, "readme.txt", context.SetupFolder, install + "doc\\", true);
  CopyInstallFile(context, "releasenotes.txt", context.SetupFolder, install + "doc\\", true);
  if (!files.FileExists(install + "config\\webserver.dat")) {
    InstallTemplateFile(context, run, from + "webserver.dat", install + "config\\");
  }

  // The installation keeps a copy of Setup, which the uninstall entry runs.
  // Run from the installation folder itself, Setup is that copy already
  // (and copying a running program onto itself fails).
  const std::string program = ExtractFileName(context.platform.system->ProgramPath());
  if (!SameText(IncludeTrailingBackslash(context.SetupFolder), install)) {
    CopyInstallFile(context, program, context.SetupFolder, install, true);
  }

  const std::string ldap = context.SetupFolder + "setupldap.dat";
  if (files.FileExists(ldap)) {
    MakeInstallFolder(context, "ldap\\");
    Extract(context, run, ldap, install + "ldap\\", false, kLdapKeepList);
  }

  const std::string php = context.SetupFolder + "setupphp.dat";
  if (files.FileExists(php)) {
    MakeInstallFolder(context, "php\\");
    Extract(context, run, php, install + "php\\", true);
    std::string windows = files.WindowsFolder();
    if (windows.empty()) windows = context.SetupFolder;
    InstallTemplateFile(context, run, install + "php\\wmi.ini", windows);
    DeleteFileOrLink(files, install + "php\\wmi.ini");
  }
  Progress(run);

  if (!context.flags.NoInstallWebMail) InstallWebMail(context, run);

  const std::string other = context.SetupFolder + "other.dat";
  if (files.FileExists(other)) Extract(context, run, other, install, true);
}

void RemoveDeselectedComponents(SetupContext& context) {
  Files& files = FilesOf(context);
  const std::string& install = context.InstallPath;
  const ComponentFlags& flags = context.flags;
  auto remove = [&](const char* name) {
    if (DeleteFileOrLink(files, install + name)) Log(context, "Removed " + install + name);
  };
  if (flags.NoInstallMail) {
    remove("smtp.exe");
    remove("pop3.exe");
  }
  if (flags.NoInstallControl) remove("control.exe");
  if (flags.NoInstallIM) remove("im.exe");
  if (flags.NoInstallCalendar) remove("cal.exe");
  if (flags.NoInstallWebMail) DeleteTreeBelow(files, install, "html\\mail\\", "", true);
  if (flags.NoInstallAV) DeleteTreeBelow(files, install, "avast", "", true);
  if (flags.NoInstallIAS) DeleteTreeBelow(files, install, "spam\\", "", true);
}

}  // namespace tovex
