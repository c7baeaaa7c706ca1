#pragma once
// TWizardForm: the configuration wizard that runs after a fresh
// installation. Four pages ask for the host name of the server, the primary
// domain, and the user name and password of its administrator; Finish
// closes the form with OK, Cancel, Escape and the close box with Cancel.
// The answers are read from the edits after it closed (Answers()).

#include <array>
#include <string>

#include "ui/form.h"
#include "upgrade/first_domain.h"

namespace tovex {

struct SetupContext;

class TWizardForm final : public ui::Form {
 public:
  TWizardForm(ui::Application& application, SetupContext& context);

  // Page numbers; kClosed is reached by Finish and closes the form with OK.
  static constexpr int kHostPage = 0;
  static constexpr int kDomainPage = 1;
  static constexpr int kAdministratorPage = 2;
  static constexpr int kCompletePage = 3;
  static constexpr int kClosed = 4;

  int PageNumber() const { return page_; }
  // Makes the current page visible and in front, with its hint, focus and
  // buttons; page kClosed sets the OK result.
  void ShowPage();
  void NextButtonClick();
  void PreviousButtonClick();
  // The change handler of all four edits; the edit's tag says which rule
  // decides whether Next is enabled: 0 the host name, 1 the administrator's
  // user name (also when the password changed), 2 the domain.
  void NameEditChange(ui::Component& sender);

  // What the edits hold, as typed.
  WizardAnswers Answers() const;

  ui::Component& HintLabel() const { return *hint_; }
  ui::Component& PreviousButton() const { return *previous_; }
  ui::Component& NextButton() const { return *next_; }
  ui::Component& CancelButton() const { return *cancel_; }

 private:
  void BuildPages();
  void BuildButtonRow();
  // Resets the page number and the edits each time the form is shown.
  void FormShow();

  SetupContext* context_;
  int page_ = kHostPage;
  ui::Component* hint_ = nullptr;
  ui::Component* previous_ = nullptr;
  ui::Component* next_ = nullptr;
  ui::Component* cancel_ = nullptr;
  std::array<ui::Component*, 4> panels_{};
  // Next's caption before the last page made it "Finish", so that a second
  // showing starts with it again (translated or not).
  std::string nextCaption_;
};

}  // namespace tovex
