#pragma once
// Links planted where Setup deletes and writes, on any files port: natively
// against the fake (links as Windows has them: removed as links) and under
// Wine against real Unix symbolic links (which Wine cannot remove as links:
// they stay). Either way the target and everything in it stay untouched.
// base is an existing empty folder ending with a backslash.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "common/folders.h"
#include "package/extract_archive.h"
#include "platform/files.h"
#include "shared/archive_builder.h"
#include "shared/folder_cases.h"

namespace tovex::cases {

// Plants a link at path to target (a folder link when toFolder is set).
using PlantLink = std::function<void(const std::string& path, const std::string& target, bool toFolder)>;

// A folder outside the walks with a file and a subfolder; CanaryIntact
// checks that all of it is still there, unchanged.
inline std::string MakeCanary(Files& files, const std::string& base) {
  const std::string canary = base + "canary\\";
  EXPECT_TRUE(ForceDirectories(files, canary + "nest"));
  WriteFile(files, canary + "bird.txt", "tweet");
  WriteFile(files, canary + "nest\\egg.txt", "egg");
  return canary;
}

inline std::string ContentOf(Files& files, const std::string& path) {
  auto in = files.OpenForReading(path);
  if (!in) return "<missing>";
  std::string text(static_cast<size_t>(in->Size()), '\0');
  size_t got = 0;
  return in->Read(text.data(), text.size(), got) ? text.substr(0, got) : "<unreadable>";
}

inline void ExpectCanaryIntact(Files& files, const std::string& canary) {
  EXPECT_EQ(ContentOf(files, canary + "bird.txt"), "tweet");
  EXPECT_EQ(ContentOf(files, canary + "nest\\egg.txt"), "egg");
  const std::vector<FileEntry> entries = files.List(canary, "*.*");
  EXPECT_EQ(entries.size(), 2u) << "nothing added to or removed from the canary";
}

// linksRemovable: the port removes a link as a link (Windows, the fake); when
// it cannot (Wine), the link stays and keeps its folder.
inline void LinkCases(Files& files, const std::string& base, const PlantLink& plant, bool linksRemovable) {
  const std::string canary = MakeCanary(files, base);

  // A tree holding a folder link and a file link: the tree goes, the links
  // go as links, nothing below them is touched.
  const std::string tree = base + "tree\\";
  ASSERT_TRUE(ForceDirectories(files, tree + "sub"));
  WriteFile(files, tree + "sub\\plain.txt");
  plant(tree + "sub\\trap", ExcludeTrailingBackslash(canary), true);
  plant(tree + "bait.txt", canary + "bird.txt", false);
  ASSERT_TRUE(IsLink(files, tree + "sub\\trap")) << "the port reports a folder link as a link";
  ASSERT_TRUE(IsLink(files, tree + "bait.txt")) << "the port reports a file link as a link";
  EXPECT_EQ(DeleteTree(files, tree, "", true), linksRemovable);
  ExpectCanaryIntact(files, canary);
  EXPECT_FALSE(files.FileExists(tree + "sub\\plain.txt"));
  EXPECT_EQ(files.FolderExists(tree), !linksRemovable);

  // The folder handed to DeleteTree is itself a link.
  plant(base + "linked", ExcludeTrailingBackslash(canary), true);
  EXPECT_EQ(DeleteTree(files, base + "linked\\", "*.*", true), linksRemovable);
  ExpectCanaryIntact(files, canary);

  // A link on the way to a folder Setup writes into, and at a file it
  // deletes.
  plant(base + "dest\\doc", ExcludeTrailingBackslash(canary), true);
  EXPECT_EQ(ForceDirectoriesBelow(files, base + "dest\\", "doc\\inner\\"), linksRemovable);
  EXPECT_FALSE(files.FolderExists(canary + "inner"));
  if (linksRemovable) {
    EXPECT_FALSE(IsLink(files, base + "dest\\doc")) << "a real folder took the link's place";
  }
  EXPECT_EQ(DeleteTreeBelow(files, base + "dest\\", "doc\\inner\\", "", true), linksRemovable);
  plant(base + "dest\\smtp.exe", canary + "bird.txt", false);
  EXPECT_EQ(DeleteFileOrLink(files, base + "dest\\smtp.exe"), linksRemovable);
  ExpectCanaryIntact(files, canary);
}

// An archive unpacked over a folder link and a file link below its
// destination writes real files in their place, or, where the links cannot
// be removed, fails before writing anything through them.
inline void ArchiveLinkCases(Files& files, const std::string& base, const PlantLink& plant, bool linksRemovable) {
  const std::string canary = MakeCanary(files, base);
  testing::ArchiveBuilder archive;
  archive.Add("nest\\egg.txt", "cuckoo").Add("bird.txt", "crow").End();
  WriteFile(files, base + "over.dat", archive.str());
  plant(base + "over\\nest", ExcludeTrailingBackslash(canary) + "\\nest", true);
  plant(base + "over\\bird.txt", canary + "bird.txt", false);
  EXPECT_EQ(ExtractArchive(files, base + "over.dat", base + "over", true, ""), linksRemovable);
  ExpectCanaryIntact(files, canary);
  if (linksRemovable) {
    EXPECT_EQ(ContentOf(files, base + "over\\nest\\egg.txt"), "cuckoo");
    EXPECT_EQ(ContentOf(files, base + "over\\bird.txt"), "crow");
  }
}

}  // namespace tovex::cases
