#pragma once
#include "platform/processes.h"

namespace tovex::win32 {

// Processes through psapi.dll, loaded on first use and kept until the
// program ends, and the access-token calls of advapi32.
class Win32Processes final : public Processes {
 public:
  std::optional<std::vector<uint32_t>> ProcessIds() override;
  std::optional<std::string> MainModuleName(uint32_t processId) override;
  bool Terminate(uint32_t processId, uint32_t exitCode) override;
  bool EnablePrivilege(const std::string& privilege, bool enable) override;
  uint32_t LastError() const override { return lastError_; }

 private:
  uint32_t lastError_ = 0;
};

}  // namespace tovex::win32
