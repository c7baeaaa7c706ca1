#pragma once
// Clock port: wall-clock time, waits and a monotonic counter. The fake is a
// virtual clock, so that a ten-second wait in the core costs no real time in
// native tests.

#include <cstdint>

namespace tovex {

class Clock {
 public:
  virtual ~Clock() = default;
  // Local date and time as days since 1899-12-30 with the time of day as the
  // fraction (the server's stored date format).
  virtual double Now() = 0;
  // Blocks for the given milliseconds.
  virtual void Sleep(uint32_t milliseconds) = 0;
  // Milliseconds from an arbitrary start; never goes back.
  virtual uint64_t MonotonicMs() = 0;
};

// Whole days of a Now() value: today's day number.
inline int32_t DayNumber(double now) { return static_cast<int32_t>(now); }

}  // namespace tovex
