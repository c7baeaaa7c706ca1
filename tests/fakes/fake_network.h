#pragma once
// A network with scripted DNS servers and HTTP answers per address.

#include <map>

#include "platform/network.h"

namespace tovex::fakes {

class FakeNetwork final : public Network {
 public:
  std::vector<std::string> dnsServers;
  // Answer per address; an address without an answer fails with httpError.
  std::map<std::string, std::string> pages;
  uint32_t httpError = 12029;  // ERROR_INTERNET_CANNOT_CONNECT
  std::vector<std::string> requests;
  int dnsQueries = 0;

  std::vector<std::string> DnsServers() override {
    ++dnsQueries;
    return dnsServers;
  }
  std::optional<std::string> HttpGet(const std::string& url) override {
    requests.push_back(url);
    auto it = pages.find(url);
    if (it == pages.end()) {
      lastError_ = httpError;
      return std::nullopt;
    }
    lastError_ = 0;
    return it->second;
  }
  uint32_t LastError() const override { return lastError_; }

 private:
  uint32_t lastError_ = 0;
};

}  // namespace tovex::fakes
