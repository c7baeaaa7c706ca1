// The files port's volume questions on real folders under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/files_win32.h"

namespace tovex {
namespace {

TEST(Win32FreeSpace, AnExistingFolderHasItAMissingOneSaysWhy) {
  win32::Win32Files files;
  const std::optional<uint64_t> free = files.FreeSpace(files.TempFolder());
  ASSERT_TRUE(free.has_value());
  EXPECT_GT(*free, 0u);
  EXPECT_TRUE(files.FreeSpace("C:").has_value());  // a drive without its backslash too

  EXPECT_FALSE(files.FreeSpace(files.TempFolder() + "tovex-no-such-folder\\below\\").has_value());
  EXPECT_NE(files.LastError(), 0u);
}

}  // namespace
}  // namespace tovex
