#include "platform/win32/user_win32.h"

namespace tovex::win32 {

MessageAnswer Win32User::ShowMessage(const std::string& text, const std::string& caption, MessageButtons buttons,
                                     MessageIcon icon, bool ownedByMain) {
  UINT style = MB_TASKMODAL;
  switch (buttons) {
    case MessageButtons::Ok: style |= MB_OK; break;
    case MessageButtons::YesNo: style |= MB_YESNO; break;
    case MessageButtons::YesNoCancel: style |= MB_YESNOCANCEL; break;
  }
  switch (icon) {
    case MessageIcon::None: break;
    case MessageIcon::Error: style |= MB_ICONERROR; break;
    case MessageIcon::Warning: style |= MB_ICONWARNING; break;
    case MessageIcon::Question: style |= MB_ICONQUESTION; break;
    case MessageIcon::Information: style |= MB_ICONINFORMATION; break;
  }
  const int answer = ::MessageBoxA(ownedByMain ? mainWindow_ : nullptr, text.c_str(), caption.c_str(), style);
  switch (answer) {
    case IDYES: return MessageAnswer::Yes;
    case IDNO: return MessageAnswer::No;
    case IDOK: return MessageAnswer::Ok;
    default: return MessageAnswer::Cancel;
  }
}

void Win32User::ProcessMessages() {
  MSG message;
  while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    if (filter_) {
      if (!filter_(message)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
      }
    } else if (mainWindow_ == nullptr || !::IsDialogMessageA(mainWindow_, &message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
    }
  }
}

void Win32User::SetWaitCursor(bool wait) { ::SetCursor(::LoadCursor(nullptr, wait ? IDC_WAIT : IDC_ARROW)); }

}  // namespace tovex::win32
