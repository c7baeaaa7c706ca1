#pragma once
// Component file installation: copies the server's files from the unpacked
// "setup.Dat" (the extraction folder) into the installation folder, unpacks
// the optional component archives beside the setup program, fills in the
// templates, registers the two Access data sources and runs the anti-virus
// vendor's setup library. An upgrade keeps what it must not lose (databases,
// the web server's and web mail's settings, the local anti-spam rules, the
// LDAP server's configuration) and replaces everything else.
//
// Failures are silent unless named fatal: a fatal copy or an unreadable
// "setupav.dat" / "setupweb.dat" shows an error box and ends Setup with 1603.

#include <functional>
#include <string>
#include <vector>

namespace tovex {

struct SetupContext;

// What file installation needs from the rest of the installation. The driver
// fills these (DefaultInstallHooks gives the archive reader and the ODBC
// calls); tests put their own in. An empty function is skipped: an empty
// ExtractArchive fails, an empty DataSourceExists answers "exists".
struct InstallHooks {
  // The Installing page: caption of the phase, one step of the progress bar.
  std::function<void(const std::string& caption)> SetPhaseCaption;
  std::function<void()> StepProgress;
  // Unpacks a whole archive into a folder (overwrite, keep-list as the
  // archive reader takes them); false when the archive could not be read.
  std::function<bool(const std::string& archive, const std::string& folder, bool overwrite,
                     const std::string& keepList)>
      ExtractArchive;
  std::function<bool(const std::string& name)> DataSourceExists;
  std::function<bool(const std::string& name, const std::string& database)> CreateAccessDataSource;
};

// The archive reader (through the context's files port and setup log) and,
// with a registry port, the ODBC calls of system/odbc.h; the captions and the
// progress bar are the driver's to fill.
InstallHooks DefaultInstallHooks(SetupContext& context);

// The run's values that file installation reads and sets, beside the
// program-wide ones in SetupContext (InstallPath, SetupFolder, the flags).
struct FileInstallation {
  std::string ExtractionFolder;     // unpacked "setup.Dat", ends with "\"
  bool RemoveOldAntivirus = false;  // the installation being upgraded is older than 8.2.7
  InstallHooks hooks;
  // Set when the web mail was installed in this run; the program group then
  // adds the web mail documentation shortcut.
  bool WebMailInstalled = false;
};

// The program files every installation has, copied in this order; a failure
// is fatal.
inline constexpr const char* kCoreProgramFiles[] = {
    "smtp.exe", "pop3.exe", "control.exe", "config.exe", "dnsquery.exe", "tool.exe",  "sendmail.exe",
    "api.dll",  "libeay32.dll", "libssl32.dll", "db.dll", "ldap32.dll", "regex.dll"};

// The LDAP server's configuration and data, which an upgrade never replaces.
inline constexpr const char* kLdapKeepList =
    ";slapd.conf;schema\\corba.schema;schema\\core.schema;schema\\cosine.schema;"
    "schema\\inetorgperson.schema;schema\\java.schema;schema\\krb5-kdc.schema;schema\\misc.schema;"
    "schema\\nadf.schema;schema\\nis.schema;schema\\openldap.schema;ldbm\\dn2id.dbb;"
    "ldbm\\id2entry.dbb;ldbm\\nextid.dbb;ldbm\\objectClass.dbb;";

// An archive beside Setup that InstallFiles reads for the chosen
// components: setupav.dat and setupweb.dat are unpacked into the extraction
// folder first, the others straight into the installation folder.
struct ComponentArchive {
  std::string path;
  bool unpackedInExtractionFolder = false;
};

// The archives the chosen components will read: setupweb.dat whenever web
// mail is chosen (without it the installation cannot go on), the optional
// ones only when they lie beside Setup.
std::vector<ComponentArchive> ComponentArchives(SetupContext& context);

// Creates InstallPath with its parents; when that fails, shows
// "Directory could not be created: " with the system's text and ends Setup.
// Outside the program files folder the new folder gets that folder's
// protection (Administrators and SYSTEM full control, users read and
// execute). An existing folder whose security lets ordinary users write is
// logged as a warning.
void EnsureInstallFolder(SetupContext& context);

// Copies source folder + name over target folder + name (whose attributes are
// cleared first, so a read-only file is replaced). The target folder must
// exist. A failed fatal copy shows "File copy error" with the system's text
// and the name, and ends Setup; otherwise the result says whether it worked.
bool CopyInstallFile(SetupContext& context, const std::string& name, const std::string& sourceFolder,
                     const std::string& targetFolder, bool fatal);

// Copies every file below sourceRoot + relativeFolder (hidden, system and
// read-only ones too) to InstallPath + relativeFolder, creating folders as
// needed; each copy is fatal. A missing source folder copies nothing.
void CopyInstallTree(SetupContext& context, const std::string& sourceRoot, const std::string& relativeFolder);

// Writes the template into the target folder (same file name), replacing in
// each line the first "%%installpath%%" by InstallPath and then the first
// "%%temppath%%" by TempPath. A relative source is taken from the extraction
// folder. Silent on every failure.
void InstallTemplateFile(SetupContext& context, const FileInstallation& run, const std::string& sourcePath,
                         const std::string& targetFolder);

// The Windows folder (the setup folder when the system names none) + "temp\".
std::string TempPath(SetupContext& context);

// The whole file installation, after "setup.Dat" was unpacked into the
// extraction folder. Advances the progress bar twice.
void InstallFiles(SetupContext& context, FileInstallation& run);

// The folder trees, databases, data sources and anti-virus engine (part of
// InstallFiles).
void InstallComponentFolders(SetupContext& context, FileInstallation& run);

// Deletes the program files and folders of every component whose flag says
// it is not installed, also when they stem from an earlier installation.
// Other files of such a component (its data) stay.
void RemoveDeselectedComponents(SetupContext& context);

}  // namespace tovex
