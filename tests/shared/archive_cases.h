#pragma once
// ExtractArchive cases that hold on any files port: run natively against the
// fake and under Wine against real folders. base is an existing empty folder
// ending with a backslash.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "common/paths.h"
#include "package/extract_archive.h"
#include "platform/files.h"
#include "shared/archive_builder.h"

namespace tovex::cases {

inline void PutFile(Files& files, const std::string& path, const std::string& content) {
  auto out = files.CreateForWriting(path);
  ASSERT_TRUE(out) << path;
  ASSERT_TRUE(out->Write(content.data(), content.size()));
  ASSERT_TRUE(out->Close());
}

inline std::optional<std::string> GetFile(Files& files, const std::string& path) {
  auto in = files.OpenForReading(path);
  if (!in) return std::nullopt;
  std::string content;
  char buffer[4096];
  size_t got = 0;
  while (in->Read(buffer, sizeof buffer, got) && got > 0) content.append(buffer, got);
  return content;
}

// The smallest archive there is, byte for byte, and names reaching into
// folders that do not exist yet.
inline void ExampleAndFoldersCases(Files& files, const std::string& base) {
  const std::string example("ILDS\x05\0\0\0\0\x02\0\0\0\x05" "a.txt\x03\0\0\0abc\0\0\0\0\0", 31);
  PutFile(files, base + "example.dat", example);
  EXPECT_TRUE(ExtractArchive(files, base + "example.dat", base + "ex", true, ""));
  EXPECT_EQ(GetFile(files, base + "ex\\a.txt"), "abc");

  testing::ArchiveBuilder nested(true);
  nested.Add("ldap/schema/core.schema", "core").Add("ldap\\slapd.conf", "conf").Add("top.txt", "").End();
  PutFile(files, base + "nested.dat", nested.str());
  EXPECT_TRUE(ExtractArchive(files, base + "nested.dat", base + "deep\\er", true, ""));
  EXPECT_EQ(GetFile(files, base + "deep\\er\\ldap\\schema\\core.schema"), "core");
  EXPECT_EQ(GetFile(files, base + "deep\\er\\ldap\\slapd.conf"), "conf");
  EXPECT_EQ(GetFile(files, base + "deep\\er\\top.txt"), "");
}

// A read-only file in the way ends the extraction there, and says so.
inline void ReadOnlyTargetCases(Files& files, const std::string& base) {
  ASSERT_TRUE(files.MakeFolder(base + "ro"));
  PutFile(files, base + "ro\\b.txt", "old");
  ASSERT_TRUE(files.SetAttributes(base + "ro\\b.txt", attr::kReadOnly));
  testing::ArchiveBuilder archive;
  archive.Add("a.txt", "A").Add("b.txt", "B").Add("c.txt", "C").End();
  PutFile(files, base + "ro.dat", archive.str());
  EXPECT_FALSE(ExtractArchive(files, base + "ro.dat", base + "ro", true, ""));
  EXPECT_EQ(GetFile(files, base + "ro\\a.txt"), "A") << "written before the failure: stays";
  EXPECT_EQ(GetFile(files, base + "ro\\b.txt"), "old");
  EXPECT_FALSE(files.FileExists(base + "ro\\c.txt")) << "behind the failure: not extracted";
  ASSERT_TRUE(files.SetAttributes(base + "ro\\b.txt", attr::kNormal));
}

// A damaged compressed entry leaves an empty file; the rest still arrives.
inline void CorruptEntryCases(Files& files, const std::string& base) {
  std::string broken = testing::Deflate(std::string(100000, 'x') + "tail");
  broken.back() ^= 0x55;  // the checksum no longer matches
  testing::ArchiveBuilder archive(true);
  archive.Add("first.txt", "1").Raw("broken.txt", broken).Add("last.txt", "3").End();
  PutFile(files, base + "corrupt.dat", archive.str());
  ASSERT_TRUE(files.MakeFolder(base + "co"));
  PutFile(files, base + "co\\broken.txt", "previous content");
  EXPECT_FALSE(ExtractArchive(files, base + "corrupt.dat", base + "co", true, ""));
  EXPECT_EQ(GetFile(files, base + "co\\first.txt"), "1");
  EXPECT_TRUE(GetFile(files, base + "co\\broken.txt") == "") << "not emptied";
  EXPECT_EQ(GetFile(files, base + "co\\last.txt"), "3");
}

// Names that would leave the destination are never written, and end the
// extraction as a damaged archive would.
inline void TraversalCases(Files& files, const std::string& base) {
  const char* names[] = {"..\\escaped.txt", "../escaped.txt", "sub\\..\\..\\escaped.txt", "\\escaped.txt",
                         "/escaped.txt", "C:escaped.txt", "sub\\...\\escaped.txt"};
  ASSERT_TRUE(files.MakeFolder(base + "jail"));
  int row = 0;
  for (const char* name : names) {
    SCOPED_TRACE(name);
    const std::string dest = base + "jail\\d" + std::to_string(row++);
    testing::ArchiveBuilder archive;
    archive.Add("before.txt", "kept").Add(name, "evil").Add("after.txt", "x").End();
    PutFile(files, base + "trav.dat", archive.str());
    EXPECT_FALSE(ExtractArchive(files, base + "trav.dat", dest, true, ""));
    EXPECT_EQ(GetFile(files, dest + "\\before.txt"), "kept");
    EXPECT_FALSE(files.FileExists(dest + "\\after.txt"));
    EXPECT_FALSE(files.FileExists(base + "jail\\escaped.txt"));
    EXPECT_FALSE(files.FileExists(base + "escaped.txt"));
  }
}

}  // namespace tovex::cases
