#pragma once
// User port: what the person at the machine sees and answers outside the
// wizard's own forms: message boxes, the wait cursor, pending messages.

#include <cstdint>
#include <string>

namespace tovex {

enum class MessageIcon { None, Error, Warning, Question, Information };
enum class MessageButtons { Ok, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

class User {
 public:
  virtual ~User() = default;

  // A task-modal message box. With ownedByMain the wizard window owns it (the
  // usual case); otherwise it has no owner window.
  virtual MessageAnswer ShowMessage(const std::string& text, const std::string& caption,
                                    MessageButtons buttons, MessageIcon icon,
                                    bool ownedByMain = true) = 0;
  // Handles pending window messages, so that the wizard stays responsive and
  // a confirmed cancel can end the run between two steps.
  virtual void ProcessMessages() = 0;
  virtual void SetWaitCursor(bool wait) = 0;
};

}  // namespace tovex
