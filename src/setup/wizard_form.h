#pragma once
// TWizardForm: the configuration wizard that runs after a fresh
// installation. Created third, after the wizard and the folder chooser; until
// its pages are built it is an empty window that nothing shows.

#include "ui/form.h"

namespace tovex {

class TWizardForm final : public ui::Form {
 public:
  explicit TWizardForm(ui::Application& application)
      : Form(application, "TWizardForm", "WizardForm", 455, 363) {
    SetCaption("Installation Wizard");
  }
};

}  // namespace tovex
