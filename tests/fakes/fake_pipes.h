#pragma once
// Named pipes of the server modules: each server records the requests
// written to it, byte for byte. A server may be busy until a moment of the
// virtual clock (or for ever), take fewer bytes per write than offered, or
// fail writes. WaitForFree advances the virtual clock as a real wait would.

#include <map>
#include <string>
#include <vector>

#include "platform/pipes.h"

namespace tovex::fakes {

class FakeClock;

class FakePipes final : public Pipes {
 public:
  struct Server {
    uint64_t busyUntilMs = 0;  // virtual time; UINT64_MAX for ever
    size_t maxWrite = 0;       // bytes a write takes at most; 0 means all
    uint32_t writeError = 0;   // every write fails with this code
    std::vector<std::string> requests;  // one per connection, its bytes
  };
  struct Delivery {
    std::string path;
    std::string bytes;
  };

  explicit FakePipes(FakeClock& clock) : clock_(clock) {}

  std::map<std::string, Server> servers;  // by full path "\\.\pipe\name"
  std::vector<Delivery> delivered;        // every completed connection, in order
  std::vector<uint32_t> waits;            // timeouts passed to WaitForFree

  Server& Serve(const std::string& path) { return servers[path]; }

  std::unique_ptr<PipeConnection> Connect(const std::string& pipePath) override;
  bool WaitForFree(const std::string& pipePath, uint32_t timeoutMs) override;
  uint32_t LastError() const override { return lastError_; }

 private:
  FakeClock& clock_;
  uint32_t lastError_ = 0;
};

}  // namespace tovex::fakes
