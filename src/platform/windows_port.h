#pragma once
// Windows port: top-level windows of other programs, found by class and
// title, and synchronous messages to them. (Named windows_port.h so that it
// never stands in for the system's <windows.h>.)

#include <cstdint>
#include <string>

namespace tovex {

// A window handle as a number; 0 is no window.
using WindowId = uint64_t;

inline constexpr uint32_t kCloseMessage = 0x0010;  // WM_CLOSE

class Windows {
 public:
  virtual ~Windows() = default;
  // The top-level window with exactly this class and title; 0 when none.
  virtual WindowId FindTopLevel(const std::string& className, const std::string& title) = 0;
  // True while the window exists.
  virtual bool Exists(WindowId window) = 0;
  // Sends a message and waits until the window has handled it; the window's
  // answer (0 when the window is gone).
  virtual intptr_t Send(WindowId window, uint32_t message, uintptr_t first, intptr_t second) = 0;
};

}  // namespace tovex
