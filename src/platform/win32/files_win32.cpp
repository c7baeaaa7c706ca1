#include "platform/win32/files_win32.h"

#include <shlobj.h>

#include "common/paths.h"
#include "platform/win32/file_links_win32.h"
#include "platform/win32/folder_security_win32.h"
#include "platform/win32/scoped_handles.h"

namespace tovex::win32 {

namespace {

class Win32InputFile final : public InputFile {
 public:
  Win32InputFile(unique_hfile file, uint32_t& lastError) : file_(std::move(file)), lastError_(lastError) {}
  bool Read(void* buffer, size_t size, size_t& got) override {
    got = 0;
    while (size > 0) {
      DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
      DWORD read = 0;
      if (!::ReadFile(file_.get(), buffer, chunk, &read, nullptr)) {
        lastError_ = ::GetLastError();
        return false;
      }
      if (read == 0) break;
      got += read;
      size -= read;
      buffer = static_cast<char*>(buffer) + read;
    }
    return true;
  }
  uint64_t Size() const override {
    LARGE_INTEGER size{};
    return ::GetFileSizeEx(file_.get(), &size) ? static_cast<uint64_t>(size.QuadPart) : 0;
  }
  bool Seek(uint64_t position) override {
    LARGE_INTEGER to{};
    to.QuadPart = static_cast<LONGLONG>(position);
    if (::SetFilePointerEx(file_.get(), to, nullptr, FILE_BEGIN)) return true;
    lastError_ = ::GetLastError();
    return false;
  }

 private:
  unique_hfile file_;
  uint32_t& lastError_;
};

class Win32OutputFile final : public OutputFile {
 public:
  Win32OutputFile(unique_hfile file, uint32_t& lastError) : file_(std::move(file)), lastError_(lastError) {}
  bool Write(const void* data, size_t size) override {
    while (size > 0) {
      DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
      DWORD written = 0;
      if (!::WriteFile(file_.get(), data, chunk, &written, nullptr)) {
        lastError_ = ::GetLastError();
        return false;
      }
      size -= written;
      data = static_cast<const char*>(data) + written;
    }
    return true;
  }
  bool Close() override {
    if (!file_) return true;
    if (::CloseHandle(file_.release())) return true;
    lastError_ = ::GetLastError();
    return false;
  }

 private:
  unique_hfile file_;
  uint32_t& lastError_;
};

std::string FolderFrom(DWORD (*get)(LPSTR, UINT)) {
  char buffer[MAX_PATH + 1] = {};
  const UINT length = get(buffer, MAX_PATH);
  return IncludeTrailingBackslash(std::string(buffer, length < MAX_PATH ? length : 0));
}

}  // namespace

bool Win32Files::Check(BOOL ok) {
  if (!ok) lastError_ = ::GetLastError();
  return ok != FALSE;
}

bool Win32Files::FileExists(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32Files::FolderExists(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::optional<uint32_t> Win32Files::Attributes(const std::string& path) {
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    lastError_ = ::GetLastError();
    return std::nullopt;
  }
  // A file that opens elsewhere is a link Wine does not mark (see
  // file_links_win32.h); its listed name tells where it should open.
  if ((attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) == 0) {
    WIN32_FIND_DATAA data{};
    unique_hfind find(::FindFirstFileA(path.c_str(), &data));
    const std::string folder = ExtractFilePath(path);
    if (find && !folder.empty() && LeadsElsewhere(FinalPathOf(folder), folder, data.cFileName)) {
      attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    }
  }
  return attributes;
}

bool Win32Files::SetAttributes(const std::string& path, uint32_t attributes) {
  return Check(::SetFileAttributesA(path.c_str(), attributes));
}

bool Win32Files::MakeFolder(const std::string& path) { return Check(::CreateDirectoryA(path.c_str(), nullptr)); }

bool Win32Files::MakeProtectedFolder(const std::string& path, FolderProtection protection) {
  unique_hlocal descriptor = FolderSecurity(protection);
  if (!descriptor) return Check(FALSE);
  SECURITY_ATTRIBUTES security{sizeof security, descriptor.get(), FALSE};
  return Check(::CreateDirectoryA(path.c_str(), &security));
}

std::optional<bool> Win32Files::OrdinaryUsersMayWrite(const std::string& path) {
  DWORD error = 0;
  const std::optional<bool> mayWrite = OrdinaryUsersMayWriteIn(path, error);
  if (!mayWrite) lastError_ = error;
  return mayWrite;
}

bool Win32Files::RemoveFolder(const std::string& path) { return Check(::RemoveDirectoryA(path.c_str())); }

bool Win32Files::RemoveLink(const std::string& path) {
  DWORD error = 0;
  if (RemoveLinkItself(path, error)) return true;
  lastError_ = error;
  return false;
}

std::unique_ptr<InputFile> Win32Files::OpenForReading(const std::string& path) {
  unique_hfile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) {
    lastError_ = ::GetLastError();
    return nullptr;
  }
  return std::make_unique<Win32InputFile>(std::move(file), lastError_);
}

std::unique_ptr<OutputFile> Win32Files::CreateForWriting(const std::string& path) {
  // Windows refuses to open a read-only file for writing (error 5); Wine
  // running as root opens it all the same. Asking first keeps the port's
  // contract on both.
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    lastError_ = ERROR_ACCESS_DENIED;
    return nullptr;
  }
  unique_hfile file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    lastError_ = ::GetLastError();
    return nullptr;
  }
  return std::make_unique<Win32OutputFile>(std::move(file), lastError_);
}

bool Win32Files::Copy(const std::string& from, const std::string& to, bool failIfExists) {
  return Check(::CopyFileA(from.c_str(), to.c_str(), failIfExists ? TRUE : FALSE));
}

bool Win32Files::Move(const std::string& from, const std::string& to) {
  return Check(::MoveFileA(from.c_str(), to.c_str()));
}

bool Win32Files::Delete(const std::string& path) { return Check(::DeleteFileA(path.c_str())); }

std::vector<FileEntry> Win32Files::List(const std::string& folder, const std::string& mask) {
  std::vector<FileEntry> entries;
  WIN32_FIND_DATAA data{};
  unique_hfind find(::FindFirstFileA(JoinPath(folder, mask).c_str(), &data));
  if (!find) {
    lastError_ = ::GetLastError();
    return entries;
  }
  std::string folderFinalPath;  // asked for once, when a file needs it
  do {
    const std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    DWORD attributes = data.dwFileAttributes;
    if ((attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) == 0) {
      if (folderFinalPath.empty()) folderFinalPath = FinalPathOf(folder);
      if (LeadsElsewhere(folderFinalPath, folder, name)) attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    }
    entries.push_back(FileEntry{name, attributes,
                                (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow});
  } while (::FindNextFileA(find.get(), &data));
  return entries;
}

std::string Win32Files::TempFolder() {
  char buffer[MAX_PATH + 2] = {};
  const DWORD length = ::GetTempPathA(MAX_PATH + 1, buffer);
  return IncludeTrailingBackslash(std::string(buffer, length <= MAX_PATH + 1 ? length : 0));
}

std::string Win32Files::WindowsFolder() {
  return FolderFrom([](LPSTR buffer, UINT size) -> DWORD { return ::GetWindowsDirectoryA(buffer, size); });
}

std::string Win32Files::SystemFolder() {
  return FolderFrom([](LPSTR buffer, UINT size) -> DWORD { return ::GetSystemDirectoryA(buffer, size); });
}

std::string Win32Files::ProgramFilesFolder() {
  char buffer[MAX_PATH + 1] = {};
  const HRESULT result = ::SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, buffer);
  return SUCCEEDED(result) ? IncludeTrailingBackslash(std::string(buffer)) : std::string();
}

std::string Win32Files::CurrentFolder() {
  char buffer[MAX_PATH + 1] = {};
  const DWORD length = ::GetCurrentDirectoryA(MAX_PATH + 1, buffer);
  return IncludeTrailingBackslash(std::string(buffer, length <= MAX_PATH ? length : 0));
}

bool Win32Files::SetCurrentFolder(const std::string& path) {
  return Check(::SetCurrentDirectoryA(path.c_str()));
}

std::optional<uint64_t> Win32Files::FreeSpace(const std::string& folder) {
  ULARGE_INTEGER available{};
  if (!Check(::GetDiskFreeSpaceExA(IncludeTrailingBackslash(folder).c_str(), &available, nullptr, nullptr))) {
    return std::nullopt;
  }
  return available.QuadPart;
}

}  // namespace tovex::win32
