#include "package/extraction_folder.h"

#include <gtest/gtest.h>

#include "fakes/fake_files.h"

namespace tovex {
namespace {

constexpr const char* kFolder = "C:\\Temp\\tovexinstall\\";

TEST(CreateExtractionFolder, MakesItFreshAndWritableByAdministratorsOnly) {
  fakes::FakeFiles files;
  files.AddFile("C:\\Canary\\bird.txt", "tweet");
  // What an earlier run, or another program, left there.
  files.AddFile(std::string(kFolder) + "smtp.exe", "swapped");
  files.AddFile(std::string(kFolder) + "doc\\readme.txt", "old");
  files.AddLink(std::string(kFolder) + "trap", "C:\\Canary", true);

  ASSERT_TRUE(CreateExtractionFolder(files, kFolder));
  EXPECT_TRUE(files.List(kFolder, "*.*").empty());
  EXPECT_EQ(files.Protection(kFolder), FolderProtection::AdministratorsOnly);
  EXPECT_EQ(files.Content("C:\\Canary\\bird.txt"), "tweet");
}

TEST(CreateExtractionFolder, AFolderThatIsALinkOrAFileIsRemovedAsSuch) {
  for (const bool link : {true, false}) {
    fakes::FakeFiles files;
    files.AddFile("C:\\Canary\\bird.txt", "tweet");
    if (link) {
      files.AddLink("C:\\Temp\\tovexinstall", "C:\\Canary", true);
    } else {
      files.AddFile("C:\\Temp\\tovexinstall", "a file in the way");
    }
    ASSERT_TRUE(CreateExtractionFolder(files, kFolder));
    EXPECT_EQ(files.Protection(kFolder), FolderProtection::AdministratorsOnly);
    EXPECT_EQ(files.Content("C:\\Canary\\bird.txt"), "tweet");
  }
}

TEST(CreateExtractionFolder, AFolderThatCannotBeMadeFreshIsNeverReused) {
  struct Case {
    const char* name;
    void (*arrange)(fakes::FakeFiles&);
    uint32_t error;
  };
  const Case cases[] = {
      {"created by another program in the meantime",
       [](fakes::FakeFiles& files) {
         files.FailOn(fakes::FakeFiles::Op::MakeFolder, kFolder, oserr::kAlreadyExists);
       },
       oserr::kAlreadyExists},
      {"a read-only leftover stays",
       [](fakes::FakeFiles& files) {
         files.AddFile(std::string(kFolder) + "setup.lng", "old", attr::kReadOnly);
       },
       oserr::kAlreadyExists},
      {"a link that cannot be removed stays",
       [](fakes::FakeFiles& files) {
         files.AddLink(std::string(kFolder) + "trap", "C:\\Canary", true);
         files.FailOn(fakes::FakeFiles::Op::RemoveLink, std::string(kFolder) + "trap", oserr::kNotAReparsePoint);
       },
       oserr::kAlreadyExists},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fakes::FakeFiles files;
    files.AddFile("C:\\Canary\\bird.txt", "tweet");
    files.AddFolder("C:\\Temp");
    c.arrange(files);
    EXPECT_FALSE(CreateExtractionFolder(files, kFolder));
    EXPECT_EQ(files.LastError(), c.error);
    EXPECT_NE(files.Protection(kFolder), FolderProtection::AdministratorsOnly);
    EXPECT_EQ(files.Content("C:\\Canary\\bird.txt"), "tweet");
  }
}

}  // namespace
}  // namespace tovex
