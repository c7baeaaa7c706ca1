#pragma once
// A virtual clock: Sleep advances time at once, so waits cost nothing real.
// Listeners run on every advance, which is how scripted services change
// state "while" the core waits.

#include <functional>
#include <vector>

#include "platform/clock.h"

namespace tovex::fakes {

class FakeClock final : public Clock {
 public:
  double Now() override { return startDay_ + static_cast<double>(elapsedMs_) / 86400000.0; }
  void Sleep(uint32_t milliseconds) override { Advance(milliseconds); }
  uint64_t MonotonicMs() override { return elapsedMs_; }

  void Advance(uint64_t milliseconds) {
    elapsedMs_ += milliseconds;
    for (auto& listener : listeners_) listener(elapsedMs_);
  }
  void OnAdvance(std::function<void(uint64_t)> listener) { listeners_.push_back(std::move(listener)); }
  // 2026-12-10 00:00 by default.
  void SetToday(double day) { startDay_ = day; }
  uint64_t ElapsedMs() const { return elapsedMs_; }

 private:
  double startDay_ = 46366.0;
  uint64_t elapsedMs_ = 0;
  std::vector<std::function<void(uint64_t)>> listeners_;
};

}  // namespace tovex::fakes
