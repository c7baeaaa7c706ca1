#include "platform/win32/http_get_win32.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "platform/win32/scoped_handles.h"

namespace tovex::win32 {

namespace {

struct InternetTraits {
  static HINTERNET Invalid() { return nullptr; }
  static void Close(HINTERNET h) { ::InternetCloseHandle(h); }
};
using unique_hinternet = UniqueHandle<HINTERNET, InternetTraits>;

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

// Runs a blocking call on a thread of its own and waits at most timeoutMs
// for it. false when the time ran out (or no thread could be made): the call
// then finishes on its own later, so it must own everything it touches.
bool CallWithin(uint32_t timeoutMs, std::function<void()> call, DWORD& error) {
  auto task = std::make_unique<std::function<void()>>(std::move(call));
  auto run = [](void* parameter) -> DWORD {
    std::unique_ptr<std::function<void()>> owned(static_cast<std::function<void()>*>(parameter));
    (*owned)();
    return 0;
  };
  unique_handle thread(::CreateThread(nullptr, 0, run, task.get(), 0, nullptr));
  if (!thread) {
    error = ::GetLastError();
    return false;
  }
  task.release();  // the thread owns it now
  if (::WaitForSingleObject(thread.get(), timeoutMs) != WAIT_OBJECT_0) {
    error = ERROR_INTERNET_TIMEOUT;
    return false;
  }
  return true;
}

// What a call on the worker thread leaves for the caller; shared, as the
// worker may outlive the caller's wait.
struct CallResult {
  BOOL ok = FALSE;
  DWORD error = 0;
  DWORD read = 0;
  std::vector<char> buffer;
};

void SetTimeouts(HINTERNET handle, uint32_t timeoutMs) {
  DWORD timeout = timeoutMs;
  for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT}) {
    ::InternetSetOptionA(handle, option, &timeout, sizeof timeout);
  }
}

// A header of the answer as text; empty when absent.
std::string QueryText(HINTERNET request, DWORD header) {
  std::string text(256, '\0');
  DWORD size = static_cast<DWORD>(text.size());
  if (!::HttpQueryInfoA(request, header, text.data(), &size, nullptr)) {
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return {};
    text.assign(size + 1, '\0');
    if (!::HttpQueryInfoA(request, header, text.data(), &size, nullptr)) return {};
  }
  text.resize(size);
  return text;
}

// The handles of one exchange, closed in reverse order of opening.
struct Exchange {
  unique_hinternet session;
  unique_hinternet connection;
  unique_hinternet request;
};

// Closes the handles on a thread of their own and goes on at once: Wine's
// client, closing a request whose declared body was not read to its end,
// first reads the rest of it, for as long as the server goes on sending.
// Closing also cancels a call still waiting on another thread.
void CloseInBackground(std::shared_ptr<Exchange> exchange) {
  DWORD ignored = 0;
  CallWithin(0, [owned = std::move(exchange)]() mutable { owned.reset(); }, ignored);
}

class WinInetResponse final : public HttpResponse {
 public:
  WinInetResponse(std::shared_ptr<Exchange> exchange, DWORD status)
      : exchange_(std::move(exchange)), status_(status),
        location_(QueryText(exchange_->request.get(), HTTP_QUERY_LOCATION)),
        contentLength_(QueryText(exchange_->request.get(), HTTP_QUERY_CONTENT_LENGTH)) {}
  ~WinInetResponse() override {
    if (exchange_) CloseInBackground(std::move(exchange_));
  }
  WinInetResponse(const WinInetResponse&) = delete;
  WinInetResponse& operator=(const WinInetResponse&) = delete;

  uint32_t Status() const override { return status_; }
  std::string Location() const override { return location_; }
  std::string ContentLength() const override { return contentLength_; }
  uint32_t LastError() const override { return lastError_; }

  bool Read(char* buffer, size_t size, size_t& got, uint32_t timeoutMs) override {
    got = 0;
    if (!exchange_) {
      lastError_ = ERROR_INVALID_HANDLE;
      return false;
    }
    HINTERNET request = exchange_->request.get();
    SetTimeouts(request, timeoutMs);
    auto result = std::make_shared<CallResult>();
    result->buffer.resize(size);
    // Waits for some of the body, then takes what is there, so that a slow
    // server's bytes come back as they arrive.
    auto call = [request, result] {
      DWORD available = 0;
      if (!::InternetQueryDataAvailable(request, &available, 0, 0)) {
        result->error = ::GetLastError();
        return;
      }
      const DWORD wanted = static_cast<DWORD>(
          std::min<size_t>(result->buffer.size(), available == 0 ? 1 : static_cast<size_t>(available)));
      result->ok = ::InternetReadFile(request, result->buffer.data(), wanted, &result->read);
      if (!result->ok) result->error = ::GetLastError();
    };
    DWORD error = 0;
    if (!CallWithin(timeoutMs, call, error)) return Abandon(error);
    if (!result->ok) return Abandon(result->error);
    got = result->read;
    std::copy_n(result->buffer.data(), got, buffer);
    return true;
  }

 private:
  bool Abandon(DWORD error) {
    lastError_ = error;
    CloseInBackground(std::move(exchange_));
    return false;
  }

  std::shared_ptr<Exchange> exchange_;
  DWORD status_;
  std::string location_;
  std::string contentLength_;
  uint32_t lastError_ = 0;
};

}  // namespace

std::unique_ptr<HttpResponse> WinInetOpen(const std::string& url, uint32_t timeoutMs, uint32_t& error) {
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
    return nullptr;
  }
  const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;

  auto exchange = std::make_shared<Exchange>();
  exchange->session.reset(::InternetOpenA("Tovex Setup", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!exchange->session) {
    error = ::GetLastError();
    return nullptr;
  }
  SetTimeouts(exchange->session.get(), timeoutMs);
  exchange->connection.reset(::InternetConnectA(exchange->session.get(), host, parts.nPort, user[0] ? user : nullptr,
                                                password[0] ? password : nullptr, INTERNET_SERVICE_HTTP, 0, 0));
  if (!exchange->connection) {
    error = ::GetLastError();
    return nullptr;
  }
  const std::string object = std::string(path[0] ? path : "/") + extra;
  DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI |
                INTERNET_FLAG_NO_AUTO_REDIRECT;
  if (secure) flags |= INTERNET_FLAG_SECURE;
  exchange->request.reset(::HttpOpenRequestA(exchange->connection.get(), "GET", object.c_str(), nullptr, nullptr,
                                             nullptr, flags, 0));
  if (!exchange->request) {
    error = ::GetLastError();
    return nullptr;
  }
  SetTimeouts(exchange->request.get(), timeoutMs);

  // Credentials go with the first request instead of waiting for a challenge.
  auto result = std::make_shared<CallResult>();
  const std::string headers =
      user[0] != '\0' ? "Authorization: Basic " + Base64(std::string(user) + ":" + password) + "\r\n" : "";
  HINTERNET request = exchange->request.get();
  auto send = [request, headers, result] {
    result->ok = ::HttpSendRequestA(request, headers.empty() ? nullptr : headers.c_str(),
                                    static_cast<DWORD>(headers.size()), nullptr, 0);
    if (!result->ok) result->error = ::GetLastError();
  };
  DWORD callError = 0;
  if (!CallWithin(timeoutMs, send, callError)) {
    error = callError;
    CloseInBackground(std::move(exchange));
    return nullptr;
  }
  DWORD status = 0, size = sizeof status;
  if (!result->ok ||
      !::HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) {
    error = result->ok ? ::GetLastError() : result->error;
    CloseInBackground(std::move(exchange));
    return nullptr;
  }
  return std::make_unique<WinInetResponse>(std::move(exchange), status);
}

}  // namespace tovex::win32
