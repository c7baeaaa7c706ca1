#include "common/folders.h"

#include "common/paths.h"
#include "platform/files.h"

namespace tovex {

bool DeleteTree(Files& files, const std::string& folder, const std::string& mask, bool recursive) {
  if (folder.empty()) return false;
  const std::string base = IncludeTrailingBackslash(folder);
  const std::string pattern = mask.empty() ? "*.*" : mask;
  for (const FileEntry& entry : files.List(base, pattern)) {
    const std::string path = base + entry.name;
    if (entry.IsFolder()) {
      if (recursive) DeleteTree(files, path, pattern, recursive);
    } else {
      files.Delete(path);  // a read-only file stays, and so does its folder
    }
  }
  return files.RemoveFolder(ExcludeTrailingBackslash(base));
}

bool ForceDirectories(Files& files, const std::string& path) {
  const std::string folder = ExcludeTrailingBackslash(path);
  if (folder.empty() || folder.size() > kMaxPathLength) return false;
  if (files.FolderExists(folder)) return true;
  const std::string parent = ExcludeTrailingBackslash(ExtractFilePath(folder));
  if (parent.size() > 2 && parent != folder) ForceDirectories(files, parent);
  files.MakeFolder(folder);
  return files.FolderExists(folder);
}

}  // namespace tovex
