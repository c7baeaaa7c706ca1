#pragma once
#include <windows.h>

#include "platform/shell.h"

namespace tovex::win32 {

class Win32Shell final : public Shell {
 public:
  bool Open(const std::string& target, const std::string& parameters, const std::string& folder) override;
  bool SaveLink(const std::string& linkPath, const ShellLink& link) override;
  std::optional<ShellLink> LoadLink(const std::string& linkPath) override;
  uint32_t LastError() const override { return lastError_; }

 private:
  uint32_t lastError_ = 0;
};

}  // namespace tovex::win32
