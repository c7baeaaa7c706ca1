#pragma once
// Release numbers: "major.minor.patch-build" as one comparable number.

#include <cstdint>
#include <string_view>

namespace tovex {

// The release text of this setup program.
inline constexpr std::string_view SetupVersion = "8.5.0-7";

// major * 1,000,000 + minor * 10,000 + patch * 100 + build, in unsigned 32-bit
// arithmetic (so out-of-range fields wrap, as the server's own code does).
// "7.1.3" gives 7,010,300 and "8.5.0-7" gives 8,050,007.
uint32_t VersionNumber(std::string_view text);

// True when a is at least b, comparing the version numbers unsigned.
bool VersionAtLeast(std::string_view a, std::string_view b);

// The integer value of one field: leading blanks skipped, an optional sign,
// "$", "x" or "0x" for hexadecimal, digits up to the first other character.
// An empty field gives 0; "16a" gives 16.
uint32_t FieldValue(std::string_view field);

}  // namespace tovex
