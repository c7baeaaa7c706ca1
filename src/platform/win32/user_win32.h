#pragma once
#include <windows.h>

#include <functional>

#include "platform/user.h"

namespace tovex::win32 {

// Message boxes owned by the wizard window once it exists.
class Win32User final : public User {
 public:
  void SetMainWindow(HWND window) { mainWindow_ = window; }
  // The window toolkit's keyboard handling (key preview, dialog navigation)
  // for messages handled while the core works; true when it consumed one.
  void SetMessageFilter(std::function<bool(MSG&)> filter) { filter_ = std::move(filter); }
  MessageAnswer ShowMessage(const std::string& text, const std::string& caption, MessageButtons buttons,
                            MessageIcon icon, bool ownedByMain) override;
  void ProcessMessages() override;
  void SetWaitCursor(bool wait) override;

 private:
  HWND mainWindow_ = nullptr;
  std::function<bool(MSG&)> filter_;
};

}  // namespace tovex::win32
