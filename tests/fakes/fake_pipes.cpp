#include "fakes/fake_pipes.h"

#include <algorithm>

#include "fakes/fake_clock.h"

namespace tovex::fakes {

namespace {

class FakePipeConnection final : public PipeConnection {
 public:
  FakePipeConnection(FakePipes& owner, std::string path) : owner_(owner), path_(std::move(path)) {}
  // The server sees the request when the client closes its end.
  ~FakePipeConnection() override {
    const auto it = owner_.servers.find(path_);
    if (it == owner_.servers.end()) return;
    it->second.requests.push_back(bytes_);
    owner_.delivered.push_back(FakePipes::Delivery{path_, bytes_});
  }

  bool Write(const void* data, size_t size, size_t& written) override {
    written = 0;
    const auto it = owner_.servers.find(path_);
    if (it == owner_.servers.end()) {
      lastError_ = 232;  // ERROR_NO_DATA: the server closed its end
      return false;
    }
    if (it->second.writeError != 0) {
      lastError_ = it->second.writeError;
      return false;
    }
    written = it->second.maxWrite == 0 ? size : std::min(size, it->second.maxWrite);
    bytes_.append(static_cast<const char*>(data), written);
    lastError_ = 0;
    return true;
  }
  uint32_t LastError() const override { return lastError_; }

 private:
  FakePipes& owner_;
  std::string path_;
  std::string bytes_;
  uint32_t lastError_ = 0;
};

}  // namespace

std::unique_ptr<PipeConnection> FakePipes::Connect(const std::string& pipePath) {
  const auto it = servers.find(pipePath);
  if (it == servers.end()) {
    lastError_ = pipe::kFileNotFound;
    return nullptr;
  }
  if (clock_.ElapsedMs() < it->second.busyUntilMs) {
    lastError_ = pipe::kPipeBusy;
    return nullptr;
  }
  lastError_ = 0;
  return std::make_unique<FakePipeConnection>(*this, pipePath);
}

bool FakePipes::WaitForFree(const std::string& pipePath, uint32_t timeoutMs) {
  waits.push_back(timeoutMs);
  const auto it = servers.find(pipePath);
  if (it == servers.end()) {
    lastError_ = pipe::kFileNotFound;
    return false;
  }
  const uint64_t now = clock_.ElapsedMs();
  if (now >= it->second.busyUntilMs) {
    lastError_ = 0;
    return true;
  }
  const uint64_t remaining = it->second.busyUntilMs - now;
  if (remaining <= timeoutMs) {
    clock_.Advance(remaining);
    lastError_ = 0;
    return true;
  }
  clock_.Advance(timeoutMs);
  lastError_ = pipe::kSemTimeout;
  return false;
}

}  // namespace tovex::fakes
