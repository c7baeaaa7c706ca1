#pragma once
// HTTP GET through WinINet, for the network port.

#include <cstdint>
#include <optional>
#include <string>

namespace tovex::win32 {

// Fetches an http:// or https:// address (port 443 for https unless the
// address names one). Redirects 301 and 302 are followed; the system's proxy
// settings apply; connecting, sending and receiving each give up after
// kHttpTimeoutMs, so a dead network never freezes the wizard for long. A user
// name and password before "@" are sent as basic authentication. Only a 200
// answer counts; on failure error holds the WinINet or Windows code (or the
// HTTP status for other answers).
std::optional<std::string> WinInetGet(const std::string& url, uint32_t& error);

inline constexpr uint32_t kHttpTimeoutMs = 15000;

}  // namespace tovex::win32
