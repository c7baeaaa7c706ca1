#pragma once
#include "platform/pipes.h"

namespace tovex::win32 {

class Win32Pipes final : public Pipes {
 public:
  std::unique_ptr<PipeConnection> Connect(const std::string& pipePath) override;
  bool WaitForFree(const std::string& pipePath, uint32_t timeoutMs) override;
  uint32_t LastError() const override { return lastError_; }

 private:
  uint32_t lastError_ = 0;
};

}  // namespace tovex::win32
