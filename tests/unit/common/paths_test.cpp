// Folders named on the command line, made absolute and free of "." and "..".

#include "common/paths.h"

#include <gtest/gtest.h>

namespace tovex {
namespace {

TEST(AbsoluteFolder, EachCase) {
  struct Case {
    const char* folder;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      {"C:\\Program Files\\Tovex", "C:\\Program Files\\Tovex\\"},
      {"C:\\Program Files\\Tovex\\..\\..\\", "C:\\"},
      {"C:\\Program Files\\Tovex\\..\\..\\windows", "C:\\windows\\"},
      {"C:\\..\\..\\x", "C:\\x\\"},
      {"C:\\a\\.\\b\\\\c\\..", "C:\\a\\b\\"},
      {"c:/a/b/", "c:\\a\\b\\"},
      {"Tovex\\..\\Mail", "D:\\Work\\Mail\\"},
      {".", "D:\\Work\\"},
      {"..\\..\\..", "D:\\"},
      {"\\Mail", "D:\\Mail\\"},
      {"\\\\server\\share\\tovex\\..\\..", "\\\\server\\share\\"},
      {"\\\\server\\share", "\\\\server\\share\\"},
      {"", std::nullopt},
      {"C:", std::nullopt},
      {"C:Mail", std::nullopt},
      {"\\\\server", std::nullopt},
      {"\\\\?\\C:\\x", std::nullopt},
      {"\\\\.\\pipe\\x", std::nullopt},
      {"C:\\Tovex\\...\\x", std::nullopt},
      {"C:\\Tovex\\.. \\x", std::nullopt},
      {"C:\\Tovex.\\", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    EXPECT_EQ(AbsoluteFolder(c.folder, "D:\\Work"), c.expected);
  }
  EXPECT_EQ(AbsoluteFolder("Mail", "\\\\host\\share\\setup\\"), "\\\\host\\share\\setup\\Mail\\");
  EXPECT_EQ(AbsoluteFolder("..\\..", "\\\\host\\share\\setup\\"), "\\\\host\\share\\");
}

}  // namespace
}  // namespace tovex
