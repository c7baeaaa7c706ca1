// DeleteTree and ForceDirectories on real files under Wine.
#include <windows.h>

#include "platform/win32/files_win32.h"
#include "shared/folder_cases.h"

namespace tovex {
namespace {

std::string FreshFolder(win32::Win32Files& files, const char* name) {
  const std::string base = files.TempFolder() + name + std::to_string(::GetCurrentProcessId()) + "\\";
  DeleteTree(files, base, "*.*", true);
  EXPECT_TRUE(ForceDirectories(files, base));
  return base;
}

TEST(DeleteTreeOnRealFiles, MasksRecursionAndReadOnly) {
  win32::Win32Files files;
  const std::string base = FreshFolder(files, "tovex-deletetree-");
  cases::DeleteTreeCases(files, base);
  EXPECT_TRUE(DeleteTree(files, base, "*.*", true));
}

TEST(ForceDirectoriesOnRealFiles, NestedAndAtTheLengthLimit) {
  win32::Win32Files files;
  const std::string base = FreshFolder(files, "tovex-force-");
  cases::ForceDirectoriesCases(files, base);
  EXPECT_TRUE(DeleteTree(files, base, "*.*", true));
}

}  // namespace
}  // namespace tovex
