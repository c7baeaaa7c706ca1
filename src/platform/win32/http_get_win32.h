#pragma once
// One HTTP exchange through WinINet, for the network port.
//
// Every call that waits for the server (sending the request and reading the
// answer's headers, reading the body) runs on a thread of its own while the
// caller waits at most the time it was given; past it the handles are
// closed, which cancels the call on Windows, and the caller goes on. Handles
// are closed on a thread of their own too, since Wine's client reads the
// rest of a declared body before it closes a request. The
// client's own time-outs are set too, on the session and on the request, but
// they alone do not bound a call: a server may send one byte just before
// each time-out, and some clients ignore the time-outs of the session.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/network.h"

namespace tovex::win32 {

// Sends a GET of an http:// or https:// address (port 443 for https unless
// the address names one) without following redirections, with the system's
// proxy settings; a user name and password before "@" are sent as basic
// authentication. nullptr on failure, error holding the WinINet or Windows
// code (ERROR_INTERNET_TIMEOUT when the time ran out).
std::unique_ptr<HttpResponse> WinInetOpen(const std::string& url, uint32_t timeoutMs, uint32_t& error);

}  // namespace tovex::win32
