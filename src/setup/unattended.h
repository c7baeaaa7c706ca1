#pragma once
// Unattended runs for administrators who deploy the server on many machines:
//
//   /VERYSILENT /LOADINF=FILE   installs with the answers of FILE, without any
//                               window or message box; every message goes to
//                               the setup log and the exit code tells the
//                               outcome (0, 1603 after what would have been a
//                               fatal box, 1602 when a question had no answer
//                               that allows going on)
//   /SAVEINF=FILE               the wizard as usual; its answers are written
//                               to FILE when "&Install >" is clicked (and
//                               completed by the finish page and the
//                               configuration wizard), never a password
//   /UNINSTALL /VERYSILENT      the removal without its question and box
//   /LOG=FILE                   (any position) the setup log also goes to FILE
//   /?                          a box listing the parameters

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/user.h"
#include "setup/answers_file.h"

namespace tovex {

struct SetupContext;
class SetupProgram;

// The message boxes of a run without windows: each goes to the setup log;
// a box with only OK is taken as read; a question is answered by decide, and
// a question it leaves open ends Setup with 1602.
class SilentUser final : public User {
 public:
  explicit SilentUser(SetupContext& context) : context_(context) {}
  std::function<std::optional<MessageAnswer>(const std::string& text, const std::string& caption)> decide;

  MessageAnswer ShowMessage(const std::string& text, const std::string& caption, MessageButtons buttons,
                            MessageIcon icon, bool ownedByMain = true) override;
  void ProcessMessages() override {}
  void SetWaitCursor(bool) override {}

 private:
  SetupContext& context_;
};

// The questions an unattended run answers by itself: the uninstall
// question, which /UNINSTALL /VERYSILENT has asked for already.
std::function<std::optional<MessageAnswer>(const std::string&, const std::string&)> UnattendedDecisions(
    SetupContext& context);

// Reads and checks the answers file of /LOADINF=; every problem goes to the
// setup log, naming its key and why, and ends Setup with 1603 before anything
// on the machine changed.
UnattendedAnswers LoadAnswersOrEnd(SetupContext& context);

// The wizard's answers so far, as /SAVEINF writes them.
UnattendedAnswers AnswersFromWizard(SetupProgram& program);
// Writes the answers file; a failure is logged and the run goes on.
bool SaveAnswersFile(SetupContext& context, const std::string& path, const UnattendedAnswers& answers);

// Hooks the saving of the answers into the wizard: at "&Install >", at the
// finish page and after the configuration wizard.
void InstallSaveAnswersHooks(SetupProgram& program, const std::string& path);

// The configuration wizard's hook, answered by [Configuration].
void InstallConfigurationAnswers(SetupProgram& program, const UnattendedAnswers& answers);

// Replaces the hooks that would ask (the new-version question, the
// configuration wizard) by the answers.
void InstallUnattendedHooks(SetupProgram& program, const UnattendedAnswers& answers);

// After the start-up left the wizard on page 0: fills every page from the
// answers and walks it to the end, as a user clicking Next would.
[[noreturn]] void RunUnattended(SetupProgram& program, const UnattendedAnswers& answers);

}  // namespace tovex
