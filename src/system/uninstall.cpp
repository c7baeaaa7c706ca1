#include "system/uninstall.h"

#include <iterator>

#include "common/context.h"
#include "common/folders.h"
#include "common/paths.h"
#include "common/server_root.h"
#include "common/setup_log.h"
#include "common/text.h"
#include "localization/setup_strings.h"
#include "package/antivirus_engine.h"
#include "package/component_files.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/services.h"
#include "platform/system.h"
#include "platform/user.h"
#include "system/com_registration.h"
#include "system/registry_records.h"
#include "system/server_services.h"
#include "system/server_table.h"

namespace tovex {

namespace {

// The pause after the stop requests, for servers that close their files late.
constexpr uint32_t kSettlePauseMs = 1500;

void Log(SetupContext& context, const std::string& line) {
  if (context.log != nullptr) context.log->Write(line);
}

void StopRunningServers(SetupContext& context) {
  for (int index = 0; index < kServerCount; ++index) {
    if (ServerFoundIn(context, index, service::kRunning)) {
      Log(context, "Uninstall: stopping " + std::string(kServerTable[index].serviceName));
      StopServer(context, index);
    }
  }
}

// The all-users program group. A per-user group of an earlier release is
// the user's own and stays.
void RemoveProgramGroup(SetupContext& context, MainFormRegistries& registries) {
  const SetupStrings& strings = *context.strings;
  TAdvancedRegistry& shellFolders = registries.AdvancedRegistry;
  shellFolders.SetRegistryRootKey(TRegistryKey::hkLOCAL_MACHINE);
  const std::string programs = shellFolders.ReadString(strings.cCommonPrograms);
  if (programs.empty()) {
    Log(context, "Uninstall: no all-users programs folder recorded; no program group removed");
    return;
  }
  // A translation that empties the product name would otherwise point the
  // removal at the whole all-users programs folder.
  if (Trim(strings.cName).empty()) {
    Log(context, "Uninstall: the product name is empty; no program group removed");
    return;
  }
  const std::string group = IncludeTrailingBackslash(programs) + strings.cName + "\\";
  const bool removed = DeleteTree(*context.platform.files, group, "*.*", true);
  Log(context, "Uninstall: program group " + group + (removed ? " removed" : " not removed completely"));
}

void RemoveUninstallEntry(SetupContext& context, MainFormRegistries& registries) {
  TAdvancedRegistry& entry = registries.AdvancedRegistryInstall;
  const std::string key = entry.RegistryArea() + "\\" + entry.RegistrySection();
  const bool removed = entry.DeleteKey(key);
  Log(context, "Uninstall: uninstall entry " + key + (removed ? " deleted" : " not deleted"));
}

void DeleteProgramFiles(SetupContext& context, const std::string& base) {
  Files& files = *context.platform.files;
  for (const std::string& name : UninstalledProgramFiles()) {
    const std::string path = base + name;
    if (DeleteFileOrLink(files, path)) {
      Log(context, "Uninstall: deleted " + path);
    } else if (files.FileExists(path)) {
      // Most often a file still in use; it stays and the closing box says so.
      const uint32_t code = files.LastError();
      if (context.log != nullptr) context.log->Failure("Deleting " + path, code, context.platform.system->ErrorText(code));
    }
  }
}

void DeleteFolder(SetupContext& context, const std::string& base, const std::string& subfolder) {
  Files& files = *context.platform.files;
  const std::string folder = base + subfolder;
  if (!files.FolderExists(folder)) return;
  const bool removed = DeleteTreeBelow(files, base, subfolder, "*.*", true);
  Log(context, "Uninstall: folder " + folder + (removed ? " removed" : " not removed completely"));
}

bool SameFolder(const std::string& a, const std::string& b) {
  const std::optional<std::string> first = AbsoluteFolder(a, "");
  const std::optional<std::string> second = AbsoluteFolder(b, "");
  return first && second && SameText(*first, *second);
}

bool ServerServiceRunsFrom(SetupContext& context, const std::string& folder) {
  if (!context.IsWindowsNT || context.platform.services == nullptr) return false;
  std::unique_ptr<ServiceManager> manager = context.platform.services->OpenManager(service::ManagerAccess::Connect);
  if (!manager) return false;
  for (const ServerRow& row : kServerTable) {
    std::unique_ptr<ServiceHandle> handle = manager->Open(std::string(row.serviceName), service::kQueryConfig);
    if (!handle) continue;
    const std::optional<ServiceConfiguration> configuration = handle->QueryConfiguration();
    if (configuration && SameFolder(ExtractFilePath(configuration->programPath), folder)) return true;
  }
  return false;
}

}  // namespace

bool HoldsInstallation(SetupContext& context, const std::string& folder) {
  if (context.platform.files->FolderExists(IncludeTrailingBackslash(folder) + "config\\")) return true;
  if (ServerServiceRunsFrom(context, folder)) return true;
  const std::string recorded =
      ReadMachineString(context, std::string(kPolvaneArea) + "\\" + kServerRecordSection, "InstallDir");
  return !recorded.empty() && SameFolder(recorded, folder);
}

std::vector<std::string> UninstalledProgramFiles() {
  std::vector<std::string> names(std::begin(kCoreProgramFiles), std::end(kCoreProgramFiles));
  names.emplace_back("polvanecom.dll");
  names.emplace_back("cal.exe");
  return names;
}

void Uninstall(SetupContext& context) {
  System& system = *context.platform.system;
  const std::string base = IncludeTrailingBackslash(ExtractFilePath(system.ProgramPath()));
  const std::string root = ServerRootFolder(context);
  Log(context, "Uninstall: removing the server from " + base + " (server root " + root + ")");

  // 1, 2. The servers stop and get a moment to let go of their files.
  StopRunningServers(context);
  context.platform.user->ProcessMessages();
  context.platform.clock->Sleep(kSettlePauseMs);

  // 3. A service that would not stop stays installed rather than being
  //    marked for deletion under a running program.
  if (context.IsWindowsNT) DeleteStoppedServices(context);

  // 4, 5. Start menu and the system's list of installed programs.
  MainFormRegistries registries(context);
  RemoveProgramGroup(context, registries);
  RemoveUninstallEntry(context, registries);

  // 6. The COM libraries unregister while their files are still there.
  UnregisterServerComLibraries(context, base);

  // 7, 8. Program files and program folders.
  DeleteProgramFiles(context, base);
  for (const char* folder : kUninstalledFolders) DeleteFolder(context, base, folder);

  // 9, 10. The anti-virus engine removes itself through its vendor's
  //        library, then its folder goes.
  const std::string engineSetup = root + kEngineSetupFolder;
  if (context.platform.libraries != nullptr && context.platform.files->FileExists(engineSetup + kEngineSetupLibrary)) {
    RunEngineUninstaller(context, engineSetup);
  } else {
    Log(context, "Uninstall: no anti-virus engine setup library in " + engineSetup);
  }
  DeleteFolder(context, base, kEngineFolder);

  // 11. Something always stays (configuration, mail, logs, this program).
  const SetupStrings& strings = *context.strings;
  context.platform.user->ShowMessage(strings.cCompleteRemove, strings.cInformation, MessageButtons::Ok,
                                     MessageIcon::Information);
  Log(context, "Uninstall: done");
}

}  // namespace tovex
