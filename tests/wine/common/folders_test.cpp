// DeleteTree and ForceDirectories on real files under Wine.
#include <windows.h>

#include "platform/win32/files_win32.h"
#include "shared/folder_cases.h"
#include "shared/link_cases.h"
#include "wine/plant_link.h"

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

// Under Wine a planted link cannot be removed from Windows' side (every call
// reaches its target): the walks leave it where it is and go no further
// through it. On Windows the same cases remove the links as links.
TEST(DeleteTreeOnRealFiles, PlantedLinksAreNeverFollowed) {
  win32::Win32Files files;
  const std::string base = FreshFolder(files, "tovex-links-");
  const bool onWine = !wine::UnixPath(base).empty();
  const auto plant = [&files](const std::string& path, const std::string& target, bool toFolder) {
    ASSERT_TRUE(ForceDirectories(files, ExtractFilePath(path)));
    ASSERT_TRUE(wine::PlantLink(path, target, toFolder)) << path;
  };
  cases::LinkCases(files, base, plant, !onWine);
  cases::ArchiveLinkCases(files, base + "archive\\", plant, !onWine);
}

TEST(ForceDirectoriesOnRealFiles, NestedAndAtTheLengthLimit) {
  win32::Win32Files files;
  const std::string base = FreshFolder(files, "tovex-force-");
  cases::ForceDirectoriesCases(files, base);
  EXPECT_TRUE(DeleteTree(files, base, "*.*", true));
}

}  // namespace
}  // namespace tovex
