#pragma once
// The network port: DNS servers from the IP helper library (loaded at run
// time, as systems without it still run Setup); HTTP is not built yet.

#include "platform/network.h"

namespace tovex::win32 {

class Win32Network final : public Network {
 public:
  std::vector<std::string> DnsServers() override;
  // Not built yet: always nullopt with ERROR_CALL_NOT_IMPLEMENTED (120).
  std::optional<std::string> HttpGet(const std::string& url) override;
  uint32_t LastError() const override { return lastError_; }

 private:
  uint32_t lastError_ = 0;
};

}  // namespace tovex::win32
