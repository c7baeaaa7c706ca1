#pragma once
// One run of Setup: the context, the hooks to the other parts, the forms in
// their creation order, and the start-up that runs when the wizard window is
// first shown.

#include <memory>
#include <string>
#include <vector>

#include "common/context.h"
#include "setup/browse_folder.h"
#include "setup/main_form.h"
#include "setup/setup_services.h"
#include "setup/wizard_form.h"
#include "setup/wizard_state.h"
#include "ui/application.h"

namespace tovex {

class SetupProgram {
 public:
  // Services may be replaced before Start; the default ones do nothing.
  explicit SetupProgram(SetupContext& context);

  // Attaches the setup log in the temporary folder, sets the application
  // title and creates TMainForm, TBrowseFolder and TWizardForm, in this
  // order. Start-up runs when the main form is shown the first time.
  void CreateForms();
  // Shows the wizard window (through the application's host when there is
  // one); the first show runs the start-up.
  void ShowMainForm();

  SetupContext& context;
  SetupServices services;
  ui::Application application;
  WizardState state;
  std::unique_ptr<TMainForm> mainForm;
  std::unique_ptr<TBrowseFolder> browseFolder;
  std::unique_ptr<TWizardForm> wizardForm;

 private:
  bool started_ = false;
};

// The one-time initialisation of the wizard: language, products
// information, the command line, the records of a previous installation,
// the setup data check and the installation question. It either leaves the
// wizard on page 0 or ends the process.
void RunStartup(SetupProgram& program);

// The address of the local web mail or web administration page: the first
// host of the server's list (or localhost), the web administration port.
std::string WebLogonAddress(const std::string& hostList, uint16_t port, bool webMail);

inline constexpr const char* kSetupLogName = "TovexSetup.log";

}  // namespace tovex
