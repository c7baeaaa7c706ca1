#pragma once
// Network port: the system's DNS servers and an HTTP GET.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tovex {

class Network {
 public:
  virtual ~Network() = default;
  // The DNS server addresses the system uses, in its order; empty when they
  // cannot be read.
  virtual std::vector<std::string> DnsServers() = 0;
  // Fetches an http:// or https:// address, following 301 and 302 redirects,
  // with the system's proxy settings and bounded time-outs. A user name and
  // password before "@" are sent as basic authentication. nullopt on any
  // failure (LastError tells why).
  virtual std::optional<std::string> HttpGet(const std::string& url) = 0;
  virtual uint32_t LastError() const = 0;
};

}  // namespace tovex
