#pragma once
// Dates as the server and Windows count them: days since 1899-12-30, the
// whole part being the day.

#include <cstdint>

namespace tovex {

struct CivilDate {
  int year = 0;
  int month = 0;  // 1 to 12
  int day = 0;    // 1 to 31
};

// The proleptic Gregorian date of a day number.
CivilDate CivilDateOf(int64_t days);

}  // namespace tovex
