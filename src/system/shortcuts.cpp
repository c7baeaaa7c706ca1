#include "system/shortcuts.h"

#include "common/context.h"
#include "common/folders.h"
#include "common/paths.h"
#include "common/setup_log.h"
#include "common/text.h"
#include "localization/setup_strings.h"
#include "platform/shell.h"
#include "platform/system.h"

namespace tovex {

namespace {

constexpr size_t kLinkDescCount = 5;

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  for (const std::string& line : Split(text, "\n")) lines.push_back(Trim(line));
  return lines;
}

std::string GroupFolder(const std::string& programsFolder, const std::string& productName) {
  return IncludeTrailingBackslash(programsFolder) + productName + "\\";
}

}  // namespace

std::vector<std::string> LinkDescNames(const std::string& linkDesc) {
  const std::vector<std::string> defaults = SplitLines(SetupStrings{}.LinkDesc);
  std::vector<std::string> names = SplitLines(linkDesc);
  names.resize(kLinkDescCount);
  for (size_t i = 0; i < kLinkDescCount; ++i) {
    if (names[i].empty()) names[i] = defaults[i];
  }
  return names;
}

std::vector<ProgramGroupShortcut> ProgramGroupShortcuts(const SetupStrings& strings, const std::string& installDir,
                                                        const std::string& programFileName,
                                                        bool webMailInstalled, bool isWindowsNT) {
  const std::string dir = IncludeTrailingBackslash(installDir);
  const std::string self = dir + programFileName;
  const std::vector<std::string> names = LinkDescNames(strings.LinkDesc);

  std::vector<ProgramGroupShortcut> shortcuts = {
      {names[0], dir + "config.exe", "", 0},
      {names[1], dir + "doc\\readme.txt", "", 0},
      {names[2], dir + "doc\\manual.chm", "", 0},
      {names[3], dir + "dnsquery.exe", "", 0},
      {names[4], dir + "tutorial\\index.html", "", 0},
      {strings.UninstallDesc, self, "/UNINSTALL", kUninstallIconIndex},
  };
  if (webMailInstalled) shortcuts.push_back({strings.cWebMailManual, dir + strings.cWebMailManualFile, "", 0});
  if (!isWindowsNT) {
    // Console branch: the servers are ordinary programs the user starts.
    shortcuts.push_back({strings.TovexSMTPLinkDesc, dir + "smtp.exe", "", 0});
    shortcuts.push_back({strings.TovexPOP3LinkDesc, dir + "pop3.exe", "", 0});
    shortcuts.push_back({strings.TovexControlLinkDesc, dir + "control.exe", "", 0});
    shortcuts.push_back({strings.TovexIMLinkDesc, dir + "im.exe", "", 0});
    shortcuts.push_back({strings.TovexGWLinkDesc, dir + "cal.exe", "", 0});
  }
  shortcuts.push_back({strings.cTovexWebmail, self, "/WEBMAILLOGON", kWebIconIndex});
  shortcuts.push_back({strings.cTovexWebAdmin, self, "/WEBADMINLOGON", kWebIconIndex});
  return shortcuts;
}

bool CreateShortcut(SetupContext& context, const std::string& target, const std::string& linkPath,
                    const std::string& arguments, int iconIndex) {
  ShellLink link;
  link.target = target;
  link.arguments = arguments;
  if (iconIndex != 0) {
    link.iconPath = target;
    link.iconIndex = iconIndex;
  }
  Shell& shell = *context.platform.shell;
  if (shell.SaveLink(linkPath, link)) {
    if (context.log != nullptr) context.log->Write("Shortcut: " + linkPath + " -> " + target);
    return true;
  }
  if (context.log != nullptr) {
    const uint32_t code = shell.LastError();
    context.log->Failure("Creating shortcut " + linkPath, code,
                         context.platform.system != nullptr ? context.platform.system->ErrorText(code) : "");
  }
  return false;
}

std::string CreateProgramGroup(SetupContext& context, MainFormRegistries& registries,
                               const ProgramGroupInputs& inputs) {
  const SetupStrings& strings = *context.strings;
  Files& files = *context.platform.files;
  if (inputs.setPhaseCaption) inputs.setPhaseCaption(strings.cCreatingIcons);

  // The group folder is named after the product. A translation that empties
  // the name would turn "rebuild the group" into "empty the whole Programs
  // folder", so without a name there is no group; the records are still written.
  if (Trim(strings.cName).empty()) {
    if (context.log != nullptr) context.log->Write("Shortcuts: the product name is empty; no program group made");
    WriteInstallationRecord(context, registries, inputs.user);
    return std::string();
  }

  // A per-user group left by an earlier installation goes; none is made.
  TAdvancedRegistry& shellFolders = registries.AdvancedRegistry;
  shellFolders.SetRegistryRootKey(TRegistryKey::hkCURRENT_USER);
  const std::string userPrograms = shellFolders.ReadString(strings.cInstallProgram);
  if (!userPrograms.empty()) DeleteTree(files, GroupFolder(userPrograms, strings.cName), "*.*", true);

  shellFolders.SetRegistryRootKey(TRegistryKey::hkLOCAL_MACHINE);
  std::string programs = shellFolders.ReadString(strings.cCommonPrograms);
  if (programs.empty()) {
    // Without an all-users programs folder the links would land in the
    // current folder under bare names; the user's own Start menu is the
    // place an administrator would look instead.
    programs = userPrograms;
    if (context.log != nullptr)
      context.log->Write("Shortcuts: no all-users programs folder recorded; using \"" + programs + "\"");
  }

  std::string group;
  if (!programs.empty()) {
    group = GroupFolder(programs, strings.cName);
    // The whole group is rebuilt, so links the user added by hand go too.
    DeleteTree(files, group, "*.*", true);
    if (!ForceDirectories(files, group) && context.log != nullptr)
      context.log->Failure("Creating program group " + group, files.LastError(),
                           context.platform.system->ErrorText(files.LastError()));
    const std::string program = ExtractFileName(context.platform.system->ProgramPath());
    for (const ProgramGroupShortcut& shortcut :
         ProgramGroupShortcuts(strings, context.InstallPath, program, inputs.webMailInstalled, context.IsWindowsNT)) {
      CreateShortcut(context, shortcut.target, group + shortcut.name + ".lnk", shortcut.arguments,
                     shortcut.iconIndex);
    }
  }

  WriteInstallationRecord(context, registries, inputs.user);
  return group;
}

}  // namespace tovex
