#pragma once
// A scripted user: records every message box and answers from a queue (Yes /
// Ok by default, matching the box's buttons).

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/user.h"

namespace tovex::fakes {

class FakeUser final : public User {
 public:
  struct Box {
    std::string text;
    std::string caption;
    MessageButtons buttons;
    MessageIcon icon;
    bool ownedByMain;
  };

  std::vector<Box> shown;
  std::deque<MessageAnswer> answers;
  int processMessagesCalls = 0;
  bool waitCursor = false;
  // Runs inside ProcessMessages, to act "while" the core works (a click on
  // Cancel between two installation steps).
  std::function<void()> onProcessMessages;

  MessageAnswer ShowMessage(const std::string& text, const std::string& caption, MessageButtons buttons,
                            MessageIcon icon, bool ownedByMain) override {
    shown.push_back(Box{text, caption, buttons, icon, ownedByMain});
    if (!answers.empty()) {
      const MessageAnswer answer = answers.front();
      answers.pop_front();
      return answer;
    }
    return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Yes;
  }
  void ProcessMessages() override {
    ++processMessagesCalls;
    if (onProcessMessages) onProcessMessages();
  }
  void SetWaitCursor(bool wait) override { waitCursor = wait; }
};

}  // namespace tovex::fakes
