#pragma once
// The libraries port on LoadLibrary/GetProcAddress.

#include "platform/libraries.h"

namespace tovex::win32 {

class Win32Libraries final : public Libraries {
 public:
  std::unique_ptr<LoadedLibrary> Load(const std::string& path) override;
  uint32_t LastError() const override { return lastError_; }

 private:
  uint32_t lastError_ = 0;
};

}  // namespace tovex::win32
