#pragma once
#include "platform/windows_port.h"

namespace tovex::win32 {

class Win32Windows final : public Windows {
 public:
  WindowId FindTopLevel(const std::string& className, const std::string& title) override;
  bool Exists(WindowId window) override;
  intptr_t Send(WindowId window, uint32_t message, uintptr_t first, intptr_t second) override;
};

}  // namespace tovex::win32
