#include "fakes/fake_windows.h"

#include <cctype>
#include <iterator>

#include "fakes/fake_clock.h"

namespace tovex::fakes {

FakeWindows::FakeWindows(FakeClock& clock) : clock_(clock) {
  clock_.OnAdvance([this](uint64_t now) {
    for (auto it = windows.begin(); it != windows.end();) {
      it = it->second.closing && now >= it->second.closesAtMs ? windows.erase(it) : std::next(it);
    }
  });
}

WindowId FakeWindows::Open(const std::string& className, const std::string& title, CloseBehaviour behaviour,
                           uint64_t delayMs) {
  const WindowId id = nextId_;
  nextId_ += 0x10;
  Window& window = windows[id];
  window.className = className;
  window.title = title;
  window.closeBehaviour = behaviour;
  window.closeDelayMs = delayMs;
  return id;
}

bool FakeWindows::IsOpen(const std::string& className, const std::string& title) {
  return FindTopLevel(className, title) != 0;
}

WindowId FakeWindows::FindTopLevel(const std::string& className, const std::string& title) {
  // Class names compare without case, as Windows does; titles exactly.
  for (const auto& [id, window] : windows) {
    if (window.title == title && window.className.size() == className.size()) {
      bool same = true;
      for (size_t i = 0; i < className.size(); ++i) {
        same = same && std::tolower(static_cast<unsigned char>(window.className[i])) ==
                           std::tolower(static_cast<unsigned char>(className[i]));
      }
      if (same) return id;
    }
  }
  return 0;
}

intptr_t FakeWindows::Send(WindowId window, uint32_t message, uintptr_t first, intptr_t second) {
  const auto it = windows.find(window);
  if (it == windows.end()) return 0;
  sent.push_back(Message{window, it->second.title, message, first, second});
  const intptr_t answer = it->second.answer;
  if (message == kCloseMessage) {
    switch (it->second.closeBehaviour) {
      case CloseBehaviour::AtOnce:
        windows.erase(it);
        break;
      case CloseBehaviour::AfterDelay:
        it->second.closing = true;
        it->second.closesAtMs = clock_.ElapsedMs() + it->second.closeDelayMs;
        break;
      case CloseBehaviour::Ignore:
        break;
    }
  }
  return answer;
}

}  // namespace tovex::fakes
