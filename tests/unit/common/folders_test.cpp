#include "fakes/fake_files.h"
#include "shared/folder_cases.h"

namespace tovex {
namespace {

TEST(DeleteTree, OnTheFakeFileTree) {
  fakes::FakeFiles files;
  files.AddFolder("C:\\Work");
  cases::DeleteTreeCases(files, "C:\\Work\\");
}

TEST(ForceDirectories, OnTheFakeFileTree) {
  fakes::FakeFiles files;
  files.AddFolder("C:\\Work");
  cases::ForceDirectoriesCases(files, "C:\\Work\\");
}

TEST(ForceDirectories, StopsAtTheDrive) {
  fakes::FakeFiles files;
  EXPECT_TRUE(ForceDirectories(files, "C:\\Tovex\\config"));
  EXPECT_TRUE(files.FolderExists("c:\\tovex"));
  EXPECT_FALSE(ForceDirectories(files, "Q:\\nowhere")) << "no drive Q: in the fake";
}

}  // namespace
}  // namespace tovex
