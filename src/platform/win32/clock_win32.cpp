#include "platform/win32/clock_win32.h"

#include <windows.h>

namespace tovex::win32 {

double Win32Clock::Now() {
  // FILETIME counts 100 ns steps from 1601-01-01; day 0 of the server's dates
  // is 1899-12-30, 109,205 days later.
  SYSTEMTIME local{};
  ::GetLocalTime(&local);
  FILETIME asFileTime{};
  ::SystemTimeToFileTime(&local, &asFileTime);
  const uint64_t ticks = (static_cast<uint64_t>(asFileTime.dwHighDateTime) << 32) | asFileTime.dwLowDateTime;
  return static_cast<double>(ticks) / 864000000000.0 - 109205.0;
}

void Win32Clock::Sleep(uint32_t milliseconds) { ::Sleep(milliseconds); }

uint64_t Win32Clock::MonotonicMs() { return ::GetTickCount64(); }

}  // namespace tovex::win32
