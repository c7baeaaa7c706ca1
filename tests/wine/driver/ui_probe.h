#pragma once
// Reading the windows of another process the way a test may: every message
// that needs an answer goes through SendMessageTimeout with
// SMTO_ABORTIFHUNG, so a program stuck in a handler can never stall the
// driver. An edit's text is read with WM_GETTEXT, because GetWindowText
// returns nothing for an edit of another process; other texts with
// GetWindowText, which needs no answer from the program.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace drive {

inline constexpr DWORD kAnswerMs = 2000;

std::string ClassName(HWND window);
std::optional<std::string> ReadText(HWND window);
// The component name the renderer stores as the "TovexName" property: a
// global atom holding the name.
std::string TovexName(HWND window);
// Ready means visible and answering: under Wine a window can be found while
// it is still inside WM_CREATE, before its children exist.
bool Answers(HWND window);
std::optional<LRESULT> Query(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// The visible top-level windows of a process, front to back.
std::vector<HWND> TopLevelWindows(DWORD processId);
// A message box: a "#32770" dialog whose text is the STATIC with id 0xFFFF.
bool IsMessageBox(HWND window);
std::string MessageBoxText(HWND window);
std::vector<HWND> Descendants(HWND window);

bool IsButtonOfKind(HWND window, bool checkable);
bool IsRadioButton(HWND window);
HWND FocusedWindow(HWND anyWindowOfThread);

// One line per top-level window of the process: class, title, page caption
// or message box text; for failure messages.
std::string DescribeWindows(DWORD processId);

}  // namespace drive
