#pragma once
// An HTTP GET that can never hold Setup: one deadline for the whole download
// (connecting, every redirection, every part of the body), a cap on the
// document's size and on the number of redirections, which are followed
// here rather than by the system's client. Past any bound the download gives
// up and says why.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tovex {

class Clock;
class Network;

struct HttpBounds {
  uint32_t deadlineMs;
  size_t maxBytes;
  int maxRedirects;
};

struct HttpDownload {
  std::optional<std::string> body;  // set when a 200 answer came back whole
  // Otherwise why not, in words for the setup log, and the system's code
  // when the network call failed (0 when a bound or the server's answer
  // ended the download).
  std::string failure;
  uint32_t error = 0;
};

// Follows 301 and 302 through their Location header.
HttpDownload BoundedHttpGet(Network& network, Clock& clock, const std::string& url, const HttpBounds& bounds);

// The address a Location header points to, seen from the address that
// answered with it: absolute, scheme-relative ("//host/..."), host-relative
// ("/...") or relative to the answering document's folder. nullopt when it
// leads anywhere but http:// or https://.
std::optional<std::string> ResolveLocation(std::string_view base, std::string_view location);

}  // namespace tovex
