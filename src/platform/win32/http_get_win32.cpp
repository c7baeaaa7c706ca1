#include "platform/win32/http_get_win32.h"

#include <windows.h>
#include <wininet.h>

#include <vector>

namespace tovex::win32 {

namespace {

class UniqueInternet {
 public:
  explicit UniqueInternet(HINTERNET handle) : handle_(handle) {}
  ~UniqueInternet() {
    if (handle_ != nullptr) ::InternetCloseHandle(handle_);
  }
  UniqueInternet(const UniqueInternet&) = delete;
  UniqueInternet& operator=(const UniqueInternet&) = delete;
  HINTERNET get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  HINTERNET handle_;
};

std::string Base64(const std::string& data) {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  size_t i = 0;
  for (; i + 2 < data.size(); i += 3) {
    const uint32_t n = (static_cast<uint8_t>(data[i]) << 16) | (static_cast<uint8_t>(data[i + 1]) << 8) |
                       static_cast<uint8_t>(data[i + 2]);
    out += kAlphabet[n >> 18];
    out += kAlphabet[(n >> 12) & 63];
    out += kAlphabet[(n >> 6) & 63];
    out += kAlphabet[n & 63];
  }
  if (i < data.size()) {
    uint32_t n = static_cast<uint8_t>(data[i]) << 16;
    if (i + 1 < data.size()) n |= static_cast<uint8_t>(data[i + 1]) << 8;
    out += kAlphabet[n >> 18];
    out += kAlphabet[(n >> 12) & 63];
    out += i + 1 < data.size() ? kAlphabet[(n >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

}  // namespace

std::optional<std::string> WinInetGet(const std::string& url, uint32_t& error) {
  error = 0;
  char host[256] = {}, user[256] = {}, password[256] = {}, path[2048] = {}, extra[2048] = {};
  URL_COMPONENTSA parts{};
  parts.dwStructSize = sizeof parts;
  parts.lpszHostName = host;
  parts.dwHostNameLength = sizeof host;
  parts.lpszUserName = user;
  parts.dwUserNameLength = sizeof user;
  parts.lpszPassword = password;
  parts.dwPasswordLength = sizeof password;
  parts.lpszUrlPath = path;
  parts.dwUrlPathLength = sizeof path;
  parts.lpszExtraInfo = extra;
  parts.dwExtraInfoLength = sizeof extra;
  if (!::InternetCrackUrlA(url.c_str(), 0, 0, &parts)) {
    error = ::GetLastError();
    return std::nullopt;
  }
  const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;

  UniqueInternet session(::InternetOpenA("Tovex Setup", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session) {
    error = ::GetLastError();
    return std::nullopt;
  }
  DWORD timeout = kHttpTimeoutMs;
  ::InternetSetOptionA(session.get(), INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof timeout);
  ::InternetSetOptionA(session.get(), INTERNET_OPTION_SEND_TIMEOUT, &timeout, sizeof timeout);
  ::InternetSetOptionA(session.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);

  UniqueInternet connection(::InternetConnectA(session.get(), host, parts.nPort, user[0] ? user : nullptr,
                                               password[0] ? password : nullptr, INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection) {
    error = ::GetLastError();
    return std::nullopt;
  }
  const std::string object = std::string(path[0] ? path : "/") + extra;
  DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI;
  if (secure) flags |= INTERNET_FLAG_SECURE;
  UniqueInternet request(::HttpOpenRequestA(connection.get(), "GET", object.c_str(), nullptr, nullptr, nullptr,
                                            flags, 0));
  if (!request) {
    error = ::GetLastError();
    return std::nullopt;
  }
  // Credentials go with the first request instead of waiting for a challenge.
  std::string headers;
  if (user[0] != '\0') headers = "Authorization: Basic " + Base64(std::string(user) + ":" + password) + "\r\n";
  if (!::HttpSendRequestA(request.get(), headers.empty() ? nullptr : headers.c_str(),
                          static_cast<DWORD>(headers.size()), nullptr, 0)) {
    error = ::GetLastError();
    return std::nullopt;
  }
  DWORD status = 0, size = sizeof status;
  if (!::HttpQueryInfoA(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) {
    error = ::GetLastError();
    return std::nullopt;
  }
  if (status != 200) {
    error = status;
    return std::nullopt;
  }
  std::string body;
  std::vector<char> buffer(16384);
  for (;;) {
    DWORD read = 0;
    if (!::InternetReadFile(request.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read)) {
      error = ::GetLastError();
      return std::nullopt;
    }
    if (read == 0) break;
    body.append(buffer.data(), read);
  }
  return body;
}

}  // namespace tovex::win32
