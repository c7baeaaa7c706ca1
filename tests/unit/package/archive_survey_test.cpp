// SurveyArchive: a whole archive gives the bytes it unpacks to; every kind
// of damage a cut-short or corrupt download shows is found, without a file
// written anywhere.
#include "package/archive_survey.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "fakes/fake_machine.h"
#include "shared/archive_builder.h"

namespace tovex {
namespace {

using testing::ArchiveBuilder;
using testing::Deflate;

constexpr const char* kArchive = "C:\\Setup\\setup.Dat";

TEST(ArchiveSurvey, WholeArchivesCountTheirUnpackedBytes) {
  for (const bool compressed : {false, true}) {
    SCOPED_TRACE(compressed);
    fakes::FakeMachine machine;
    ArchiveBuilder archive(compressed);
    archive.Add("smtp.exe", std::string(300000, 's')).Add("doc\\readme.txt", "read me").Add("empty", "").End();
    machine.files.AddFile(kArchive, archive.str());
    const std::size_t before = machine.files.AllPaths().size();

    const ArchiveSurvey survey = SurveyArchive(machine.context, kArchive);
    EXPECT_TRUE(survey.whole);
    EXPECT_EQ(survey.unpackedBytes, 300007u);
    EXPECT_EQ(machine.files.AllPaths().size(), before) << "nothing written";
  }
}

TEST(ArchiveSurvey, EveryDamageIsFoundAndLogged) {
  ArchiveBuilder stored;
  stored.Add("a.txt", "first").Add("b.txt", std::string(5000, 'b')).End();
  const std::string whole = stored.str();
  std::string badStream = Deflate(std::string(70000, 'x'));
  badStream.back() ^= 0x55;  // the checksum no longer matches

  struct Case {
    const char* what;
    std::string bytes;
    const char* logged;
  };
  const Case cases[] = {
      {"stored data cut short", whole.substr(0, whole.size() - 2000), "\"b.txt\" is cut short"},
      {"size field cut short", whole.substr(0, 13 + 6 + 2), "FAILED: Checking C:\\Setup\\setup.Dat"},
      {"a compressed entry that fails its checksum",
       ArchiveBuilder(true).Add("a.txt", "first").Raw("b.txt", badStream).End().str(), "\"b.txt\""},
      {"a compressed stream cut short", ArchiveBuilder(true).Add("big.txt", std::string(90000, 'q')).str().substr(0, 40),
       "\"big.txt\""},
      {"a name leading outside", ArchiveBuilder().Add("..\\evil.exe", "x").End().str(), "leads outside"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fakes::FakeMachine machine;
    machine.files.AddFile(kArchive, c.bytes);
    EXPECT_FALSE(SurveyArchive(machine.context, kArchive).whole);
    EXPECT_THAT(machine.log.Text(), ::testing::HasSubstr(c.logged));
  }

  fakes::FakeMachine machine;
  EXPECT_FALSE(SurveyArchive(machine.context, kArchive).whole);
  EXPECT_THAT(machine.log.Text(), ::testing::HasSubstr("the archive cannot be opened (error 2"));
}

}  // namespace
}  // namespace tovex
