// ExtractArchive against the fake file tree.
#include <gtest/gtest.h>

#include <random>

#include "common/setup_log.h"
#include "fakes/fake_files.h"
#include "fakes/fake_machine.h"
#include "shared/archive_builder.h"
#include "shared/archive_cases.h"
#include "shared/link_cases.h"

namespace tovex {
namespace {

using testing::ArchiveBuilder;
using testing::Deflate;
using testing::Le32;

constexpr const char* kArchive = "C:\\Setup\\setup.Dat";
constexpr const char* kDest = "C:\\Out\\";

class ExtractArchiveTest : public ::testing::Test {
 protected:
  ExtractArchiveTest() { files.AddFolder("C:\\Work"); }
  bool Extract(const std::string& bytes, bool overwrite = true, const std::string& keep = "") {
    files.AddFile(kArchive, bytes);
    return ExtractArchive(files, kArchive, kDest, overwrite, keep, &log);
  }
  std::optional<std::string> Out(const std::string& name) { return files.Content(kDest + name); }

  fakes::FakeFiles files;
  SetupLog log;
};

TEST_F(ExtractArchiveTest, SharedCasesOnTheFake) {
  cases::ExampleAndFoldersCases(files, "C:\\Work\\");
  cases::ReadOnlyTargetCases(files, "C:\\Work\\");
  cases::CorruptEntryCases(files, "C:\\Work\\");
  cases::TraversalCases(files, "C:\\Work\\");
}

TEST_F(ExtractArchiveTest, LinksBelowTheDestinationAreNeverWrittenThrough) {
  for (const bool removable : {true, false}) {
    SCOPED_TRACE(removable ? "links removable" : "links stay");
    fakes::FakeFiles fresh;
    fresh.AddFolder("C:\\Work");
    cases::ArchiveLinkCases(
        fresh, "C:\\Work\\",
        [&](const std::string& path, const std::string& target, bool toFolder) {
          fresh.AddLink(path, target, toFolder);
          if (!removable) fresh.FailOn(fakes::FakeFiles::Op::RemoveLink, path, oserr::kNotAReparsePoint);
        },
        removable);
  }
}

TEST_F(ExtractArchiveTest, BuilderWritesTheThirtyOneByteExample) {
  const std::string example("ILDS\x05\0\0\0\0\x02\0\0\0\x05" "a.txt\x03\0\0\0abc\0\0\0\0\0", 31);
  EXPECT_EQ(ArchiveBuilder().Add("a.txt", "abc").End().str(), example);
}

// Every layout the reader must understand, each holding the same two files.
TEST_F(ExtractArchiveTest, HeaderVariants) {
  const std::string big(300000, 'q');  // spans more than one read-ahead buffer
  struct Row {
    const char* what;
    ArchiveBuilder archive;
  } rows[] = {
      {"no header: version 0, 256-byte names", ArchiveBuilder(false, 0, false)},
      {"complete header, version 0", ArchiveBuilder(false, 0)},
      {"complete header, version 1", ArchiveBuilder(false, 1)},
      {"complete header, version 2", ArchiveBuilder(false, 2)},
      {"compressed, version 2", ArchiveBuilder(true, 2)},
      {"compressed, version 7", ArchiveBuilder(true, 7)},
      {"extension length 0: stored, 256-byte names", ArchiveBuilder::WithExtension("", false, 0)},
      {"extension length 1: compressed, 256-byte names", ArchiveBuilder::WithExtension("\x01", true, 0)},
      {"extension length 3: the version's missing high bytes read as 0",
       ArchiveBuilder::WithExtension(std::string("\0\x01\0", 3), false, 1)},
      {"extension length 9: bytes beyond the known fields skipped",
       ArchiveBuilder::WithExtension(std::string("\x01\x02\0\0\0" "more", 9), true, 2)},
  };
  for (Row& row : rows) {
    SCOPED_TRACE(row.what);
    files = fakes::FakeFiles();
    row.archive.Add("one.txt", "first").Add("dir\\big.bin", big);
    EXPECT_TRUE(Extract(row.archive.str()));
    EXPECT_EQ(Out("one.txt"), "first");
    EXPECT_TRUE(Out("dir\\big.bin") == big);
  }
}

TEST_F(ExtractArchiveTest, EndsOfTheArchive) {
  EXPECT_TRUE(Extract("")) << "an empty file is an empty archive";
  EXPECT_TRUE(Extract("ILDS" + Le32(5) + std::string(5, '\0'))) << "a header and nothing else";
  EXPECT_TRUE(Extract("ILDS" + Le32(0xFFFFFFFF) + std::string(7, '\0'))) << "an extension running to the end";

  files = fakes::FakeFiles();
  EXPECT_TRUE(Extract(ArchiveBuilder().Add("a.txt", "A").Raw("   ", "").Add("b.txt", "B").str()));
  EXPECT_EQ(Out("a.txt"), "A");
  EXPECT_FALSE(Out("b.txt")) << "behind a blank name: ignored";

  files = fakes::FakeFiles();
  EXPECT_TRUE(Extract(ArchiveBuilder().Add("a.txt", "A").Raw(std::string("\t\x01 ", 3), "xyz").Add("b.txt", "B").str()));
  EXPECT_FALSE(Out("b.txt")) << "control characters are blanks too";

  files = fakes::FakeFiles();
  EXPECT_TRUE(Extract(ArchiveBuilder().Add("a.txt", "A").Add("b.txt", "B").str())) << "no end entry";
  EXPECT_EQ(Out("b.txt"), "B");
}

// Cut short: data gives a shorter file; a name or size field, a failure.
TEST_F(ExtractArchiveTest, TruncatedArchives) {
  const std::string full = ArchiveBuilder().Add("a.txt", "AAAA").Add("b.txt", "0123456789").str();
  const size_t bData = full.size() - 10;   // where b.txt's data starts
  const size_t bSize = bData - 4;          // where its size field starts
  struct Row {
    size_t length;
    bool result;
    std::optional<std::string> b;
  } rows[] = {
      {full.size() - 3, true, "0123456"},
      {bData, true, ""},
      {bSize + 2, false, std::nullopt},
      {bSize, false, std::nullopt},
      {bSize - 3, false, std::nullopt},  // inside the name
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.length);
    files = fakes::FakeFiles();
    EXPECT_EQ(Extract(full.substr(0, row.length)), row.result);
    EXPECT_EQ(Out("a.txt"), "AAAA") << "earlier files stay";
    EXPECT_EQ(Out("b.txt"), row.b);
  }

  files = fakes::FakeFiles();
  EXPECT_FALSE(Extract(std::string("ILDS\x05\0", 6))) << "header cut short";
  files = fakes::FakeFiles();
  EXPECT_FALSE(Extract(ArchiveBuilder(false, 0, false).Add("a.txt", "A").str().substr(0, 200)))
      << "a 256-byte name record cut short";
  files = fakes::FakeFiles();
  EXPECT_FALSE(Extract(ArchiveBuilder().Raw("", "").str().substr(0, 15))) << "end entry without its size";
}

TEST_F(ExtractArchiveTest, KeepListDecidesWhatAnUpgradeReplaces) {
  const std::string archive = ArchiveBuilder()
                                  .Add("slapd.conf", "new")
                                  .Add("schema\\misc.schema", "new")
                                  .Add("schema\\core.schema", "new")
                                  .Add("core.schema", "new")
                                  .Add("missing.txt", "new")
                                  .End()
                                  .str();
  const std::string keep = ";slapd.conf;schema\\core.schema;";
  struct Row {
    const char* name;
    bool overwrite;
    std::string keepList;
    const char* expected;
  } rows[] = {
      {"SLAPD.CONF", false, keep, "old"},
      {"schema\\misc.schema", false, keep, "new"},
      {"schema\\core.schema", false, keep, "old"},
      {"core.schema", false, keep, "new"},
      {"missing.txt", false, keep, "new"},
      {"SLAPD.CONF", false, "", "old"},
      {"schema\\misc.schema", false, "", "old"},
      {"missing.txt", false, "", "new"},
      {"SLAPD.CONF", true, keep, "new"},
      {"schema\\core.schema", true, keep, "new"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.name) + (row.overwrite ? " overwrite" : "") + " keep=" + row.keepList);
    files = fakes::FakeFiles();
    for (const char* existing : {"SLAPD.CONF", "schema\\misc.schema", "schema\\core.schema", "core.schema"}) {
      files.AddFile(kDest + std::string(existing), "old");
    }
    EXPECT_TRUE(Extract(archive, row.overwrite, row.keepList));
    EXPECT_EQ(Out(row.name), row.expected);
  }
}

TEST_F(ExtractArchiveTest, CompressedEntries) {
  std::mt19937 random(7);
  std::string noise(700000, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  const std::string text(3000000, 'z');
  const std::string stream = Deflate("inside");
  const std::string archive = ArchiveBuilder(true)
                                  .Add("noise.bin", noise)
                                  .Add("text.txt", text)
                                  .Raw("empty.txt", "")
                                  .Raw("trailing.txt", stream + "junk after the stream")
                                  .Raw("cut.txt", stream.substr(0, stream.size() - 2))
                                  .Raw("raw.txt", "not a zlib stream")
                                  .Add("last.txt", "last")
                                  .End()
                                  .str();
  EXPECT_FALSE(Extract(archive)) << "two entries did not inflate";
  EXPECT_TRUE(Out("noise.bin") == noise);
  EXPECT_TRUE(Out("text.txt") == text);
  EXPECT_EQ(Out("empty.txt"), "") << "a size of 0 is an empty file";
  EXPECT_EQ(Out("trailing.txt"), "inside");
  EXPECT_EQ(Out("cut.txt"), "");
  EXPECT_EQ(Out("raw.txt"), "");
  EXPECT_EQ(Out("last.txt"), "last");
  EXPECT_EQ(log.Lines().size(), 2u) << log.Text();

  files = fakes::FakeFiles();
  EXPECT_FALSE(Extract(archive.substr(0, archive.size() - 40000 - 1000)))
      << "the archive ends inside compressed data";
}

TEST_F(ExtractArchiveTest, SkippedCompressedEntriesAreNotInflated) {
  files.AddFile(kDest + std::string("kept.txt"), "old");
  const std::string archive = ArchiveBuilder(true).Raw("kept.txt", "garbage").Add("new.txt", "N").End().str();
  EXPECT_TRUE(Extract(archive, false, ""));
  EXPECT_EQ(Out("kept.txt"), "old");
  EXPECT_EQ(Out("new.txt"), "N");
}

TEST_F(ExtractArchiveTest, UnsafeNamesAndLongPaths) {
  for (const char* name : {"a\\..\\b", ".", "x\\.\\y", "nul", "NUL.txt", "sub\\com1", "lpt9.log", "a:b"}) {
    SCOPED_TRACE(name);
    files = fakes::FakeFiles();
    EXPECT_FALSE(Extract(ArchiveBuilder().Add(name, "x").End().str()));
    ASSERT_FALSE(log.Lines().empty());
    const std::string& line = log.Lines().back();
    EXPECT_NE(line.find("leads outside the folder"), std::string::npos) << line;
    EXPECT_EQ(line.find("(error"), std::string::npos) << "no system error behind it: " << line;
  }
  for (const char* name : {"a..b", "..a", "con2", "comx", "nulx.txt", "sub\\a.b.c"}) {
    SCOPED_TRACE(name);
    files = fakes::FakeFiles();
    EXPECT_TRUE(Extract(ArchiveBuilder().Add(name, "x").End().str()));
    EXPECT_EQ(Out(name), "x");
  }

  // The target path may reach 255 characters and no further.
  const std::string dest(kDest);
  std::string atLimit = std::string(100, 'a') + "\\" + std::string(kMaxPathLength - dest.size() - 101, 'b');
  ASSERT_EQ((dest + atLimit).size(), kMaxPathLength);
  files = fakes::FakeFiles();
  EXPECT_TRUE(Extract(ArchiveBuilder().Add(atLimit, "fits").End().str()));
  EXPECT_EQ(Out(atLimit), "fits");
  files = fakes::FakeFiles();
  EXPECT_FALSE(Extract(ArchiveBuilder().Add("first", "1").Add(atLimit + "c", "too long").Add("z", "z").End().str()));
  EXPECT_EQ(Out("first"), "1");
  EXPECT_FALSE(Out(atLimit + "c"));
  EXPECT_FALSE(Out("z"));
}

TEST_F(ExtractArchiveTest, FailuresAreNeverSuccess) {
  const std::string archive = ArchiveBuilder().Add("a.txt", "AAAA").Add("b.txt", "BBBB").Add("c.txt", "C").End().str();
  files.SetWriteLimit(6);  // a full disk in the middle of b.txt
  EXPECT_FALSE(Extract(archive));
  EXPECT_EQ(Out("a.txt"), "AAAA");
  EXPECT_FALSE(Out("c.txt"));
  ASSERT_FALSE(log.Lines().empty());
  EXPECT_NE(log.Lines().back().find("b.txt cannot be written (error 112"), std::string::npos) << log.Text();

  files = fakes::FakeFiles();
  files.FailOn(fakes::FakeFiles::Op::Write, kDest + std::string("b.txt"), oserr::kAccessDenied);  // held open
  EXPECT_FALSE(Extract(archive));
  EXPECT_FALSE(Out("c.txt"));

  files = fakes::FakeFiles();
  files.AddFile(kDest + std::string("sub"), "a file where a folder should be");
  EXPECT_FALSE(Extract(ArchiveBuilder().Add("sub\\x.txt", "x").End().str()));
}

TEST_F(ExtractArchiveTest, PathsAndFolders) {
  files.AddFile(kArchive, ArchiveBuilder().Add("a.txt", "A").End().str());
  EXPECT_FALSE(ExtractArchive(files, "", kDest, true, ""));
  EXPECT_FALSE(ExtractArchive(files, kArchive, "", true, ""));
  EXPECT_FALSE(ExtractArchive(files, "C:\\Setup\\missing.dat", kDest, true, ""));
  EXPECT_FALSE(ExtractArchive(files, kArchive, "Q:\\nowhere", true, "")) << "destination cannot be created";
  EXPECT_TRUE(ExtractArchive(files, kArchive, "C:\\New\\Folder", true, "")) << "created, backslash added";
  EXPECT_EQ(files.Content("C:\\New\\Folder\\a.txt"), "A");
}

// The installation driver's way in: the context's files port and setup log,
// failures with the system's text.
TEST(ExtractArchiveInContext, LogsTheSystemText) {
  fakes::FakeMachine machine;
  machine.files.AddFile("C:\\Setup\\setup.Dat", ArchiveBuilder().Add("a.txt", "A").End().str());
  EXPECT_TRUE(ExtractArchive(machine.context, "C:\\Setup\\setup.Dat", "C:\\Temp\\x", true, ""));
  EXPECT_EQ(machine.files.Content("C:\\Temp\\x\\a.txt"), "A");
  EXPECT_FALSE(ExtractArchive(machine.context, "C:\\Setup\\other.dat", "C:\\Temp\\x", true, ""));
  ASSERT_FALSE(machine.log.Lines().empty());
  EXPECT_NE(machine.log.Lines().back().find("other.dat to C:\\Temp\\x\\: the archive cannot be opened (error 2: "
                                            "The system cannot find the file specified.)"),
            std::string::npos)
      << machine.log.Text();
}

}  // namespace
}  // namespace tovex
