#include "platform/win32/file_links_win32.h"

#include "common/paths.h"
#include "common/text.h"
#include "platform/win32/scoped_handles.h"

namespace tovex::win32 {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opened for nothing but its name and attributes; folders need backup
// semantics to be opened at all.
unique_hfile OpenEntry(const std::string& path, DWORD access) {
  return unique_hfile(::CreateFileA(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

std::string FinalPath(HANDLE handle) {
  char buffer[MAX_PATH * 2] = {};
  const DWORD length = ::GetFinalPathNameByHandleA(handle, buffer, sizeof buffer, FILE_NAME_NORMALIZED);
  return length > 0 && length < sizeof buffer ? std::string(buffer, length) : std::string();
}

}  // namespace

std::string FinalPathOf(const std::string& path) {
  unique_hfile folder = OpenEntry(path, 0);
  return folder ? FinalPath(folder.get()) : std::string();
}

bool LeadsElsewhere(const std::string& folderFinalPath, const std::string& folder, const std::string& name) {
  if (folderFinalPath.empty()) return false;
  unique_hfile entry = OpenEntry(JoinPath(folder, name), 0);
  if (!entry) return false;  // nothing there to follow
  const std::string reached = FinalPath(entry.get());
  return !reached.empty() && !SameText(reached, JoinPath(folderFinalPath, name));
}

bool RemoveLinkItself(const std::string& path, DWORD& error) {
  unique_hfile link = OpenEntry(path, DELETE | FILE_READ_ATTRIBUTES);
  if (!link) {
    error = ::GetLastError();
    return false;
  }
  // Where the system opened the target after all (Wine), deleting through
  // this handle would delete the target: the link stays.
  FILE_ATTRIBUTE_TAG_INFO tag{};
  if (!::GetFileInformationByHandleEx(link.get(), FileAttributeTagInfo, &tag, sizeof tag)) {
    error = ::GetLastError();
    return false;
  }
  if ((tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    error = ERROR_NOT_A_REPARSE_POINT;
    return false;
  }
  FILE_DISPOSITION_INFO dispose{TRUE};
  if (!::SetFileInformationByHandle(link.get(), FileDispositionInfo, &dispose, sizeof dispose)) {
    error = ::GetLastError();
    return false;
  }
  return true;
}

}  // namespace tovex::win32
