#include "setup/unattended.h"

#include "common/context.h"
#include "common/setup_log.h"
#include "common/text.h"
#include "common/version.h"
#include "localization/setup_strings.h"
#include "platform/files.h"
#include "platform/system.h"
#include "setup/main_form.h"
#include "setup/new_version_check.h"
#include "setup/setup_program.h"
#include "setup/wizard_form.h"
#include "upgrade/first_domain.h"

namespace tovex {

namespace {

void Log(SetupContext& context, const std::string& line) {
  if (context.log != nullptr) context.log->Write(line);
}

const char* ButtonsText(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::Ok:
      return "OK";
    case MessageButtons::YesNo:
      return "Yes/No";
    case MessageButtons::YesNoCancel:
      return "Yes/No/Cancel";
  }
  return "";
}

const char* AnswerText(MessageAnswer answer) {
  switch (answer) {
    case MessageAnswer::Ok:
      return "OK";
    case MessageAnswer::Cancel:
      return "Cancel";
    case MessageAnswer::Yes:
      return "Yes";
    case MessageAnswer::No:
      return "No";
  }
  return "";
}

// A box's text on one log line.
std::string OneLine(const std::string& text) {
  std::string line;
  for (const char c : text) {
    if (c == '\r') continue;
    line += c == '\n' ? ' ' : c;
  }
  return line;
}

bool ReadFile(Files& files, const std::string& path, std::string& content) {
  std::unique_ptr<InputFile> file = files.OpenForReading(path);
  if (!file) return false;
  char buffer[16384];
  for (;;) {
    size_t got = 0;
    if (!file->Read(buffer, sizeof buffer, got)) return false;
    if (got == 0) return true;
    content.append(buffer, got);
  }
}

}  // namespace

MessageAnswer SilentUser::ShowMessage(const std::string& text, const std::string& caption, MessageButtons buttons,
                                      MessageIcon, bool) {
  Log(context_, "Message (" + caption + ", " + ButtonsText(buttons) + "): " + OneLine(text));
  if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
  if (decide) {
    if (const std::optional<MessageAnswer> answer = decide(text, caption)) {
      Log(context_, std::string("Answered ") + AnswerText(*answer) + " by the unattended run");
      return *answer;
    }
  }
  Log(context_, "The answers file gives no answer to this question; Setup stops");
  EndSetup(context_, kExitCancelled);
}

std::function<std::optional<MessageAnswer>(const std::string&, const std::string&)> UnattendedDecisions(
    SetupContext& context) {
  return [&context](const std::string& text, const std::string&) -> std::optional<MessageAnswer> {
    if (text == context.strings->cUnInstallQ) return MessageAnswer::Yes;
    return std::nullopt;
  };
}

UnattendedAnswers LoadAnswersOrEnd(SetupContext& context) {
  const std::optional<std::string>& path = context.commandLine.answersFile;
  if (!path || path->empty()) {
    Log(context, "Answers file: /VERYSILENT needs /LOADINF=FILE; nothing was changed");
    EndSetup(context, kExitFatal);
  }
  std::string text;
  if (!ReadFile(*context.platform.files, *path, text)) {
    const uint32_t code = context.platform.files->LastError();
    if (context.log != nullptr) {
      context.log->Failure("Answers file: reading " + *path, code, context.platform.system->ErrorText(code));
    }
    Log(context, "Answers file: nothing was changed");
    EndSetup(context, kExitFatal);
  }
  System& system = *context.platform.system;
  const AnswersReading reading =
      ReadAnswersFile(text, [&system](const std::string& name) { return system.Environment(name); });
  if (!reading.answers) {
    for (const AnswersProblem& problem : reading.problems) {
      Log(context, "Answers file " + *path + ": " + problem.key + ": " + problem.reason);
    }
    Log(context, "Answers file: refused; nothing was changed");
    EndSetup(context, kExitFatal);
  }
  Log(context, "Answers file " + *path + " read");
  return *reading.answers;
}

UnattendedAnswers AnswersFromWizard(SetupProgram& program) {
  TMainForm& form = *program.mainForm;
  const ComponentFlags& f = program.context.flags;
  UnattendedAnswers a;
  a.Name = Trim(form.Get("NameEdit").Text());
  a.Email = form.Get("EmailEdit").Text();
  a.Company = Trim(form.Get("CompanyEdit").Text());
  a.Country = Trim(form.Get("CountryEdit").Text());
  a.BasicMode = form.Get("BasicMode").Checked();
  a.Components = std::array<bool, 7>{!f.NoInstallMail,    !f.NoInstallControl,  !f.NoInstallWebMail, !f.NoInstallIAS,
                                     !f.NoInstallAV,      !f.NoInstallCalendar, !f.NoInstallIM};
  a.DestinationFolder = form.Get("PathEdit").Caption();
  a.CheckForNewVersion =
      form.Get("CheckLatest").Checked() ? UnattendedAnswers::NewVersionCheck::Log : UnattendedAnswers::NewVersionCheck::No;
  // The configuration wizard's answers are added once it closed with OK.
  a.RunConfigurationWizard = false;
  if (program.state.PageIndex >= page::kFinished) {
    a.OpenAdministration = form.Get("RunConfig").Checked();
    a.ViewTutorial = form.Get("ShowTutorial").Checked();
    a.ViewReleaseNotes = form.Get("ViewReleaseNotes").Checked();
  }
  return a;
}

bool SaveAnswersFile(SetupContext& context, const std::string& path, const UnattendedAnswers& answers) {
  Files& files = *context.platform.files;
  const std::string text = WriteAnswersFile(answers);
  std::unique_ptr<OutputFile> out = files.CreateForWriting(path);
  const bool written = out && out->Write(text.data(), text.size()) && out->Close();
  if (!written) {
    const uint32_t code = files.LastError();
    if (context.log != nullptr) {
      context.log->Failure("Writing the answers file " + path, code, context.platform.system->ErrorText(code));
    }
    return false;
  }
  Log(context, "Answers written to " + path);
  return true;
}

void InstallSaveAnswersHooks(SetupProgram& program, const std::string& path) {
  SetupServices& services = program.services;
  auto install = services.RunInstallation;
  services.RunInstallation = [&program, path, install] {
    SaveAnswersFile(program.context, path, AnswersFromWizard(program));
    if (install) install();
  };
  // The configuration wizard's answers join the file once it closed with OK;
  // the password stays out of it (the file names a variable instead).
  auto configure = services.RunConfigurationWizard;
  services.RunConfigurationWizard = [&program, path, configure] {
    if (configure) configure();
    if (!program.wizardForm || program.wizardForm->GetModalResult() != ui::ModalResult::Ok) return;
    const WizardAnswers typed = program.wizardForm->Answers();
    UnattendedAnswers answers = AnswersFromWizard(program);
    answers.RunConfigurationWizard = true;
    answers.HostName = Trim(typed.hostName);
    answers.Domain = Trim(typed.domain);
    answers.Administrator = Trim(typed.userName);
    SaveAnswersFile(program.context, path, answers);
  };
  auto finish = services.RunFinishActions;
  services.RunFinishActions = [&program, path, finish] {
    SaveAnswersFile(program.context, path, AnswersFromWizard(program));
    if (finish) {
      finish();
    } else {
      EndSetup(program.context, kExitSuccess);
    }
  };
}

void InstallUnattendedHooks(SetupProgram& program, const UnattendedAnswers& answers) {
  SetupContext& context = program.context;
  const UnattendedAnswers::NewVersionCheck check = answers.CheckForNewVersion;
  // The new-version question is answered by the file: Log goes on with this
  // release, Stop ends the run when a newer one is offered. The download
  // page is never opened: nobody is there to see it.
  InstallConfigurationAnswers(program, answers);
  program.services.CheckForNewVersion = [&program, &context, check] {
    if (check == UnattendedAnswers::NewVersionCheck::No || context.platform.network == nullptr) return;
    const std::string& configured = program.state.ProductsUrl;
    const std::string url = configured.empty() ? std::string(kDefaultProductsUrl) : configured;
    const std::optional<ProductInfo> info = FetchProductInfo(context, url, kProductCode);
    if (!info || info->version.empty()) return;
    if (VersionAtLeast(SetupVersion, info->version)) {
      Log(context, "New-version check: " + info->version + " offered; this release " + std::string(SetupVersion) +
                       " is as new");
      return;
    }
    Log(context, "New-version check: a newer release " + info->version + " is offered at " + info->url);
    if (check == UnattendedAnswers::NewVersionCheck::Stop) {
      Log(context, "New-version check: CheckForNewVersion=Stop; nothing was installed");
      EndSetup(context, kExitCancelled);
    }
  };
}

void InstallConfigurationAnswers(SetupProgram& program, const UnattendedAnswers& answers) {
  SetupContext& context = program.context;
  WizardAnswers typed;
  typed.hostName = answers.HostName;
  typed.domain = answers.Domain;
  typed.userName = answers.Administrator;
  typed.password = answers.Password;
  program.services.RunConfigurationWizard = [&context, typed] {
    if (context.config == nullptr) {
      Log(context, "Configuration wizard: no configuration store; nothing was created");
      return;
    }
    Log(context, "Configuration wizard answered by the answers file: domain " + typed.domain + ", administrator " +
                     typed.userName);
    ApplyWizardResult(context, *context.config, typed);
  };
}

void RunUnattended(SetupProgram& program, const UnattendedAnswers& a) {
  SetupContext& context = program.context;
  TMainForm& form = *program.mainForm;
  ui::Component& next = form.NextButton();
  auto nextPage = [&form, &next] { form.BackButtonClick(next); };

  // Page 0 and the pages up to the components, filled as a user would.
  form.Get("CheckLatest").SetChecked(a.CheckForNewVersion != UnattendedAnswers::NewVersionCheck::No);
  form.Get("NameEdit").SetText(a.Name);
  form.Get("EmailEdit").SetText(a.Email);
  form.Get("CompanyEdit").SetText(a.Company);
  form.Get("CountryEdit").SetText(a.Country);
  if (a.BasicMode) {
    form.Get("BasicMode").SetChecked(*a.BasicMode);
    form.Get("AdvancedMode").SetChecked(!*a.BasicMode);
    form.AdvancedModeClick();
  }
  nextPage();  // 1: the new-version check
  nextPage();  // 2: credentials
  nextPage();  // 3: interface mode
  nextPage();  // 4: components, shown from the flags
  if (a.Components) {
    ui::Component& list = form.Get("ComponentList");
    for (int i = 0; i < kComponentCount; ++i) list.SetItemChecked(i, (*a.Components)[i]);
  }
  nextPage();  // 5: the flags from the list
  if (!a.DestinationFolder.empty()) form.Get("PathEdit").SetCaption(a.DestinationFolder);
  Log(context, "Unattended installation into " + form.Get("PathEdit").Caption());
  nextPage();  // 6: the installation, then 7

  // The finish page: after an upgrade the configuration wizard's box is
  // cleared and disabled, as in the wizard.
  ui::Component& runWizard = form.Get("RunTutorial");
  if (runWizard.Enabled()) runWizard.SetChecked(a.RunConfigurationWizard);
  form.Get("ShowTutorial").SetChecked(a.ViewTutorial);
  form.Get("ViewReleaseNotes").SetChecked(a.ViewReleaseNotes);
  form.Get("RunConfig").SetChecked(a.OpenAdministration);
  if (program.state.PageIndex == page::kFinished) nextPage();  // 8: the finish actions end the run
  EndSetup(context, kExitSuccess);
}

}  // namespace tovex
