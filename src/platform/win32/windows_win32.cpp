#include "platform/win32/windows_win32.h"

#include <windows.h>

namespace tovex::win32 {

namespace {
HWND ToHandle(WindowId window) { return reinterpret_cast<HWND>(static_cast<uintptr_t>(window)); }
}  // namespace

WindowId Win32Windows::FindTopLevel(const std::string& className, const std::string& title) {
  return static_cast<WindowId>(reinterpret_cast<uintptr_t>(::FindWindowA(className.c_str(), title.c_str())));
}

bool Win32Windows::Exists(WindowId window) { return window != 0 && ::IsWindow(ToHandle(window)) != FALSE; }

intptr_t Win32Windows::Send(WindowId window, uint32_t message, uintptr_t first, intptr_t second) {
  if (window == 0) return 0;
  return static_cast<intptr_t>(::SendMessageA(ToHandle(window), message, first, second));
}

}  // namespace tovex::win32
