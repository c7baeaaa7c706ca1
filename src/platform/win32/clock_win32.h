#pragma once
#include "platform/clock.h"

namespace tovex::win32 {

class Win32Clock final : public Clock {
 public:
  double Now() override;
  void Sleep(uint32_t milliseconds) override;
  uint64_t MonotonicMs() override;
};

}  // namespace tovex::win32
