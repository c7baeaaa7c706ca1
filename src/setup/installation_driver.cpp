#include "setup/installation_driver.h"

#include <string>
#include <vector>

#include "common/context.h"
#include "common/folders.h"
#include "common/paths.h"
#include "common/setup_log.h"
#include "common/text.h"
#include "common/version.h"
#include "localization/setup_strings.h"
#include "package/component_files.h"
#include "package/extract_archive.h"
#include "package/webserver_patch.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/network.h"
#include "platform/shell.h"
#include "platform/user.h"
#include "setup/main_form.h"
#include "setup/payload_check.h"
#include "setup/setup_program.h"
#include "system/com_registration.h"
#include "system/registry_records.h"
#include "system/service_phases.h"
#include "system/shortcuts.h"
#include "upgrade/config_store.h"
#include "upgrade/demo_domain.h"
#include "upgrade/module_control.h"
#include "upgrade/settings_layout.h"
#include "upgrade/upgrade_tasks.h"

namespace tovex {

namespace {

// The first release whose web server configuration needs no patch.
constexpr const char* kWebServerPatchedRelease = "7.7.3";
// After the clean-up the servers get a moment before they are verified.
constexpr uint32_t kSettleAfterCleanUpMs = 2000;
// Finish: the control module reloads its configuration (message 1280,
// command 3).
constexpr int kControlModule = 2;
constexpr uint32_t kReloadCommand = 3;

void Log(SetupContext& context, const std::string& line) {
  if (context.log != nullptr) context.log->Write(line);
}

// Every step is announced in the log, so that a reader of a failed run's log
// sees which step the failure lines belong to.
void Step(SetupContext& context, int number, const std::string& what) {
  Log(context, "Installation step " + std::to_string(number) + ": " + what);
}

// "Loading the configuration": the installation's config\ folder, read, with
// the account database library let go again.
ConfigurationStore* LoadInstalledConfiguration(SetupContext& context) {
  ConfigurationStore* store = context.config;
  if (store == nullptr) {
    Log(context, "No configuration store; the configuration is not written");
    return nullptr;
  }
  store->SetConfigurationFolder(context.InstallPath + "config\\");
  if (!store->LoadConfiguration()) Log(context, "No settings.cfg in " + context.InstallPath + "config\\ yet");
  store->ReleaseDatabaseLibrary();
  return store;
}

void SetServerFolders(SetupContext& context, ConfigurationStore& store) {
  store.SetSettingsText(settings::kTempFolder, context.InstallPath + "temp\\");
  store.SetSettingsText(settings::kMailFolder, context.InstallPath + "mail\\");
  store.SetSettingsText(settings::kLogFolder, context.InstallPath + "logs\\");
}

void SaveInstalledConfiguration(SetupContext& context, ConfigurationStore& store) {
  if (store.SaveConfiguration()) {
    Log(context, "Saved the configuration in " + store.ConfigurationFolder());
  } else {
    Log(context, "FAILED: saving the configuration in " + store.ConfigurationFolder());
  }
}

// A fresh installation's first configuration: the demonstration domain, the
// server's folders, the system's DNS servers, and 30 days for the demo
// accounts.
void WriteFirstConfiguration(SetupContext& context, const std::string& extractionFolder) {
  const std::string configFolder = context.InstallPath + "config\\";
  ExtractArchive(context, extractionFolder + "demo.dat", configFolder, true, "");
  ConfigurationStore* store = LoadInstalledConfiguration(context);
  if (store == nullptr) return;
  SetServerFolders(context, *store);
  if (context.platform.network != nullptr) {
    const std::vector<std::string> servers = context.platform.network->DnsServers();
    std::string joined;
    for (const std::string& server : servers) joined += (joined.empty() ? "" : ";") + server;
    if (!joined.empty()) {
      store->SetSettingsText(settings::kDnsServers, joined.substr(0, settings::kDnsServers.MaxLength()));
      Log(context, "DNS servers: " + joined);
    }
  }
  SaveInstalledConfiguration(context, *store);
  const int accounts = ActivateDemoAccounts(*store, context.platform.clock->Now());
  Log(context, "Demonstration accounts valid for 30 days: " + std::to_string(accounts));
}

// The setup log keeps a copy in the installation's logs\ folder, where the
// administrator finds it after the temporary folder is long cleaned.
void KeepLogInInstallation(SetupContext& context) {
  if (context.log == nullptr) return;
  Files& files = *context.platform.files;
  const std::string folder = context.InstallPath + "logs\\";
  if (!ForceDirectoriesBelow(files, context.InstallPath, "logs\\") ||
      !RemoveLinksBelow(files, context.InstallPath, std::string("logs\\") + kSetupLogName) ||
      !context.log->Attach(folder + kSetupLogName)) {
    Log(context, "The setup log could not be copied into " + folder);
  }
}

}  // namespace

std::string ExtractionFolderFor(SetupContext& context) {
  const std::string temp = Trim(context.platform.files->TempFolder());
  if (temp.empty()) return context.SetupFolder + "temp\\";
  return IncludeTrailingBackslash(temp) + "tovexinstall\\";
}

void RunInstallation(SetupProgram& program) {
  TMainForm& form = *program.mainForm;
  RunInstallation(program, InstallingPage{[&form](const std::string& text) { form.SetPhaseCaption(text); },
                                          [&form] { form.StepProgress(); }});
}

void RunInstallation(SetupProgram& program, const InstallingPage& page) {
  SetupContext& context = program.context;
  WizardState& state = program.state;
  TMainForm& form = *program.mainForm;
  Files& files = *context.platform.files;
  const SetupStrings& s = *context.strings;
  auto progress = [&page] {
    if (page.StepProgress) page.StepProgress();
  };
  auto caption = [&page](const std::string& text) {
    if (page.SetPhaseCaption) page.SetPhaseCaption(text);
  };
  MainFormRegistries registries(context);

  // Where to, and whether an installation is already there.
  context.InstallPath = IncludeTrailingBackslash(form.Get("PathEdit").Caption());
  state.IsUpgrade = files.FolderExists(context.InstallPath + "config\\");
  Log(context, std::string(state.IsUpgrade ? "Upgrade" : "Fresh installation") + " in " + context.InstallPath +
                   (state.PreviousVersion.empty() ? "" : " (recorded version " + state.PreviousVersion + ")"));

  // 1. Nothing changes on the machine before the payload is known good: every
  //    archive whole, room on the volumes, setup.Dat unpacked.
  Step(context, 1, "unpacking and checking the package");
  caption(s.cExtractingFiles);
  state.ExtractionFolder = ExtractionFolderFor(context);
  PreparePayload(context, state.ExtractionFolder, state.IsUpgrade);
  progress();

  // 2. The installation record: older keys moved, the chosen components
  //    written (failures are not fatal here).
  Step(context, 2, "registry records and component flags");
  program.services.MigrateRegistryRecords(true);
  if (!WriteComponentFlags(context, registries.PathRegistry)) Log(context, "The component flags were not all written");

  // 3. Service start types of an upgrade.
  Step(context, 3, "service start types");
  ServiceRun serviceRun;
  serviceRun.PreviousVersion = state.PreviousVersion;
  serviceRun.PreviousInstallDir = state.PreviousInstallDir;
  serviceRun.IsUpgrade = state.IsUpgrade;
  serviceRun.SetPhaseCaption = caption;
  serviceRun.RegisterComServers = [&context](const std::string& folder) { RegisterServerComLibraries(context, folder); };
  SaveStartTypesBeforeUpgrade(context, serviceRun);
  progress();

  // 4. Running servers let go of their files.
  Step(context, 4, "stopping running servers");
  CheckRunningServices(context, serviceRun);
  CheckRunningServices(context, serviceRun);
  progress();

  // 5. The installation folder, which keeps a copy of the setup log.
  Step(context, 5, "installation folder");
  EnsureInstallFolder(context);
  KeepLogInInstallation(context);

  // 6. The component files.
  Step(context, 6, "installing files into " + context.InstallPath);
  FileInstallation installation;
  installation.ExtractionFolder = state.ExtractionFolder;
  installation.RemoveOldAntivirus = state.RemoveOldAntivirus;
  installation.hooks = DefaultInstallHooks(context);
  installation.hooks.SetPhaseCaption = caption;
  installation.hooks.StepProgress = progress;
  InstallFiles(context, installation);
  progress();

  // 7. The server's default configuration files.
  Step(context, 7, "default configuration");
  const std::string defaults = context.SetupFolder + "tovex.mcb";
  if (!state.IsUpgrade && files.FileExists(defaults)) {
    ExtractArchive(context, defaults, context.InstallPath + "config\\", true, "");
  }
  progress();

  // 8. The first configuration of a fresh installation.
  Step(context, 8, "first configuration");
  if (!state.IsUpgrade) WriteFirstConfiguration(context, state.ExtractionFolder);
  progress();

  // 9. The console's layout, and the folders once more on a fresh one.
  Step(context, 9, "console mode");
  if (ConfigurationStore* store = LoadInstalledConfiguration(context)) {
    store->SetSettingsText(settings::kConsoleLayout,
                           form.Get("AdvancedMode").Checked() ? "advanced.xml" : "basic.xml");
    if (!state.IsUpgrade) SetServerFolders(context, *store);
    SaveInstalledConfiguration(context, *store);
  }
  progress();

  // 10. Web server configuration of releases before 7.7.3.
  Step(context, 10, "web server configuration");
  if (state.IsUpgrade && !state.PreviousVersion.empty() &&
      !VersionAtLeast(state.PreviousVersion, kWebServerPatchedRelease)) {
    PatchWebServerConfig(context);
  }
  progress();

  // 11. Program group, uninstall entry and installation record.
  Step(context, 11, "program group and installation record");
  ProgramGroupInputs group;
  group.webMailInstalled = installation.WebMailInstalled;
  group.user = UserDetails{form.Get("NameEdit").Text(), form.Get("EmailEdit").Text(),
                           form.Get("CompanyEdit").Text(), form.Get("CountryEdit").Text()};
  group.setPhaseCaption = caption;
  CreateProgramGroup(context, registries, group);

  // 12. What the user deselected goes, also from an earlier installation.
  Step(context, 12, "removing deselected components");
  RemoveDeselectedComponents(context);

  // 13. Services.
  Step(context, 13, "services");
  InstallServices(context, serviceRun);
  progress();

  // 14. Clean-up.
  Step(context, 14, "clean-up");
  if (!DeleteTree(files, state.ExtractionFolder, "", true)) {
    Log(context, "The extraction folder " + state.ExtractionFolder + " could not be removed completely");
  }
  context.platform.user->ProcessMessages();
  context.platform.clock->Sleep(kSettleAfterCleanUpMs);

  // 15. Done, as far as the files go.
  progress();
  caption(s.cFinished);

  // 16, 17. The servers run, with their start types as they were.
  Step(context, 16, "verifying the services");
  VerifyServicesStarted(context, serviceRun);
  RestoreStartTypesAfterUpgrade(context, serviceRun);

  // 18. The modules convert what older releases stored.
  if (!state.PreviousVersion.empty()) {
    Step(context, 18, "upgrade tasks");
    RunUpgradeTasks(context, state.PreviousVersion, context.InstallPath, ResaveConfiguration);
  }

  // 19. A separate, old web mail product.
  if (state.OldWebMailFound) {
    context.platform.user->ShowMessage(s.cSetupRequireWebMail, kWarningCaption, MessageButtons::Ok,
                                       MessageIcon::Information, true);
  }
  Log(context, "Installation finished");
}

void RunFinishActions(SetupProgram& program) {
  SetupContext& context = program.context;
  TMainForm& form = *program.mainForm;
  Log(context, "Finish");
  if (form.Get("RunTutorial").Checked()) program.services.RunConfigurationWizard();
  SendModuleCommand(context, kControlModule, kModuleMessage, kReloadCommand, 0);

  // Without an installation folder (the installation stopped before it was
  // known) there is nothing to open.
  const std::string& install = context.InstallPath;
  Shell* shell = context.platform.shell;
  auto open = [&context, shell](const std::string& target) {
    Log(context, "Opening " + target);
    if (shell != nullptr) shell->Open(target);
  };
  if (shell != nullptr && !install.empty()) {
    if (form.Get("ViewReleaseNotes").Checked()) open(install + "doc\\releasenotes.txt");
    const std::string tutorial = install + "tutorial\\index.html";
    if (form.Get("ShowTutorial").Checked() && context.platform.files->FileExists(tutorial)) open(tutorial);
    if (form.Get("RunConfig").Checked()) open(install + "config.exe");
  }
  EndSetup(context, kExitSuccess);
}

}  // namespace tovex
