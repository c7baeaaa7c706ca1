// The pipes contract on the scripted pipes of the virtual clock; the same
// cases run against a real pipe server under Wine.
#include <limits>

#include "fakes/fake_clock.h"
#include "fakes/fake_pipes.h"
#include "shared/pipe_cases.h"

namespace tovex {
namespace {

constexpr const char* kPath = "\\\\.\\pipe\\TovexContract";

class FakeServerSide final : public cases::PipeServerSide {
 public:
  FakeServerSide(fakes::FakePipes& pipes, fakes::FakeClock& clock) : pipes_(pipes), clock_(clock) {}
  void Serve() override { pipes_.Serve(kPath); }
  void Occupy() override { pipes_.Serve(kPath).busyUntilMs = std::numeric_limits<uint64_t>::max(); }
  void ReleaseAfter(uint32_t ms) override { pipes_.Serve(kPath).busyUntilMs = clock_.ElapsedMs() + ms; }
  std::string LastRequest() override {
    const auto& requests = pipes_.Serve(kPath).requests;
    for (auto it = requests.rbegin(); it != requests.rend(); ++it) {
      if (!it->empty()) return *it;
    }
    return "";
  }

 private:
  fakes::FakePipes& pipes_;
  fakes::FakeClock& clock_;
};

TEST(FakePipesContract, ConnectWaitAndDeliver) {
  fakes::FakeClock clock;
  fakes::FakePipes pipes(clock);
  FakeServerSide server(pipes, clock);
  cases::PipeCases(pipes, server, kPath);
}

}  // namespace
}  // namespace tovex
