#include "setup/setup_program.h"

#include <exception>

#include "common/folders.h"
#include "common/paths.h"
#include "common/server_root.h"
#include "common/setup_log.h"
#include "common/text.h"
#include "common/version.h"
#include "localization/language_file.h"
#include "localization/setup_strings.h"
#include "localization/string_table.h"
#include "localization/xml.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "platform/system.h"
#include "platform/user.h"
#include "setup/installation_driver.h"
#include "setup/new_version_check.h"
#include "setup/unattended.h"
#include "system/registry_records.h"
#include "system/uninstall.h"
#include "upgrade/config_store.h"
#include "upgrade/first_domain.h"
#include "upgrade/settings_layout.h"

namespace tovex {

namespace {

// Exceptions that escape an event handler are discarded and the wizard stays
// where it was; the log keeps what happened for whoever reads it later.
void ApplicationExceptionHandler(SetupContext& context, std::exception_ptr error) {
  if (context.log == nullptr) return;
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    context.log->Write(std::string("Discarded an error in the wizard: ") + e.what());
  } catch (...) {
    context.log->Write("Discarded an unknown error in the wizard");
  }
}

void Log(SetupContext& context, const std::string& line) {
  if (context.log != nullptr) context.log->Write(line);
}

std::string ReadWholeFile(Files& files, const std::string& path, bool& ok) {
  ok = false;
  std::unique_ptr<InputFile> file = files.OpenForReading(path);
  if (!file) return {};
  std::string content;
  char buffer[16384];
  for (;;) {
    size_t got = 0;
    if (!file->Read(buffer, sizeof buffer, got)) return {};
    if (got == 0) break;
    content.append(buffer, got);
  }
  ok = true;
  return content;
}

// A multi-line edit shows CR LF line breaks only; text files written on
// other systems may have bare LF or CR.
std::string WithWindowsLineBreaks(const std::string& text) {
  std::string result;
  result.reserve(text.size() + text.size() / 32);
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r') {
      result += "\r\n";
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      result += "\r\n";
    } else {
      result += c;
    }
  }
  return result;
}

}  // namespace

SetupProgram::SetupProgram(SetupContext& context) : context(context) {
  // The registry records (system/registry_records.h), once a registry is wired.
  if (context.platform.registry != nullptr) {
    services.MigrateRegistryRecords = [this](bool deleteOld) { MigrateRegistryRecords(this->context, deleteOld); };
    services.ReadString = [this](const std::string& key, const std::string& name) {
      return ReadMachineString(this->context, key, name);
    };
    services.ReadBool = [this](const std::string& key, const std::string& name) {
      return ReadMachineBool(this->context, key, name);
    };
  }
  // The uninstallation (system/uninstall.h), once the ports it needs are wired.
  if (context.platform.registry != nullptr && context.platform.services != nullptr &&
      context.platform.libraries != nullptr) {
    services.HoldsInstallation = [this](const std::string& folder) { return HoldsInstallation(this->context, folder); };
    services.Uninstall = [this] { Uninstall(this->context); };
  }
  services.LoadLanguageFile = [this](const std::string& path) {
    return LoadLanguageFile(this->context, &application, path, true);
  };
  services.SaveLanguageFile = [this](const std::string& path) {
    return SaveLanguageFile(this->context, &application, path, true);
  };
  services.ReadProductsUrl = [this](const std::string& path) {
    bool ok = false;
    const std::string content = ReadWholeFile(*this->context.platform.files, path, ok);
    if (!ok) return std::string();
    const XmlDocument document = ParseXml(content, *this->context.platform.system);
    const XmlElement* root = document.Root();
    const XmlElement* products = root != nullptr ? root->Child("PRODUCTSXML") : nullptr;
    return products != nullptr ? products->Text() : std::string();
  };
  services.CheckForNewVersion = [this] {
    if (this->context.platform.network != nullptr) CheckForNewVersion(this->context, state.ProductsUrl);
  };
  services.RunConfigurationWizard = [this] {
    if (!wizardForm) return;
    if (application.ShowModal(*wizardForm) != ui::ModalResult::Ok) {
      Log(this->context, "Configuration wizard closed without saving");
      return;
    }
    if (this->context.config == nullptr) {
      Log(this->context, "Configuration wizard: no configuration store; nothing was created");
      return;
    }
    ApplyWizardResult(this->context, *this->context.config, wizardForm->Answers());
  };
  // The configuration store of the installed server (upgrade/config_store.h),
  // once the entry created one.
  if (ConfigurationStore* store = context.config) {
    services.InitConfigurationStore = [this, store] { store->InitConfigurationStore(ServerRootFolder(this->context)); };
    services.SetConfigurationFolder = [store](const std::string& folder) { store->SetConfigurationFolder(folder); };
    services.LoadConfiguration = [store] { store->LoadConfiguration(); };
    services.ReleaseDatabaseLibrary = [store] { store->ReleaseDatabaseLibrary(); };
    services.ConsoleMode = [store] { return store->SettingsText(settings::kConsoleLayout); };
    services.WebAdminPort = [store] { return GetU16(store->Settings().data(), settings::kWebPort); };
    services.ServerHostList = [store] { return store->SettingsText(settings::kWebHostList); };
  }
  // The installation driver and the finish actions (installation_driver.h).
  services.RunInstallation = [this] { RunInstallation(*this); };
  services.RunFinishActions = [this] { RunFinishActions(*this); };
}

void SetupProgram::CreateForms() {
  if (context.log != nullptr) {
    const std::string logPath = JoinPath(context.platform.files->TempFolder(), kSetupLogName);
    if (!context.log->IsAttached(logPath)) context.log->Attach(logPath);
  }
  application.Title = "Setup";
  mainForm = std::make_unique<TMainForm>(application, context, services, state);
  browseFolder = std::make_unique<TBrowseFolder>(application, context);
  wizardForm = std::make_unique<TWizardForm>(application, context);
  mainForm->SetBrowseFolder(browseFolder.get());
  mainForm->OnShow = [this] {
    if (started_) return;
    started_ = true;
    RunStartup(*this);
  };
}

void SetupProgram::ShowMainForm() { application.Show(*mainForm); }

std::string WebLogonAddress(const std::string& hostList, uint16_t port, bool webMail) {
  std::string host = Trim(hostList.substr(0, hostList.find(';')));
  if (host.empty()) host = "localhost";
  // The configuration store gives 32000 for an unset port; a store that
  // could not be read must not send the browser to port 0.
  if (port == 0) port = 32000;
  return "http://" + host + ":" + std::to_string(port) + "/" + (webMail ? "mail/" : "admin/");
}

namespace {

// The command-line actions that end the run before the wizard is used.
[[noreturn]] void RunCommandLineAction(SetupProgram& program) {
  SetupContext& context = program.context;
  SetupServices& services = program.services;
  const SetupStrings& s = *context.strings;
  const CommandLine& line = context.commandLine;

  services.InitConfigurationStore();
  services.LoadConfiguration();

  if (line.action == CommandAction::Uninstall) {
    Log(context, "Command line: uninstallation requested");
    // The removal deletes by fixed names; a folder that holds no
    // installation (a download folder, a share) is left as it is.
    const std::string folder = ExtractFilePath(context.platform.system->ProgramPath());
    if (!services.HoldsInstallation(folder)) {
      Log(context, "Uninstall: " + folder + " holds no installation; nothing was removed");
      context.platform.user->ShowMessage(FormatText(s.cNotInstalled, {s.cName, folder}), FormatText(s.cSetup, {s.cName}),
                                         MessageButtons::Ok, MessageIcon::Information);
      EndSetup(context, kExitNotInstalled);
    }
    const MessageAnswer answer = context.platform.user->ShowMessage(
        s.cUnInstallQ, FormatText(s.cSetup, {s.cName}), MessageButtons::YesNo, MessageIcon::Question);
    if (answer != MessageAnswer::Yes) {
      Log(context, "The user declined the uninstallation");
      EndSetup(context, kExitCancelled);
    }
    services.Uninstall();
    Log(context, "Uninstallation finished");
    EndSetup(context, kExitSuccess);
  }
  if (line.action == CommandAction::WebMailLogon || line.action == CommandAction::WebAdminLogon) {
    const std::string address = WebLogonAddress(services.ServerHostList(), services.WebAdminPort(),
                                                line.action == CommandAction::WebMailLogon);
    Log(context, "Command line: " + line.first + " opens " + address);
    if (context.platform.shell == nullptr || !context.platform.shell->Open(address)) {
      const uint32_t code = context.platform.shell != nullptr ? context.platform.shell->LastError() : 0;
      if (context.log != nullptr) context.log->Failure("Opening " + address, code, context.platform.system->ErrorText(code));
    }
    EndSetup(context, kExitSuccess);
  }
  // A parameter Setup does not know: nothing is done, and whatever started
  // Setup learns that the command line was wrong instead of a success.
  Log(context, "Command line: unknown parameter " + line.first + "; nothing done");
  EndSetup(context, kExitInvalidCommandLine);
}

}  // namespace

void RunStartup(SetupProgram& program) {
  SetupContext& context = program.context;
  SetupServices& services = program.services;
  WizardState& state = program.state;
  TMainForm& form = *program.mainForm;
  Files& files = *context.platform.files;
  const SetupStrings& s = *context.strings;
  const std::string programFolder = ExtractFilePath(context.platform.system->ProgramPath());
  const CommandLine& line = context.commandLine;

  // /LOG=FILE: the log goes to FILE as well, from its first line on.
  for (const std::string& logFile : line.logFiles) {
    if (context.log == nullptr) break;
    // An administrator names a log folder that need not exist yet.
    const std::string folder = ExtractFilePath(logFile);
    if (folder.size() > 3 && !files.FolderExists(folder)) ForceDirectories(files, ExcludeTrailingBackslash(folder));
    if (context.log->Attach(logFile)) continue;
    const uint32_t code = files.LastError();
    context.log->Failure("Writing the setup log to " + logFile, code, context.platform.system->ErrorText(code));
  }

  Log(context, std::string("Setup ") + std::string(SetupVersion) + " started from " + programFolder);
  for (const std::string& parameter : line.parameters) Log(context, "Parameter: " + parameter);

  // 1. Language: a language file beside the program replaces the texts; the
  //    export writes what is loaded, so an existing file is read first.
  const std::string languageFile = JoinPath(programFolder, "setup.lng");
  const bool exportLanguage = line.exportLanguage;
  const bool languageFileExists = files.FileExists(languageFile);
  if (exportLanguage || languageFileExists) RegisterSetupStrings(*context.strings, *context.stringTable);
  if (languageFileExists) {
    Log(context, "Loading the language file " + languageFile);
    services.LoadLanguageFile(languageFile);
  }
  if (exportLanguage) {
    Log(context, "Command line: writing the language file " + languageFile);
    const bool written = services.SaveLanguageFile(languageFile);
    if (!written) Log(context, "The language file could not be written");
    EndSetup(context, written ? kExitSuccess : kExitFatal);
  }

  if (line.action == CommandAction::Help) {
    Log(context, "Command line: the list of parameters");
    context.platform.user->ShowMessage(s.cCommandLineHelp, FormatText(s.cSetup, {s.cName}), MessageButtons::Ok,
                                       MessageIcon::Information);
    EndSetup(context, kExitSuccess);
  }

  // 2, 3. Products information.
  state.ProductsUrl.clear();
  const std::string infoXml = JoinPath(programFolder, "info.xml");
  try {
    if (files.FileExists(infoXml)) state.ProductsUrl = services.ReadProductsUrl(infoXml);
  } catch (const ProcessEnded&) {
    throw;
  } catch (...) {
    state.ProductsUrl.clear();
  }

  // 4. A fresh state and the application-wide handler.
  state.PageIndex = 0;
  state.IsUpgrade = false;
  state.OldWebMailFound = false;
  state.RemoveOldAntivirus = false;
  program.application.OnException = [&context](std::exception_ptr error) {
    ApplicationExceptionHandler(context, error);
  };

  // An unattended run checks its answers before anything on the machine
  // changes; a refused file ends the run here.
  std::optional<UnattendedAnswers> answers;
  if (line.action == CommandAction::Unattended) {
    answers = LoadAnswersOrEnd(context);
    InstallUnattendedHooks(program, *answers);
  }

  // 5. Records of the old registry layout are read at their new place.
  services.MigrateRegistryRecords(false);

  // 6. Command line: the actions that end the run before the wizard.
  const bool wizard = line.action == CommandAction::Wizard || line.action == CommandAction::Silent ||
                      line.action == CommandAction::Unattended || line.action == CommandAction::SaveAnswers;
  if (!wizard) RunCommandLineAction(program);
  // /SAVEINF runs the wizard as usual, with its question.
  const bool silent = line.action == CommandAction::Silent || line.action == CommandAction::Unattended;

  // 7. Window caption and welcome title.
  form.SetCaption(FormatText(s.cPSetup, {s.cName, std::string(SetupVersion)}));
  ui::Component& about = form.Get("AboutLabel");
  if (about.Caption().find("%s") != std::string::npos) {
    about.SetCaption(FormatText(about.Caption(), {std::string(SetupVersion)}));
  }

  // 8. The setup data must lie beside the program.
  if (!files.FileExists(JoinPath(programFolder, "setup.Dat"))) {
    Log(context, "setup.Dat not found in " + programFolder);
    context.platform.user->ShowMessage(s.cSetupError, s.cError, MessageButtons::Ok, MessageIcon::Error);
    EndSetup(context, kExitFatal);
  }

  // 9. The installation question.
  if (!silent) {
    const MessageAnswer answer = context.platform.user->ShowMessage(
        FormatText(s.cInstallQ, {s.cName + " " + std::string(SetupVersion)}), FormatText(s.cSetup, {s.cName}),
        MessageButtons::YesNo, MessageIcon::Question);
    if (answer != MessageAnswer::Yes) {
      Log(context, "The user declined the installation");
      EndSetup(context, kExitCancelled);
    }
  }

  // 10. The version of a previous installation.
  try {
    state.PreviousVersion = services.ReadString(kInstallationRecordKey, "Version");
  } catch (const ProcessEnded&) {
    throw;
  } catch (...) {
    state.PreviousVersion.clear();
  }
  if (state.PreviousVersion.size() > 255) state.PreviousVersion.resize(255);

  // 11. The licence agreement.
  const std::string licenseFile = JoinPath(programFolder, "license.txt");
  if (files.FileExists(licenseFile)) {
    bool ok = false;
    const std::string text = ReadWholeFile(files, licenseFile, ok);
    if (ok) form.Get("LicenseMemo").SetText(WithWindowsLineBreaks(text));
  }

  // 12 to 14. The previous installation's flags, folder and user details.
  bool interrupted = false;
  std::string installDir;
  const std::string designTimePath = form.Get("PathEdit").Caption();
  try {
    ComponentFlags& f = context.flags;
    f.NoInstallMail = services.ReadBool(kInstallationRecordKey, "NoInstallMail");
    f.NoInstallControl = services.ReadBool(kInstallationRecordKey, "NoInstallControl");
    f.NoInstallWebMail = services.ReadBool(kInstallationRecordKey, "NoInstallWebMail");
    f.NoInstallIAS = services.ReadBool(kInstallationRecordKey, "NoInstallIAS");
    f.NoInstallAV = services.ReadBool(kInstallationRecordKey, "NoInstallAV");
    f.NoInstallCalendar = services.ReadBool(kInstallationRecordKey, "NoInstallCalendar");
    f.NoInstallIM = services.ReadBool(kInstallationRecordKey, "NoInstallIM");

    installDir = services.ReadString(kInstallationRecordKey, "InstallDir");
    if (!installDir.empty()) {
      Log(context, "Previous installation " + state.PreviousVersion + " in " + installDir);
      state.PreviousInstallDir = installDir;
      form.Get("PathEdit").SetCaption(installDir);
      services.SetConfigurationFolder(IncludeTrailingBackslash(installDir) + "config\\");
      services.LoadConfiguration();
      services.ReleaseDatabaseLibrary();
      const std::string consoleMode = services.ConsoleMode();
      if (consoleMode == "basic.xml") form.Get("BasicMode").SetChecked(true);
      if (consoleMode == "advanced.xml") form.Get("AdvancedMode").SetChecked(true);
      if (!state.PreviousVersion.empty() && !VersionAtLeast(state.PreviousVersion, "8.2.7")) {
        state.RemoveOldAntivirus = true;
      }
    }
    form.Get("NameEdit").SetText(services.ReadString(kInstallationRecordKey, "Name"));
    form.Get("EmailEdit").SetText(services.ReadString(kInstallationRecordKey, "Email"));
    form.Get("CompanyEdit").SetText(services.ReadString(kInstallationRecordKey, "Company"));
    form.Get("CountryEdit").SetText(services.ReadString(kInstallationRecordKey, "Country"));
  } catch (const ProcessEnded&) {
    throw;
  } catch (...) {
    interrupted = true;
    Log(context, "The records of the previous installation could not be read completely");
  }

  // 15. The default destination below the program files folder.
  if (interrupted || installDir.empty()) {
    std::string programFiles;
    try {
      programFiles = services.ReadString(kWindowsCurrentVersionKey, "ProgramFilesDir");
    } catch (const ProcessEnded&) {
      throw;
    } catch (...) {
      programFiles.clear();
    }
    if (programFiles.empty()) programFiles = "C:\\Program Files\\";
    form.Get("PathEdit").SetCaption(IncludeTrailingBackslash(programFiles) + designTimePath);
  }

  // 16. An old web mail that must be upgraded.
  try {
    const std::string webMailVersion = services.ReadString(kWebMailRecordKey, "Version");
    const std::string webMailDir = services.ReadString(kWebMailRecordKey, "InstallDir");
    if (!webMailDir.empty()) {
      const std::string folder = webMailDir.substr(0, webMailDir.size() - 1);
      if (files.FolderExists(folder) && !VersionAtLeast(webMailVersion, "4.2.2")) state.OldWebMailFound = true;
    }
  } catch (const ProcessEnded&) {
    throw;
  } catch (...) {
  }

  // 17. The first page.
  form.ShowPage();
  form.AdvancedModeClick();
  Log(context, "Wizard ready; destination " + form.Get("PathEdit").Caption());

  if (const std::optional<std::string>& saveAnswers = line.saveAnswersFile) {
    if (saveAnswers->empty()) {
      Log(context, "Command line: /SAVEINF names no file; no answers are written");
    } else {
      InstallSaveAnswersHooks(program, *saveAnswers);
    }
  }
  if (answers) RunUnattended(program, *answers);
}

}  // namespace tovex
