#include "setup/main_form.h"

#include "common/context.h"
#include "common/setup_log.h"
#include "common/text.h"
#include "localization/setup_strings.h"
#include "platform/files.h"
#include "platform/system.h"
#include "platform/user.h"
#include "setup/browse_folder.h"
#include "ui/application.h"

namespace tovex {

using ui::Component;
using ui::Kind;

namespace {

// Reference layout at 96 dpi: a 455 x 363 client area with a 57-pixel title
// band, a divider, the 269-pixel page area, a divider and the 33-pixel
// button band.
constexpr int kClientWidth = 455;
constexpr int kClientHeight = 363;
constexpr int kTitleHeight = 57;
constexpr int kPageTop = kTitleHeight + 2;
constexpr int kPageHeight = 269;
constexpr int kButtonBandTop = kPageTop + kPageHeight + 2;
constexpr int kButtonTop = kButtonBandTop + 5;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kMargin = 16;
constexpr int kTextWidth = kClientWidth - 2 * kMargin;

const char* const kComponentEntries[kComponentCount] = {
    "Mail Services (SMTP, POP3, IMAP)",
    "Control Services (Control, HTTP, FTP)",
    "WebMail",
    "Anti-Spam",
    "Anti-Virus",
    "GroupWare",
    "Instant Messaging / VoIP",
};

const char* const kPageNames[8] = {
    "WelcomePanel",   "LicensePanel",   "CredentialsPanel", "SetupTypePanel",
    "SetupComponents", "InstallPanel", "InstallingPanel",  "FinishedPanel",
};

}  // namespace

const char* const* ComponentEntries() { return kComponentEntries; }

TMainForm::TMainForm(ui::Application& application, SetupContext& context, SetupServices& services, WizardState& state)
    : Form(application, "TMainForm", "MainForm", kClientWidth, kClientHeight),
      context_(&context), services_(&services), state_(&state) {
  SetCaption("Setup");
  BuildTitleBand();
  BuildPages();
  BuildButtonRow();
  // The window opens as page 0 looks, also while start-up asks its questions.
  ShowPage();

  OnKeyPreview = [this](ui::Key key) {
    if (key != ui::Key::Escape) return false;
    CloseButtonClick();
    return true;
  };
  OnCloseQuery = [this] {
    // The close box never closes the wizard by itself; it asks like Cancel.
    CloseButtonClick();
    return false;
  };
}

void TMainForm::BuildTitleBand() {
  Component& band = Add(Kind::Panel, "TitlePanel", nullptr, {0, 0, kClientWidth, kTitleHeight});
  band.GetStyle().whiteBackground = true;
  Component& logo = Add(Kind::Image, "LogoImage", &band, {10, 6, 44, 44});
  logo.SetImageId("ProductLogo");
  pageCaption_ = &Add(Kind::Label, "PageCaption", &band, {66, 20, kClientWidth - 66 - kMargin, 17});
  pageCaption_->GetStyle().bold = true;
  pageCaption_->GetStyle().wordWrap = false;
  Add(Kind::Bevel, "TopBevel", nullptr, {0, kTitleHeight, kClientWidth, 2});
}

void TMainForm::BuildPages() {
  for (int i = 0; i < 8; ++i) {
    pages_[i] = &Add(Kind::Panel, kPageNames[i], nullptr, {0, kPageTop, kClientWidth, kPageHeight});
  }
  auto label = [this](const char* name, Component* page, int top, int height, const char* text) -> Component& {
    return Add(Kind::Label, name, page, {kMargin, top, kTextWidth, height}, text);
  };

  // 0: Welcome
  Component* p = pages_[page::kWelcome];
  Component& about = label("AboutLabel", p, 12, 17, "Welcome to the Tovex Mail Server Setup Wizard");
  about.GetStyle().bold = true;
  label("TextLabel", p, 40, 54,
        "Tovex Mail Server is the ultimate communication solution providing complete messaging solutions, "
        "groupware, antispam and antivirus features. It can be installed as a stand-alone, LAN or ISP server.");
  label("TipALabel", p, 104, 30,
        "It is strongly recommended that you exit all Windows programs before running this setup program. ");
  label("TipBLabel", p, 140, 30,
        "Click Cancel to quit Setup and then close any programs you have running. Click Next to continue with "
        "the Setup program.");
  Component& checkLatest =
      Add(Kind::CheckBox, "CheckLatest", p, {kMargin, 232, kTextWidth, 19}, "Check for new version on the Internet");
  checkLatest.SetChecked(true);

  // 1: Licence agreement
  p = pages_[page::kLicense];
  label("LicenseLabel", p, 8, 30,
        "Please read the following license agreement. Use the scroll bar to view the rest of this agreement.");
  Component& memo = Add(Kind::Memo, "LicenseMemo", p, {kMargin, 40, kTextWidth, 180});
  memo.GetStyle().readOnly = true;
  memo.GetStyle().whiteBackground = true;
  memo.GetStyle().scrollBars = true;
  memo.GetStyle().wordWrap = false;
  label("LicenseAcceptLabel", p, 226, 40,
        "Do you accept all the terms of the preceding license agreement? If so, click on the Yes button. If you "
        "select No, Setup will close.");

  // 2: Credentials
  p = pages_[page::kCredentials];
  label("CredentialsLabel", p, 8, 58,
        "Fill your details into the fields below. Name and E-mail are required. Please, use your real name and "
        "real e-mail address. The email address is required to get this product working.");
  struct Field {
    const char* label;
    const char* name;
    const char* text;
  };
  const Field fields[] = {{"NameLabel", "NameEdit", "Name:"},
                          {"EmailLabel", "EmailEdit", "E-mail:"},
                          {"CompanyLabel", "CompanyEdit", "Organization:"},
                          {"CountryLabel", "CountryEdit", "Country:"}};
  int top = 80;
  for (const Field& field : fields) {
    Add(Kind::Label, field.label, p, {kMargin, top + 4, 100, 15}, field.text).GetStyle().wordWrap = false;
    Component& edit = Add(Kind::Edit, field.name, p, {124, top, kClientWidth - 124 - kMargin, 21});
    if (std::string(field.name) == "NameEdit" || std::string(field.name) == "EmailEdit") {
      edit.OnChange = [this](Component&) { NameEditChange(); };
    }
    top += 32;
  }

  // 3: Setup type
  p = pages_[page::kSetupType];
  label("InterfaceModeL", p, 16, 17, "Select the interface mode (Can be changed later):");
  Component& advanced = Add(Kind::RadioButton, "AdvancedMode", p, {32, 44, 300, 19}, "Advanced");
  Component& basic = Add(Kind::RadioButton, "BasicMode", p, {32, 68, 300, 19}, "Basic");
  advanced.SetChecked(true);
  advanced.OnClick = [this](Component&) { AdvancedModeClick(); };
  basic.OnClick = [this](Component&) { AdvancedModeClick(); };
  Component& console = Add(Kind::Edit, "ConsoleMemo", p, {kMargin, 100, kTextWidth, 21});
  console.GetStyle().readOnly = true;

  // 4: Components
  p = pages_[page::kComponents];
  label("SelectLabelsL", p, 16, 17, "Select components you want to have installed:");
  Component& list = Add(Kind::CheckListBox, "ComponentList", p, {kMargin, 40, kTextWidth, 150});
  list.SetItems({kComponentEntries, kComponentEntries + kComponentCount});

  // 5: Install folder
  p = pages_[page::kInstallFolder];
  label("InstallLabel", p, 16, 44,
        "Click the Browse button to select the destination directory. Click the Install button to start copying "
        "files and to finish the setup process.");
  Component& box = Add(Kind::GroupBox, "FolderBox", p, {kMargin, 150, kTextWidth, 64}, "Destination Directory");
  Component& path = Add(Kind::Label, "PathEdit", &box, {12, 30, kTextWidth - 12 - 100, 17}, "Tovex\\");
  path.GetStyle().wordWrap = false;
  Component& browse = Add(Kind::Button, "BrowseButton", &box, {kTextWidth - 12 - 80, 25, 80, 25}, "&Browse...");
  browse.OnClick = [this](Component&) { BrowseButtonClick(); };

  // 6: Installing
  p = pages_[page::kInstalling];
  label("InstallPanelText", p, 60, 32, "");
  Component& progress = Add(Kind::ProgressBar, "ProgressBar", p, {kMargin, 100, kTextWidth, 18});
  progress.SetRange(0, 12);
  progress.SetStep(1);

  // 7: Finished
  p = pages_[page::kFinished];
  label("SetupComplete", p, 16, 30, "Installation was successful. You may run the installed program now.");
  label("SelectActionL", p, 52, 30, "Select actions below you want to have performed when clicked the Next button.");
  const struct {
    const char* name;
    const char* text;
    bool checked;
  } actions[] = {{"RunConfig", "Open Server Administration", false},
                 {"RunTutorial", "Run Installation Wizard", true},
                 {"ShowTutorial", "View Quick Start Tutorial", true},
                 {"ViewReleaseNotes", "View Release Notes", false}};
  top = 92;
  for (const auto& action : actions) {
    Add(Kind::CheckBox, action.name, p, {32, top, 380, 19}, action.text).SetChecked(action.checked);
    top += 26;
  }
}

void TMainForm::BuildButtonRow() {
  Add(Kind::Bevel, "BottomBevel", nullptr, {0, kButtonBandTop - 2, kClientWidth, 2});
  back_ = &Add(Kind::Button, "BackButton", nullptr, {220, kButtonTop, kButtonWidth, kButtonHeight}, "< &Back");
  next_ = &Add(Kind::Button, "NextButton", nullptr, {295, kButtonTop, kButtonWidth, kButtonHeight}, "&Next >");
  close_ = &Add(Kind::Button, "CloseButton", nullptr, {377, kButtonTop, kButtonWidth, kButtonHeight}, "&Cancel");
  back_->SetTag(0);
  next_->SetTag(1);
  next_->GetStyle().defaultButton = true;
  back_->OnClick = [this](Component& sender) { BackButtonClick(sender); };
  next_->OnClick = [this](Component& sender) { BackButtonClick(sender); };
  close_->OnClick = [this](Component&) { CloseButtonClick(); };
}

void TMainForm::ShowPage() {
  const SetupStrings& s = *context_->strings;
  const uint8_t index = state_->PageIndex;

  // The page entered is enabled; its neighbours are disabled so that nothing
  // on them can be reached while they lie behind it.
  if (index < 8) pages_[index]->SetEnabled(true);
  if (index >= 1 && index - 1 < 8) pages_[index - 1]->SetEnabled(false);
  if (index + 1 < 8) pages_[index + 1]->SetEnabled(false);
  if (index < 8) pages_[index]->BringToFront();

  switch (index) {
    case page::kWelcome:
      pageCaption_->SetCaption(Get("AboutLabel").Caption());
      back_->SetVisible(false);
      next_->SetCaption(s.cNext);
      next_->SetVisible(true);
      next_->SetEnabled(true);
      close_->SetCaption(s.cCancel);
      if (Showing()) next_->SetFocus();
      break;
    case page::kLicense:
      pageCaption_->SetCaption(s.cSLA);
      back_->SetCaption(s.cBack);
      back_->SetVisible(true);
      next_->SetCaption(s.cYes);
      next_->SetEnabled(true);
      close_->SetCaption(s.cNo);
      break;
    case page::kCredentials: {
      pageCaption_->SetCaption(s.cCredentials);
      back_->SetCaption(s.cBack);
      next_->SetCaption(s.cNext);
      close_->SetCaption(s.cCancel);
      NameEditChange();
      Component& name = Get("NameEdit");
      if (name.Text().empty()) {
        name.SetFocus();
        name.SelectAll();
      }
      break;
    }
    case page::kSetupType:
      pageCaption_->SetCaption(s.cSetupType);
      next_->SetCaption(s.cNext);
      next_->SetEnabled(true);
      break;
    case page::kComponents:
      pageCaption_->SetCaption(s.cComponentSetup);
      next_->SetCaption(s.cNext);
      break;
    case page::kInstallFolder:
      pageCaption_->SetCaption(s.cStartCopyingFiles);
      back_->SetCaption(s.cBack);
      back_->SetVisible(true);
      back_->SetEnabled(true);
      next_->SetCaption(s.cInstallC);
      next_->SetVisible(true);
      next_->SetEnabled(true);
      close_->SetCaption(s.cCancel);
      break;
    case page::kInstalling:
      pageCaption_->SetCaption(s.cInstallingFiles + " " + s.cName);
      break;
    case page::kFinished:
      pageCaption_->SetCaption(s.cSetupFinished);
      back_->SetVisible(false);
      back_->SetEnabled(false);
      next_->SetCaption(s.cFinish);
      next_->SetVisible(true);
      next_->SetEnabled(true);
      next_->SetFocus();
      close_->SetCaption(s.cCancel);
      if (state_->IsUpgrade) {
        Get("ShowTutorial").SetChecked(false);
        Component& runTutorial = Get("RunTutorial");
        runTutorial.SetChecked(false);
        runTutorial.SetEnabled(false);
      }
      break;
    case page::kFinishActions:
      pages_[page::kFinished]->SetEnabled(false);
      pageCaption_->SetCaption(s.cTutorialCaption);
      back_->SetVisible(true);
      back_->SetEnabled(true);
      next_->SetCaption(s.cFinish);
      next_->SetEnabled(false);
      close_->SetCaption(s.cCancel);
      break;
    default:
      break;
  }
}

bool* TMainForm::ComponentFlag(int index) const {
  ComponentFlags& f = context_->flags;
  bool* const flags[kComponentCount] = {&f.NoInstallMail,     &f.NoInstallControl, &f.NoInstallWebMail,
                                        &f.NoInstallIAS,      &f.NoInstallAV,      &f.NoInstallCalendar,
                                        &f.NoInstallIM};
  return flags[index];
}

void TMainForm::BackButtonClick(Component& sender) {
  // Back is hidden on the first page and Next ends the run on the last, but
  // a click posted from outside reaches even a hidden button: never leave the
  // range of pages.
  if (sender.Tag() == 0) {
    if (state_->PageIndex == page::kWelcome) return;
    --state_->PageIndex;
  } else {
    if (state_->PageIndex >= page::kFinishActions) return;
    ++state_->PageIndex;
  }
  ShowPage();
  EnterPage(sender);
}

void TMainForm::EnterPage(Component& sender) {
  switch (state_->PageIndex) {
    case page::kLicense:
      if (Get("CheckLatest").Checked()) services_->CheckForNewVersion();
      break;
    case page::kComponents: {
      Component& list = Get("ComponentList");
      for (int i = 0; i < kComponentCount; ++i) list.SetItemChecked(i, !*ComponentFlag(i));
      list.SetItemIndex(0);
      break;
    }
    case page::kInstallFolder: {
      Component& list = Get("ComponentList");
      for (int i = 0; i < kComponentCount; ++i) *ComponentFlag(i) = !list.ItemChecked(i);
      break;
    }
    case page::kInstalling:
      context_->platform.user->SetWaitCursor(true);
      next_->SetEnabled(false);
      back_->SetEnabled(false);
      try {
        services_->RunInstallation();
      } catch (const ProcessEnded&) {
        throw;
      } catch (const std::exception& error) {
        // The wizard still reaches the Finished page; the log says why the
        // installation stopped.
        if (context_->log != nullptr) context_->log->Write(std::string("Installation stopped: ") + error.what());
      } catch (...) {
        if (context_->log != nullptr) context_->log->Write("Installation stopped by an unknown error");
      }
      next_->SetEnabled(true);
      back_->SetEnabled(true);
      context_->platform.user->SetWaitCursor(false);
      BackButtonClick(sender);
      break;
    case page::kFinishActions:
      if (services_->RunFinishActions) {
        services_->RunFinishActions();
      } else {
        EndSetup(*context_, kExitSuccess);
      }
      break;
    default:
      break;
  }
}

void TMainForm::CloseButtonClick() {
  const SetupStrings& s = *context_->strings;
  const MessageAnswer answer =
      context_->platform.user->ShowMessage(s.cDoYouExit, s.cDoYouExitTitle, MessageButtons::YesNo, MessageIcon::Question);
  if (answer != MessageAnswer::Yes) return;
  if (context_->log != nullptr) context_->log->Write("The user cancelled Setup on page " + std::to_string(state_->PageIndex));
  EndSetup(*context_, kExitCancelled);
}

bool TMainForm::CredentialsValid(const std::string& name, const std::string& email) {
  if (Trim(name).empty()) return false;
  const size_t at = FirstPos("@", email);
  const size_t dot = LastPos(".", email);
  return at > 1 && at < email.size() && dot > at && dot < email.size();
}

void TMainForm::NameEditChange() {
  next_->SetEnabled(CredentialsValid(Get("NameEdit").Text(), Get("EmailEdit").Text()));
}

void TMainForm::AdvancedModeClick() {
  const SetupStrings& s = *context_->strings;
  Get("ConsoleMemo").SetText(Get("BasicMode").Checked() ? s.cHintBasic : s.cHintAdvanced);
}

void TMainForm::SetPhaseCaption(const std::string& text) {
  context_->platform.user->ProcessMessages();
  Get("InstallPanelText").SetCaption(text);
  if (context_->log != nullptr) context_->log->Write("Phase: " + text);
}

void TMainForm::StepProgress() { Get("ProgressBar").StepIt(); }

void TMainForm::BrowseButtonClick() {
  if (browseFolder_ == nullptr) return;
  Component& path = Get("PathEdit");
  browseFolder_->PathEdit().SetText(path.Caption());
  if (App().ShowModal(*browseFolder_) == ui::ModalResult::Ok) path.SetCaption(browseFolder_->PathEdit().Text());
}

}  // namespace tovex
