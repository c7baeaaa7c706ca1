#include "fakes/fake_files.h"
#include "shared/folder_cases.h"
#include "shared/link_cases.h"

namespace tovex {
namespace {

TEST(DeleteTree, OnTheFakeFileTree) {
  fakes::FakeFiles files;
  files.AddFolder("C:\\Work");
  cases::DeleteTreeCases(files, "C:\\Work\\");
}

TEST(DeleteTree, RemovesLinksAsLinksOnTheFakeFileTree) {
  fakes::FakeFiles files;
  files.AddFolder("C:\\Work");
  cases::LinkCases(
      files, "C:\\Work\\",
      [&files](const std::string& path, const std::string& target, bool toFolder) {
        files.AddLink(path, target, toFolder);
      },
      true);
}

TEST(DeleteTree, LeavesALinkThatCannotBeRemovedAndWorksNoFurtherThroughIt) {
  fakes::FakeFiles files;
  files.AddFolder("C:\\Work");
  // The system refuses to remove the links (as Wine does for its links).
  cases::LinkCases(
      files, "C:\\Work\\",
      [&files](const std::string& path, const std::string& target, bool toFolder) {
        files.AddLink(path, target, toFolder);
        files.FailOn(fakes::FakeFiles::Op::RemoveLink, path, oserr::kNotAReparsePoint);
      },
      false);
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
