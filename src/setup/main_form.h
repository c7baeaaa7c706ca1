#pragma once
// TMainForm: the installation wizard, one fixed-size window with nine pages
// that share one Back / Next / Cancel button row.

#include <array>
#include <string>

#include "setup/setup_services.h"
#include "setup/wizard_state.h"
#include "ui/form.h"

namespace tovex {

struct SetupContext;
class TBrowseFolder;

class TMainForm final : public ui::Form {
 public:
  TMainForm(ui::Application& application, SetupContext& context, SetupServices& services, WizardState& state);

  // The folder chooser that BrowseButtonClick shows.
  void SetBrowseFolder(TBrowseFolder* browseFolder) { browseFolder_ = browseFolder; }

  // Applies the page table's row for the current PageIndex: panels, front
  // page, caption and buttons.
  void ShowPage();
  // Back (tag 0) and Next (tag 1): moves one page and runs the entry action
  // of the page reached.
  void BackButtonClick(ui::Component& sender);
  // The cancel confirmation: Yes ends the run (cancelled), No returns.
  void CloseButtonClick();
  // Next on the credentials page is enabled exactly while the input is valid.
  void NameEditChange();
  // Shows the hint of the checked interface mode.
  void AdvancedModeClick();
  void BrowseButtonClick();

  // The Installing page's progress, for the installation: the phase caption
  // is shown after pending window messages were handled (so a confirmed
  // cancel ends the run between two steps); the bar runs from 0 to 12.
  void SetPhaseCaption(const std::string& text);
  void StepProgress();

  // Whether Name and E-mail pass the credentials rule.
  static bool CredentialsValid(const std::string& name, const std::string& email);

  // The panel of each page 0 to 7 (page 8 has none).
  ui::Component& PagePanel(uint8_t index) const { return *pages_[index]; }
  WizardState& State() const { return *state_; }

  ui::Component& PageCaption() const { return *pageCaption_; }
  ui::Component& BackButton() const { return *back_; }
  ui::Component& NextButton() const { return *next_; }
  ui::Component& CloseButton() const { return *close_; }

 private:
  void BuildTitleBand();
  void BuildPages();
  void BuildButtonRow();
  void EnterPage(ui::Component& sender);
  bool* ComponentFlag(int index) const;

  ui::Component* pageCaption_ = nullptr;
  ui::Component* back_ = nullptr;
  ui::Component* next_ = nullptr;
  ui::Component* close_ = nullptr;

  SetupContext* context_;
  SetupServices* services_;
  WizardState* state_;
  TBrowseFolder* browseFolder_ = nullptr;
  std::array<ui::Component*, 8> pages_{};
};

// Component list entries by index, with the flags they show.
inline constexpr int kComponentCount = 7;
const char* const* ComponentEntries();

}  // namespace tovex
