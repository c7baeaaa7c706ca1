#pragma once
#include <windows.h>

#include "platform/user.h"

namespace tovex::win32 {

// Message boxes owned by the wizard window once it exists.
class Win32User final : public User {
 public:
  void SetMainWindow(HWND window) { mainWindow_ = window; }
  MessageAnswer ShowMessage(const std::string& text, const std::string& caption, MessageButtons buttons,
                            MessageIcon icon, bool ownedByMain) override;
  void ProcessMessages() override;
  void SetWaitCursor(bool wait) override;

 private:
  HWND mainWindow_ = nullptr;
};

}  // namespace tovex::win32
