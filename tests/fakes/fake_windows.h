#pragma once
// Top-level windows of other programs (the server consoles), with scripted
// answers to the close message: gone at once, gone after a delay on the
// virtual clock, or never. Every message sent is recorded.

#include <map>
#include <string>
#include <vector>

#include "platform/windows_port.h"

namespace tovex::fakes {

class FakeClock;

class FakeWindows final : public Windows {
 public:
  enum class CloseBehaviour { AtOnce, AfterDelay, Ignore };

  struct Window {
    std::string className;
    std::string title;
    CloseBehaviour closeBehaviour = CloseBehaviour::AtOnce;
    uint64_t closeDelayMs = 0;
    intptr_t answer = 0;  // what the window procedure returns
    // Run time.
    bool closing = false;
    uint64_t closesAtMs = 0;
  };

  struct Message {
    WindowId window;
    std::string title;
    uint32_t message;
    uintptr_t first;
    intptr_t second;
  };

  explicit FakeWindows(FakeClock& clock);

  std::map<WindowId, Window> windows;
  std::vector<Message> sent;  // every message to an existing window, in order

  WindowId Open(const std::string& className, const std::string& title,
                CloseBehaviour behaviour = CloseBehaviour::AtOnce, uint64_t delayMs = 0);
  bool IsOpen(const std::string& className, const std::string& title);

  WindowId FindTopLevel(const std::string& className, const std::string& title) override;
  bool Exists(WindowId window) override { return windows.count(window) != 0; }
  intptr_t Send(WindowId window, uint32_t message, uintptr_t first, intptr_t second) override;

 private:
  FakeClock& clock_;
  WindowId nextId_ = 0x10010;
};

}  // namespace tovex::fakes
