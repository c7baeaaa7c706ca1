#pragma once
// The network port: DNS servers from the IP helper library (loaded at run
// time, as systems without it still run Setup); HTTP through WinINet.

#include "platform/network.h"

namespace tovex::win32 {

class Win32Network final : public Network {
 public:
  std::vector<std::string> DnsServers() override;
  std::unique_ptr<HttpResponse> HttpOpen(const std::string& url, uint32_t timeoutMs) override;
  uint32_t LastError() const override { return lastError_; }

 private:
  uint32_t lastError_ = 0;
};

}  // namespace tovex::win32
