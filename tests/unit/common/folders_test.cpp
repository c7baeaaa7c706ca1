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

// Links as Windows has them are removed as links; where the system refuses
// (as Wine does), they stay and nothing is done through them.
TEST(DeleteTree, NeverFollowsALinkOnTheFakeFileTree) {
  for (const bool removable : {true, false}) {
    SCOPED_TRACE(removable ? "links removable" : "links stay");
    fakes::FakeFiles files;
    files.AddFolder("C:\\Work");
    const auto plant = [&](const std::string& path, const std::string& target, bool toFolder) {
      files.AddLink(path, target, toFolder);
      if (!removable) files.FailOn(fakes::FakeFiles::Op::RemoveLink, path, oserr::kNotAReparsePoint);
    };
    cases::LinkCases(files, "C:\\Work\\", plant, removable);
  }
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
