#pragma once
// A network with scripted DNS servers and HTTP answers per address. Servers
// take their time on the virtual clock: an answer may come late, its body in
// parts far apart or without end, and a wait longer than the time a call was
// given fails with the system's time-out code.

#include <algorithm>
#include <map>

#include "fakes/fake_clock.h"
#include "platform/network.h"

namespace tovex::fakes {

struct FakeHttpAnswer {
  uint32_t status = 200;
  std::string location;       // the Location header
  std::string contentLength;  // the Content-Length header, as sent
  std::string body;
  uint64_t headersAfterMs = 0;  // the server's time before the status and headers
  size_t partSize = 0;          // the body comes in parts of this many bytes (0: all at once)...
  uint64_t partEveryMs = 0;     // ...each this long after the one before
  bool endless = false;         // the body repeats without end
};

class FakeNetwork final : public Network {
 public:
  static constexpr uint32_t kCannotConnect = 12029;  // ERROR_INTERNET_CANNOT_CONNECT
  static constexpr uint32_t kTimeout = 12002;        // ERROR_INTERNET_TIMEOUT

  explicit FakeNetwork(FakeClock& clock) : clock_(clock) {}

  std::vector<std::string> dnsServers;
  // Answer per address; an address without an answer cannot be reached.
  std::map<std::string, FakeHttpAnswer> answers;
  std::vector<std::string> requests;
  int dnsQueries = 0;

  // A document served at once with status 200.
  void Serve(const std::string& url, const std::string& body) { answers[url].body = body; }

  std::vector<std::string> DnsServers() override {
    ++dnsQueries;
    return dnsServers;
  }
  std::unique_ptr<HttpResponse> HttpOpen(const std::string& url, uint32_t timeoutMs) override {
    requests.push_back(url);
    auto it = answers.find(url);
    if (it == answers.end()) {
      lastError_ = kCannotConnect;
      return nullptr;
    }
    if (!Wait(it->second.headersAfterMs, timeoutMs)) {
      lastError_ = kTimeout;
      return nullptr;
    }
    lastError_ = 0;
    return std::make_unique<Response>(*this, it->second);
  }
  uint32_t LastError() const override { return lastError_; }

 private:
  class Response final : public HttpResponse {
   public:
    Response(FakeNetwork& network, const FakeHttpAnswer& answer) : network_(network), answer_(answer) {}
    uint32_t Status() const override { return answer_.status; }
    std::string Location() const override { return answer_.location; }
    std::string ContentLength() const override { return answer_.contentLength; }
    bool Read(char* buffer, size_t size, size_t& got, uint32_t timeoutMs) override {
      got = 0;
      const std::string& body = answer_.body;
      if (answer_.endless && !body.empty() && sent_ == body.size()) sent_ = 0;
      if (sent_ == body.size()) return true;
      if (!network_.Wait(answer_.partEveryMs, timeoutMs)) {
        lastError_ = kTimeout;
        return false;
      }
      got = std::min(size, body.size() - sent_);
      if (answer_.partSize != 0) got = std::min(got, answer_.partSize);
      std::copy_n(body.data() + sent_, got, buffer);
      sent_ += got;
      return true;
    }
    uint32_t LastError() const override { return lastError_; }

   private:
    FakeNetwork& network_;
    const FakeHttpAnswer answer_;
    size_t sent_ = 0;
    uint32_t lastError_ = 0;
  };

  // The server takes serverMs; the caller waits at most timeoutMs.
  bool Wait(uint64_t serverMs, uint32_t timeoutMs) {
    clock_.Advance(std::min<uint64_t>(serverMs, timeoutMs));
    return serverMs <= timeoutMs;
  }

  FakeClock& clock_;
  uint32_t lastError_ = 0;
};

}  // namespace tovex::fakes
