#include "ui_probe.h"

#include <algorithm>

namespace drive {

namespace {

constexpr int kMessageBoxTextId = 0xFFFF;

struct EnumState {
  DWORD processId;
  std::vector<HWND>* windows;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM param) {
  auto* state = reinterpret_cast<EnumState*>(param);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner == state->processId && ::IsWindowVisible(window)) state->windows->push_back(window);
  return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
  return TRUE;
}

}  // namespace

std::string ClassName(HWND window) {
  char name[256] = {};
  ::GetClassNameA(window, name, sizeof name);
  return name;
}

std::optional<LRESULT> Query(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!::SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerMs, &result)) {
    return std::nullopt;
  }
  return static_cast<LRESULT>(result);
}

std::optional<std::string> ReadText(HWND window) {
  if (_stricmp(ClassName(window).c_str(), "Edit") != 0) {
    // The window text of another process's label, button or window comes
    // from the system without a message, so it can be read while the
    // program is busy in a long step (the installation's phase captions).
    const int capacity = ::GetWindowTextLengthA(window) + 1;
    std::string text(static_cast<size_t>(capacity), '\0');
    text.resize(static_cast<size_t>(std::max(0, ::GetWindowTextA(window, text.data(), capacity))));
    return text;
  }
  const auto length = Query(window, WM_GETTEXTLENGTH);
  if (!length) return std::nullopt;
  std::string text(static_cast<size_t>(*length) + 1, '\0');
  DWORD_PTR copied = 0;
  if (!::SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, kAnswerMs, &copied)) {
    return std::nullopt;
  }
  text.resize(std::min<size_t>(copied, text.size()));
  return text;
}

std::string TovexName(HWND window) {
  const auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(::GetPropA(window, "TovexName")));
  if (atom == 0) return {};
  char name[256] = {};
  const UINT length = ::GlobalGetAtomNameA(atom, name, sizeof name);
  return std::string(name, length);
}

bool Answers(HWND window) {
  return ::IsWindow(window) && ::IsWindowVisible(window) && Query(window, WM_NULL).has_value();
}

std::vector<HWND> TopLevelWindows(DWORD processId) {
  std::vector<HWND> windows;
  EnumState state{processId, &windows};
  ::EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&state));
  return windows;
}

std::vector<HWND> Descendants(HWND window) {
  std::vector<HWND> children;
  ::EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&children));
  return children;
}

bool IsMessageBox(HWND window) {
  if (ClassName(window) != "#32770") return false;
  for (HWND child : Descendants(window)) {
    if ((::GetDlgCtrlID(child) & 0xFFFF) == kMessageBoxTextId && _stricmp(ClassName(child).c_str(), "Static") == 0) {
      return true;
    }
  }
  return false;
}

std::string MessageBoxText(HWND window) {
  for (HWND child : Descendants(window)) {
    if ((::GetDlgCtrlID(child) & 0xFFFF) == kMessageBoxTextId && _stricmp(ClassName(child).c_str(), "Static") == 0) {
      return ReadText(child).value_or("");
    }
  }
  return {};
}

bool IsButtonOfKind(HWND window, bool checkable) {
  if (_stricmp(ClassName(window).c_str(), "Button") != 0) return false;
  const LONG type = ::GetWindowLongA(window, GWL_STYLE) & BS_TYPEMASK;
  const bool isCheck = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
                       type == BS_AUTO3STATE || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
  return checkable == isCheck;
}

bool IsRadioButton(HWND window) {
  const LONG type = ::GetWindowLongA(window, GWL_STYLE) & BS_TYPEMASK;
  return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

HWND FocusedWindow(HWND anyWindowOfThread) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(anyWindowOfThread, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

std::string DescribeWindows(DWORD processId) {
  std::string out;
  for (HWND window : TopLevelWindows(processId)) {
    out += "\n    ";
    if (IsMessageBox(window)) {
      out += "message box '" + ReadText(window).value_or("?") + "' | '" + MessageBoxText(window) + "'";
      continue;
    }
    out += ClassName(window) + " '" + ReadText(window).value_or("?") + "'";
    if (!::IsWindowEnabled(window)) out += " (disabled)";
    for (HWND child : Descendants(window)) {
      if (TovexName(child) == "PageCaption") out += ", page '" + ReadText(child).value_or("?") + "'";
    }
  }
  if (out.empty()) out = " none";
  return out;
}

}  // namespace drive
