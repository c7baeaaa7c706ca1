// ExtractArchive on real files under Wine: the read-only target, a damaged
// entry, names that try to leave the folder.
#include <windows.h>

#include "common/folders.h"
#include "platform/win32/files_win32.h"
#include "shared/archive_cases.h"

namespace tovex {
namespace {

class ExtractArchiveOnRealFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    base = files.TempFolder() + "tovex-archive-" + std::to_string(::GetCurrentProcessId()) + "\\";
    DeleteTree(files, base, "*.*", true);
    ASSERT_TRUE(ForceDirectories(files, base));
  }
  void TearDown() override { EXPECT_TRUE(DeleteTree(files, base, "*.*", true)); }

  win32::Win32Files files;
  std::string base;
};

TEST_F(ExtractArchiveOnRealFiles, ExampleAndFolders) { cases::ExampleAndFoldersCases(files, base); }
TEST_F(ExtractArchiveOnRealFiles, ReadOnlyTargetStops) { cases::ReadOnlyTargetCases(files, base); }
TEST_F(ExtractArchiveOnRealFiles, CorruptEntryLeavesAnEmptyFile) { cases::CorruptEntryCases(files, base); }
TEST_F(ExtractArchiveOnRealFiles, NamesNeverLeaveTheFolder) { cases::TraversalCases(files, base); }

TEST_F(ExtractArchiveOnRealFiles, TargetHeldOpenByAnotherProgram) {
  testing::ArchiveBuilder archive;
  archive.Add("a.txt", "A").Add("held.txt", "new").Add("c.txt", "C").End();
  cases::PutFile(files, base + "held.dat", archive.str());
  ASSERT_TRUE(files.MakeFolder(base + "h"));
  cases::PutFile(files, base + "h\\held.txt", "old");
  HANDLE held = ::CreateFileA((base + "h\\held.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(ExtractArchive(files, base + "held.dat", base + "h", true, ""));
  ::CloseHandle(held);
  EXPECT_EQ(cases::GetFile(files, base + "h\\held.txt"), "old");
  EXPECT_FALSE(files.FileExists(base + "h\\c.txt"));
}

}  // namespace
}  // namespace tovex
