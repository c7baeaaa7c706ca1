// Entry of setup.exe: wires the Win32 adapters into the context and runs the
// program. Everything else lives in the portable core.

#include <windows.h>

#include "common/context.h"
#include "common/setup_log.h"
#include "localization/setup_strings.h"
#include "localization/string_table.h"
#include "platform/win32/clock_win32.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/system_win32.h"
#include "platform/win32/user_win32.h"

namespace {

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  tovex::win32::Win32Files files;
  tovex::win32::Win32Clock clock;
  tovex::win32::Win32System system;
  tovex::win32::Win32User user;
  tovex::SetupStrings strings;
  tovex::TLocalizationStrings stringTable;
  tovex::SetupLog log(&files, &clock);

  tovex::SetupContext context;
  context.platform.files = &files;
  context.platform.clock = &clock;
  context.platform.system = &system;
  context.platform.user = &user;
  context.log = &log;
  context.strings = &strings;
  context.stringTable = &stringTable;
  context.IsWindowsNT = system.IsWindowsNT();

  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = "TMainForm";
  ::RegisterClassA(&windowClass);
  HWND window = ::CreateWindowA("TMainForm", "Setup", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                CW_USEDEFAULT, CW_USEDEFAULT, 471, 402, nullptr, nullptr, instance, nullptr);
  user.SetMainWindow(window);
  ::ShowWindow(window, show);

  MSG message;
  while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  tovex::EndSetup(context, tovex::kExitSuccess);
}
