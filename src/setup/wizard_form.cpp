#include "setup/wizard_form.h"

#include "common/context.h"
#include "localization/setup_strings.h"
#include "ui/application.h"

namespace tovex {

using ui::Component;
using ui::Kind;
using ui::Rect;

namespace {

// Reference layout at 96 dpi: a 544 x 367 client area with a white 57-pixel
// hint band, a divider, the page area, a divider and the button band, as on
// the installation wizard.
constexpr int kClientWidth = 544;
constexpr int kClientHeight = 367;
constexpr int kHintHeight = 57;
constexpr int kPageTop = kHintHeight + 2;
constexpr int kButtonBandTop = kClientHeight - 35;
constexpr int kPageHeight = kButtonBandTop - 2 - kPageTop;
constexpr int kButtonTop = kButtonBandTop + 6;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kMargin = 24;
constexpr int kTextWidth = kClientWidth - 2 * kMargin;
constexpr int kFieldLeft = 130;
constexpr int kFieldWidth = 260;

// Which rule an edit's tag stands for.
constexpr int kHostNameTag = 0;
constexpr int kUserNameTag = 1;
constexpr int kDomainTag = 2;

const char* const kPanelNames[4] = {"NamePanel", "OtherPanel", "EmailPanel", "FinishPanel"};

}  // namespace

TWizardForm::TWizardForm(ui::Application& application, SetupContext& context)
    : Form(application, "TWizardForm", "WizardForm", kClientWidth, kClientHeight), context_(&context) {
  SetCaption("Wizard");
  Component& band = Add(Kind::Panel, "TopPanel", nullptr, {0, 0, kClientWidth, kHintHeight});
  band.GetStyle().whiteBackground = true;
  hint_ = &Add(Kind::Label, "TopMenuLabel", &band, {kMargin, 20, kTextWidth, 17});
  hint_->GetStyle().bold = true;
  hint_->GetStyle().wordWrap = false;
  Add(Kind::Bevel, "TopBevel", nullptr, {0, kHintHeight, kClientWidth, 2});
  BuildPages();
  BuildButtonRow();

  OnShow = [this] { FormShow(); };
  // Escape closes the wizard at once; nothing has been written yet.
  OnKeyPreview = [this](ui::Key key) {
    if (key != ui::Key::Escape) return false;
    SetModalResult(ui::ModalResult::Cancel);
    return true;
  };
}

void TWizardForm::BuildPages() {
  for (int i = 0; i < 4; ++i) {
    panels_[i] = &Add(Kind::Panel, kPanelNames[i], nullptr, {0, kPageTop, kClientWidth, kPageHeight});
  }
  auto text = [this](const char* name, Component* page, Rect bounds, const char* caption, bool wrap = true) {
    Component& label = Add(Kind::Label, name, page, bounds, caption);
    label.GetStyle().wordWrap = wrap;
    return &label;
  };
  auto edit = [this](const char* name, Component* page, int top, int tag) {
    Component& field = Add(Kind::Edit, name, page, {kFieldLeft, top, kFieldWidth, 21});
    field.SetTag(tag);
    field.OnChange = [this](Component& sender) { NameEditChange(sender); };
    return &field;
  };

  // 0: host name
  Component* p = panels_[kHostPage];
  text("NameTextLabel", p, {kMargin, 20, kTextWidth, 30},
       "Enter the hostname of the mail server computer. It must not be blank. ");
  text("NameLabel", p, {kMargin, 68, kFieldLeft - kMargin - 6, 15}, "Hostname:", false);
  edit("NameEdit", p, 64, kHostNameTag);
  text("NameExampleLabel", p, {kFieldLeft, 94, 80, 15}, "For example:", false);
  text("NameSampleLabel", p, {kFieldLeft + 84, 94, kFieldWidth, 15}, "mail.example.com", false);

  // 1: primary domain
  p = panels_[kDomainPage];
  text("OtherTextLabel", p, {kMargin, 20, kTextWidth, 30}, "Enter the name of the primary domain.");
  text("OtherLabel", p, {kMargin, 68, kFieldLeft - kMargin - 6, 15}, "Domain:", false);
  edit("OtherEdit", p, 64, kDomainTag);
  text("OtherExampleLabel", p, {kFieldLeft, 94, 80, 15}, "For example:", false);
  text("OtherSampleLabel", p, {kFieldLeft + 84, 94, kFieldWidth, 15}, "example.com", false);
  // Shown while the domain holds what a folder name must not (Next stays
  // disabled meanwhile), so that the administrator learns why.
  text("OtherWarningLabel", p, {kFieldLeft, 124, kClientWidth - kFieldLeft - kMargin, 30},
       "A domain name cannot contain \\, /, :, control characters or \"..\".")
      ->SetVisible(false);

  // 2: administrator
  p = panels_[kAdministratorPage];
  text("EmailTextLabel", p, {kMargin, 20, kTextWidth, 30},
       "Enter the username and password of the primary domain administrator. ");
  text("EmailLabel", p, {kMargin, 68, kFieldLeft - kMargin - 6, 15}, "Username:", false);
  edit("EmailEdit", p, 64, kUserNameTag);
  text("EmailExampleLabel", p, {kFieldLeft, 94, kFieldWidth, 15}, "For example: administrator", false);
  text("PassLabel", p, {kMargin, 124, kFieldLeft - kMargin - 6, 15}, "Password:", false);
  edit("PassEdit", p, 120, kUserNameTag)->GetStyle().password = true;
  text("EmailWarningLabel", p, {kFieldLeft, 154, kClientWidth - kFieldLeft - kMargin, 30},
       "A user name cannot contain \\, / or \"..\".")
      ->SetVisible(false);

  // 3: complete
  p = panels_[kCompletePage];
  text("FinishTextLabel", p, {kMargin, 20, kTextWidth, 60},
       "You have successfully entered all of the information to setup your account.\r\n\r\n"
       "To save these settings, click Finish.");
}

void TWizardForm::BuildButtonRow() {
  Add(Kind::Bevel, "BottomBevel", nullptr, {0, kButtonBandTop - 2, kClientWidth, 2});
  // Created in tab order: Back, Next, Cancel.
  const int right = kClientWidth - 16;
  previous_ = &Add(Kind::Button, "PreviousButton", nullptr,
                   {right - 3 * kButtonWidth - 12, kButtonTop, kButtonWidth, kButtonHeight}, "< Back");
  next_ = &Add(Kind::Button, "NextButton", nullptr,
               {right - 2 * kButtonWidth - 12, kButtonTop, kButtonWidth, kButtonHeight}, "Next >");
  cancel_ = &Add(Kind::Button, "CancelButton", nullptr, {right - kButtonWidth, kButtonTop, kButtonWidth, kButtonHeight},
                 "Cancel");
  next_->GetStyle().defaultButton = true;
  cancel_->GetStyle().cancelButton = true;
  previous_->OnClick = [this](Component&) { PreviousButtonClick(); };
  next_->OnClick = [this](Component&) { NextButtonClick(); };
  cancel_->OnClick = [this](Component&) { SetModalResult(ui::ModalResult::Cancel); };
}

void TWizardForm::FormShow() {
  page_ = kHostPage;
  Get("NameEdit").SetText("");
  Get("EmailEdit").SetText("");
  Get("PassEdit").SetText("");
  if (!nextCaption_.empty()) next_->SetCaption(nextCaption_);
  previous_->SetVisible(true);
  ShowPage();
}

void TWizardForm::ShowPage() {
  const SetupStrings& s = *context_->strings;
  if (page_ >= kClosed) {
    SetModalResult(ui::ModalResult::Ok);
    return;
  }
  // Only the current page is visible and in front.
  for (int i = 0; i < 4; ++i) {
    if (i != page_) panels_[i]->SetVisible(false);
  }
  panels_[page_]->SetVisible(true);
  panels_[page_]->BringToFront();

  switch (page_) {
    case kHostPage:
      NameEditChange(Get("NameEdit"));
      hint_->SetCaption(s.WHostName);
      Get("NameEdit").SetFocus();
      previous_->SetEnabled(false);
      break;
    case kDomainPage:
      NameEditChange(Get("OtherEdit"));
      Get("OtherEdit").SetFocus();
      hint_->SetCaption(s.WPrimaryDomain);
      previous_->SetEnabled(true);
      break;
    case kAdministratorPage:
      NameEditChange(Get("EmailEdit"));
      hint_->SetCaption(s.WAdministrator);
      Get("EmailEdit").SetFocus();
      previous_->SetEnabled(true);
      break;
    case kCompletePage:
      if (next_->Caption() != s.cFinish) nextCaption_ = next_->Caption();
      next_->SetCaption(s.cFinish);
      next_->SetEnabled(true);
      previous_->SetVisible(false);
      hint_->SetCaption(s.WWizardComplete);
      next_->SetFocus();
      break;
    default:
      break;
  }
}

void TWizardForm::NextButtonClick() {
  if (page_ >= kClosed) return;
  ++page_;
  ShowPage();
}

void TWizardForm::PreviousButtonClick() {
  if (page_ <= kHostPage) return;
  --page_;
  ShowPage();
}

void TWizardForm::NameEditChange(Component& sender) {
  switch (sender.Tag()) {
    case kHostNameTag:
      next_->SetEnabled(!Get("NameEdit").Text().empty());
      break;
    case kUserNameTag: {
      const std::string& user = Get("EmailEdit").Text();
      const bool safe = IsSafeUserName(user);
      Get("EmailWarningLabel").SetVisible(!safe);
      next_->SetEnabled(!user.empty() && safe);
      break;
    }
    case kDomainTag: {
      const std::string& domain = Get("OtherEdit").Text();
      const bool safe = IsSafeDomainName(domain);
      Get("OtherWarningLabel").SetVisible(!safe);
      next_->SetEnabled(!domain.empty() && safe);
      break;
    }
    default:
      break;
  }
}

WizardAnswers TWizardForm::Answers() const {
  return {Get("NameEdit").Text(), Get("OtherEdit").Text(), Get("EmailEdit").Text(), Get("PassEdit").Text()};
}

}  // namespace tovex
