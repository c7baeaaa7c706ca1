#include "package/extraction_folder.h"

#include "common/folders.h"
#include "common/paths.h"
#include "platform/files.h"

namespace tovex {

bool CreateExtractionFolder(Files& files, const std::string& folder) {
  const std::string path = ExcludeTrailingBackslash(folder);
  if (const auto attributes = files.Attributes(path)) {
    if ((*attributes & attr::kDirectory) != 0) {
      DeleteTree(files, path, "", true);
    } else {
      DeleteFileOrLink(files, path);
    }
  }
  const std::string parent = ExcludeTrailingBackslash(ExtractFilePath(path));
  if (parent.size() > 2 && !ForceDirectories(files, parent)) return false;
  // Whatever stayed makes the creation fail with kAlreadyExists: a folder
  // found there is never taken over.
  return files.MakeProtectedFolder(path, FolderProtection::AdministratorsOnly);
}

}  // namespace tovex
