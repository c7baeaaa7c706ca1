#pragma once
// Network port: the system's DNS servers and single HTTP exchanges. Whatever
// bounds a download (how long it may take, how large it may be, which
// redirections are followed) is decided by the caller: an exchange follows no
// redirection, and every call that waits for the server is given the time it
// may take.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tovex {

// The answer to one GET, its body read a part at a time.
class HttpResponse {
 public:
  virtual ~HttpResponse() = default;
  virtual uint32_t Status() const = 0;
  // The Location and Content-Length headers as sent; empty when absent.
  virtual std::string Location() const = 0;
  virtual std::string ContentLength() const = 0;
  // Reads at most size bytes of the body, waiting at most timeoutMs; got is
  // 0 at the end of the body. false on failure or when the time ran out
  // (LastError tells which); the response is unusable afterwards.
  virtual bool Read(char* buffer, size_t size, size_t& got, uint32_t timeoutMs) = 0;
  virtual uint32_t LastError() const = 0;
};

class Network {
 public:
  virtual ~Network() = default;
  // The DNS server addresses the system uses, in its order; empty when they
  // cannot be read.
  virtual std::vector<std::string> DnsServers() = 0;
  // Sends a GET of an http:// or https:// address, with the system's proxy
  // settings, and waits at most timeoutMs for the answer's status and
  // headers. A redirection comes back as it is, not followed. A user name
  // and password before "@" are sent as basic authentication. nullptr on
  // failure or when the time ran out (LastError tells why).
  virtual std::unique_ptr<HttpResponse> HttpOpen(const std::string& url, uint32_t timeoutMs) = 0;
  virtual uint32_t LastError() const = 0;
};

}  // namespace tovex
