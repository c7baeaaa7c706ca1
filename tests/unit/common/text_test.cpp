#include "common/text.h"

#include <gtest/gtest.h>

#include "common/paths.h"

namespace tovex {
namespace {

TEST(MatchesMask, WindowsRules) {
  struct Case {
    const char* name;
    const char* mask;
    bool matches;
  };
  const Case cases[] = {
      {"readme", "*.*", true},      {"local.cf", "*.cf", true},   {"LOCAL.CF", "*.cf", true},
      {"10_rules.cf", "1*", true},  {"local.cf", "1*", false},    {"a.b.c", "*.c", true},
      {"abc", "a?c", true},         {"ac", "a?c", false},         {"setup", "setup.*", true},
      {"setup.dat", "setup.*", true}, {"x", "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " ~ " + c.mask);
    EXPECT_EQ(MatchesMask(c.name, c.mask), c.matches);
  }
}

TEST(FormatText, FillsInOrderAndNeverReadsBeyond) {
  EXPECT_EQ(FormatText("%s %s Setup", {"Tovex Mail Server", "8.5.0-7"}), "Tovex Mail Server 8.5.0-7 Setup");
  EXPECT_EQ(FormatText("%s and %s", {"one"}), "one and ");
  EXPECT_EQ(FormatText("100%% %d", {}), "100% %d");
}

TEST(Paths, BackslashesAndParts) {
  EXPECT_EQ(IncludeTrailingBackslash("C:\\Tovex"), "C:\\Tovex\\");
  EXPECT_EQ(IncludeTrailingBackslash("C:\\Tovex\\"), "C:\\Tovex\\");
  EXPECT_EQ(IncludeTrailingBackslash(""), "");
  EXPECT_EQ(ExcludeTrailingBackslash("C:\\Tovex\\"), "C:\\Tovex");
  EXPECT_EQ(ExtractFilePath("C:\\a\\b.txt"), "C:\\a\\");
  EXPECT_EQ(ExtractFileName("C:\\a\\b.txt"), "b.txt");
  EXPECT_EQ(ExtractFileExt("C:\\a.d\\b"), "");
  EXPECT_EQ(Trim("\t a b \r\n"), "a b");
  EXPECT_EQ(FirstPos("@", "x@y.z"), 2u);
  EXPECT_EQ(LastPos(".", "a.b@c.d"), 6u);
}

}  // namespace
}  // namespace tovex
