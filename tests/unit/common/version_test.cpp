#include "common/version.h"

#include <gtest/gtest.h>

namespace tovex {
namespace {

TEST(VersionNumber, Table) {
  struct Case {
    const char* text;
    uint32_t expected;
  };
  const Case cases[] = {
      {"7.1.3", 7010300u},
      {"8.3.16", 8031600u},
      {"8.5.0-7", 8050007u},
      {"", 0u},
      {"8", 8000000u},
      {"8.5", 8050000u},
      {"8..3", 8000300u},
      {" 8 . 5 . 0 - 7 ", 8050007u},  // blanks around every field
      {"8.3.16a", 8031600u},          // digits up to the first other character
      {"16a.0", 16000000u},
      {"$1F.0", 31000000u},
      {"x1f.0", 31000000u},
      {"0X1F.0", 31000000u},
      {"0x1f.0", 31000000u},
      {"+7.1", 7010000u},
      {"-1", 0u - 1000000u},                 // the sign wraps in 32 bits
      {"0.0.0--1", 0xFFFFFFFFu},             // a negative build
      {"5000.0", 5000u * 1000000u},          // 5,000,000,000 wraps
      {"abc", 0u},
      {"8.5.0-7-1", 8050007u},               // the build reads up to the second "-"
      {"7.4.0.9", 7040000u},                 // fields beyond the third are ignored
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(VersionNumber(c.text), c.expected);
  }
}

TEST(VersionAtLeast, ComparesUnsigned) {
  EXPECT_TRUE(VersionAtLeast("8.5.0-7", "8.5.0-7"));
  EXPECT_TRUE(VersionAtLeast("8.5.0-10", "8.5.0-7"));
  EXPECT_FALSE(VersionAtLeast("8.2.6", "8.2.7"));
  EXPECT_FALSE(VersionAtLeast("4.2.1", "4.2.2"));
  // "-1" wraps to a value above every real release.
  EXPECT_TRUE(VersionAtLeast("-1", "8.5.0"));
  EXPECT_FALSE(VersionAtLeast("", "0.0.0-1"));
}

TEST(SetupVersion, IsTheRelease) { EXPECT_EQ(SetupVersion, "8.5.0-7"); }

}  // namespace
}  // namespace tovex
