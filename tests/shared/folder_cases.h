#pragma once
// DeleteTree and ForceDirectories cases that hold on any files port: run
// natively against the fake and under Wine against real folders. base is an
// existing empty folder ending with a backslash.

#include <gtest/gtest.h>

#include <string>

#include "common/folders.h"
#include "common/paths.h"
#include "platform/files.h"

namespace tovex::cases {

inline void WriteFile(Files& files, const std::string& path, const std::string& content = "x") {
  auto out = files.CreateForWriting(path);
  ASSERT_TRUE(out) << path;
  ASSERT_TRUE(out->Write(content.data(), content.size()));
  ASSERT_TRUE(out->Close());
}

inline void DeleteTreeCases(Files& files, const std::string& base) {
  // Masks: only matching files go; the folder stays because others remain.
  ASSERT_TRUE(ForceDirectories(files, base + "mask\\sub"));
  WriteFile(files, base + "mask\\a.cf");
  WriteFile(files, base + "mask\\b.txt");
  WriteFile(files, base + "mask\\sub\\c.cf");
  EXPECT_FALSE(DeleteTree(files, base + "mask", "*.cf", false));
  EXPECT_FALSE(files.FileExists(base + "mask\\a.cf"));
  EXPECT_TRUE(files.FileExists(base + "mask\\b.txt"));
  EXPECT_TRUE(files.FileExists(base + "mask\\sub\\c.cf")) << "not recursive: subfolder left alone";

  // Recursive with the default mask removes everything, folder included.
  EXPECT_TRUE(DeleteTree(files, base + "mask\\", "", true));
  EXPECT_FALSE(files.FolderExists(base + "mask"));

  // A read-only file stays, and so do its folder and the folders above it.
  ASSERT_TRUE(ForceDirectories(files, base + "ro\\inner"));
  WriteFile(files, base + "ro\\inner\\locked.dat");
  WriteFile(files, base + "ro\\plain.dat");
  ASSERT_TRUE(files.SetAttributes(base + "ro\\inner\\locked.dat", attr::kReadOnly));
  EXPECT_FALSE(DeleteTree(files, base + "ro", "*.*", true));
  EXPECT_TRUE(files.FileExists(base + "ro\\inner\\locked.dat"));
  EXPECT_FALSE(files.FileExists(base + "ro\\plain.dat"));
  EXPECT_TRUE(files.FolderExists(base + "ro\\inner"));
  ASSERT_TRUE(files.SetAttributes(base + "ro\\inner\\locked.dat", attr::kNormal));
  EXPECT_TRUE(DeleteTree(files, base + "ro", "*.*", true));

  // An empty folder argument does nothing.
  EXPECT_FALSE(DeleteTree(files, "", "*.*", true));
  // A missing folder: nothing to delete, and its removal fails.
  EXPECT_FALSE(DeleteTree(files, base + "missing", "*.*", true));
}

inline void ForceDirectoriesCases(Files& files, const std::string& base) {
  EXPECT_TRUE(ForceDirectories(files, base + "one\\two\\three\\"));
  EXPECT_TRUE(files.FolderExists(base + "one\\two\\three"));
  EXPECT_TRUE(ForceDirectories(files, base + "one\\two")) << "an existing folder is fine";

  // Exactly at the limit of 255 characters, and one beyond it.
  std::string atLimit = base + "L";
  while (atLimit.size() < kMaxPathLength) atLimit += (atLimit.size() % 50 == 0) ? '\\' : 'x';
  ASSERT_EQ(atLimit.size(), kMaxPathLength);
  ASSERT_NE(atLimit.back(), '\\');
  EXPECT_TRUE(ForceDirectories(files, atLimit));
  EXPECT_TRUE(files.FolderExists(atLimit));
  EXPECT_FALSE(ForceDirectories(files, atLimit + "y"));
  EXPECT_FALSE(files.FolderExists(atLimit + "y"));

  // A file in the way cannot become a folder.
  WriteFile(files, base + "blocker");
  EXPECT_FALSE(ForceDirectories(files, base + "blocker\\below"));
  EXPECT_FALSE(ForceDirectories(files, ""));
}

}  // namespace tovex::cases
