#include "common/folders.h"

#include "common/paths.h"
#include "platform/files.h"

namespace tovex {

bool DeleteTree(Files& files, const std::string& folder, const std::string& mask, bool recursive) {
  if (folder.empty()) return false;
  const std::string base = IncludeTrailingBackslash(folder);
  if (IsLink(files, base)) return files.RemoveLink(ExcludeTrailingBackslash(base));
  const std::string pattern = mask.empty() ? "*.*" : mask;
  for (const FileEntry& entry : files.List(base, pattern)) {
    const std::string path = base + entry.name;
    if (entry.IsLink()) {
      files.RemoveLink(path);  // a link that stays keeps its folder too
    } else if (entry.IsFolder()) {
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

bool IsLink(Files& files, const std::string& path) {
  // With its trailing backslash a folder link's path would name the target.
  const auto attributes = files.Attributes(ExcludeTrailingBackslash(path));
  return attributes && (*attributes & attr::kReparsePoint) != 0;
}

bool DeleteFileOrLink(Files& files, const std::string& path) {
  return IsLink(files, path) ? files.RemoveLink(ExcludeTrailingBackslash(path)) : files.Delete(path);
}

bool RemoveLinksBelow(Files& files, const std::string& root, const std::string& relative) {
  std::string path = ExcludeTrailingBackslash(root);
  size_t at = 0;
  while (at < relative.size()) {
    size_t end = relative.find('\\', at);
    if (end == std::string::npos) end = relative.size();
    if (end > at) {
      path += "\\" + relative.substr(at, end - at);
      const auto attributes = files.Attributes(path);
      if (!attributes) return true;  // nothing below a missing part
      if ((*attributes & attr::kReparsePoint) != 0) return files.RemoveLink(path);
    }
    at = end + 1;
  }
  return true;
}

bool DeleteTreeBelow(Files& files, const std::string& root, const std::string& relative, const std::string& mask,
                     bool recursive) {
  return RemoveLinksBelow(files, root, relative) &&
         DeleteTree(files, IncludeTrailingBackslash(root) + relative, mask, recursive);
}

bool ForceDirectoriesBelow(Files& files, const std::string& root, const std::string& relative) {
  return RemoveLinksBelow(files, root, relative) &&
         ForceDirectories(files, IncludeTrailingBackslash(root) + relative);
}

}  // namespace tovex
