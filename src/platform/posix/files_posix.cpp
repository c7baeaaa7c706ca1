#include "platform/posix/files_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "common/text.h"

namespace tovex::posix {

namespace {

uint32_t WindowsCode(int error) {
  switch (error) {
    case ENOENT: return oserr::kFileNotFound;
    case ENOTDIR: return oserr::kPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return oserr::kAccessDenied;
    case EEXIST: return oserr::kAlreadyExists;
    case ENOTEMPTY: return oserr::kDirNotEmpty;
    case ENOSPC: return oserr::kDiskFull;
    default: return oserr::kWriteFault;
  }
}

class PosixInputFile final : public InputFile {
 public:
  PosixInputFile(int fd, uint32_t& lastError) : fd_(fd), lastError_(lastError) {}
  ~PosixInputFile() override { ::close(fd_); }
  bool Read(void* buffer, size_t size, size_t& got) override {
    got = 0;
    while (size > 0) {
      const ssize_t n = ::read(fd_, buffer, size);
      if (n < 0) {
        if (errno == EINTR) continue;
        lastError_ = WindowsCode(errno);
        return false;
      }
      if (n == 0) break;
      got += static_cast<size_t>(n);
      size -= static_cast<size_t>(n);
      buffer = static_cast<char*>(buffer) + n;
    }
    return true;
  }
  uint64_t Size() const override {
    struct stat info{};
    return ::fstat(fd_, &info) == 0 ? static_cast<uint64_t>(info.st_size) : 0;
  }
  bool Seek(uint64_t position) override {
    if (::lseek(fd_, static_cast<off_t>(position), SEEK_SET) >= 0) return true;
    lastError_ = WindowsCode(errno);
    return false;
  }

 private:
  int fd_;
  uint32_t& lastError_;
};

class PosixOutputFile final : public OutputFile {
 public:
  PosixOutputFile(int fd, uint32_t& lastError) : fd_(fd), lastError_(lastError) {}
  ~PosixOutputFile() override { Close(); }
  bool Write(const void* data, size_t size) override {
    while (size > 0) {
      const ssize_t n = ::write(fd_, data, size);
      if (n < 0) {
        if (errno == EINTR) continue;
        lastError_ = WindowsCode(errno);
        return false;
      }
      size -= static_cast<size_t>(n);
      data = static_cast<const char*>(data) + n;
    }
    return true;
  }
  bool Close() override {
    if (fd_ < 0) return true;
    const int result = ::close(fd_);
    fd_ = -1;
    if (result == 0) return true;
    lastError_ = WindowsCode(errno);
    return false;
  }

 private:
  int fd_;
  uint32_t& lastError_;
};

}  // namespace

std::string ToPosixPath(const std::string& path) {
  std::string result = path;
  for (char& c : result) {
    if (c == '\\') c = '/';
  }
  while (result.size() > 1 && result.back() == '/') result.pop_back();
  return result;
}

bool PosixFiles::Fail() {
  lastError_ = WindowsCode(errno);
  return false;
}

bool PosixFiles::FileExists(const std::string& path) {
  struct stat info{};
  return ::stat(ToPosixPath(path).c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool PosixFiles::FolderExists(const std::string& path) {
  struct stat info{};
  return ::stat(ToPosixPath(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

namespace {

// A symbolic link shows as a reparse point, a folder one when it leads to a
// folder, as Windows shows a directory link.
std::optional<uint32_t> AttributesOf(const std::string& posixPath) {
  struct stat info{};
  if (::lstat(posixPath.c_str(), &info) != 0) return std::nullopt;
  if (S_ISLNK(info.st_mode)) {
    struct stat target{};
    const bool folder = ::stat(posixPath.c_str(), &target) == 0 && S_ISDIR(target.st_mode);
    return attr::kReparsePoint | (folder ? attr::kDirectory : attr::kArchive);
  }
  uint32_t attributes = S_ISDIR(info.st_mode) ? attr::kDirectory : attr::kArchive;
  if ((info.st_mode & S_IWUSR) == 0) attributes |= attr::kReadOnly;
  return attributes;
}

}  // namespace

std::optional<uint32_t> PosixFiles::Attributes(const std::string& path) {
  const auto attributes = AttributesOf(ToPosixPath(path));
  if (!attributes) Fail();
  return attributes;
}

bool PosixFiles::SetAttributes(const std::string& path, uint32_t attributes) {
  const std::string posixPath = ToPosixPath(path);
  struct stat info{};
  if (::stat(posixPath.c_str(), &info) != 0) return Fail();
  mode_t mode = info.st_mode & 07777;
  mode = (attributes & attr::kReadOnly) ? (mode & ~static_cast<mode_t>(0222)) : (mode | S_IWUSR);
  return ::chmod(posixPath.c_str(), mode) == 0 || Fail();
}

bool PosixFiles::MakeFolder(const std::string& path) {
  return ::mkdir(ToPosixPath(path).c_str(), 0777) == 0 || Fail();
}

// The owner stands for Administrators and SYSTEM; others may read and enter
// a folder protected like the program files folder.
bool PosixFiles::MakeProtectedFolder(const std::string& path, FolderProtection protection) {
  const mode_t mode = protection == FolderProtection::AdministratorsOnly ? 0700 : 0755;
  const std::string posixPath = ToPosixPath(path);
  return (::mkdir(posixPath.c_str(), mode) == 0 && ::chmod(posixPath.c_str(), mode) == 0) || Fail();
}

std::optional<bool> PosixFiles::OrdinaryUsersMayWrite(const std::string& path) {
  struct stat info{};
  if (::stat(ToPosixPath(path).c_str(), &info) != 0) {
    Fail();
    return std::nullopt;
  }
  return (info.st_mode & S_IWOTH) != 0;
}

bool PosixFiles::RemoveFolder(const std::string& path) {
  return ::rmdir(ToPosixPath(path).c_str()) == 0 || Fail();
}

bool PosixFiles::RemoveLink(const std::string& path) {
  const std::string posixPath = ToPosixPath(path);
  struct stat info{};
  if (::lstat(posixPath.c_str(), &info) != 0) return Fail();
  if (!S_ISLNK(info.st_mode)) {
    lastError_ = oserr::kNotAReparsePoint;
    return false;
  }
  return ::unlink(posixPath.c_str()) == 0 || Fail();
}

std::unique_ptr<InputFile> PosixFiles::OpenForReading(const std::string& path) {
  const int fd = ::open(ToPosixPath(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    Fail();
    return nullptr;
  }
  return std::make_unique<PosixInputFile>(fd, lastError_);
}

std::unique_ptr<OutputFile> PosixFiles::CreateForWriting(const std::string& path) {
  const std::string posixPath = ToPosixPath(path);
  // Windows refuses to open a read-only file for writing even as root.
  struct stat info{};
  if (::stat(posixPath.c_str(), &info) == 0 && (info.st_mode & S_IWUSR) == 0) {
    lastError_ = oserr::kAccessDenied;
    return nullptr;
  }
  const int fd = ::open(posixPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    Fail();
    return nullptr;
  }
  return std::make_unique<PosixOutputFile>(fd, lastError_);
}

bool PosixFiles::Copy(const std::string& from, const std::string& to, bool failIfExists) {
  if (failIfExists && FileExists(to)) {
    lastError_ = oserr::kFileExists;
    return false;
  }
  std::unique_ptr<InputFile> in = OpenForReading(from);
  if (!in) return false;
  std::unique_ptr<OutputFile> out = CreateForWriting(to);
  if (!out) return false;
  char buffer[1 << 16];
  for (;;) {
    size_t got = 0;
    if (!in->Read(buffer, sizeof buffer, got)) return false;
    if (got == 0) break;
    if (!out->Write(buffer, got)) return false;
  }
  return out->Close();
}

bool PosixFiles::Move(const std::string& from, const std::string& to) {
  if (Attributes(to)) {
    lastError_ = oserr::kAlreadyExists;
    return false;
  }
  return ::rename(ToPosixPath(from).c_str(), ToPosixPath(to).c_str()) == 0 || Fail();
}

bool PosixFiles::Delete(const std::string& path) {
  const std::string posixPath = ToPosixPath(path);
  struct stat info{};
  if (::stat(posixPath.c_str(), &info) == 0 && (info.st_mode & S_IWUSR) == 0) {
    lastError_ = oserr::kAccessDenied;  // as Windows does for read-only files
    return false;
  }
  return ::unlink(posixPath.c_str()) == 0 || Fail();
}

std::vector<FileEntry> PosixFiles::List(const std::string& folder, const std::string& mask) {
  std::vector<FileEntry> entries;
  const std::string base = ToPosixPath(folder);
  DIR* dir = ::opendir(base.c_str());
  if (dir == nullptr) {
    Fail();
    return entries;
  }
  while (const dirent* item = ::readdir(dir)) {
    const std::string name = item->d_name;
    if (name == "." || name == ".." || !MatchesMask(name, mask)) continue;
    struct stat info{};
    const std::string full = base + "/" + name;
    const auto attributes = AttributesOf(full);
    if (!attributes) continue;
    const bool sized = (*attributes & attr::kReparsePoint) == 0 && ::stat(full.c_str(), &info) == 0;
    entries.push_back(FileEntry{name, *attributes, sized ? static_cast<uint64_t>(info.st_size) : 0});
  }
  ::closedir(dir);
  return entries;
}

std::string PosixFiles::TempFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string folder = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
  return folder.back() == '/' ? folder : folder + "/";
}

std::string PosixFiles::WindowsFolder() { return TempFolder(); }
std::string PosixFiles::SystemFolder() { return TempFolder(); }
std::string PosixFiles::ProgramFilesFolder() { return TempFolder(); }

std::string PosixFiles::CurrentFolder() {
  char buffer[4096];
  if (::getcwd(buffer, sizeof buffer) == nullptr) return "./";
  std::string folder = buffer;
  return folder.back() == '/' ? folder : folder + "/";
}

bool PosixFiles::SetCurrentFolder(const std::string& path) {
  return ::chdir(ToPosixPath(path).c_str()) == 0 || Fail();
}

std::optional<uint64_t> PosixFiles::FreeSpace(const std::string& folder) {
  struct statvfs volume {};
  if (::statvfs(ToPosixPath(folder).c_str(), &volume) != 0) {
    Fail();
    return std::nullopt;
  }
  return static_cast<uint64_t>(volume.f_bavail) * volume.f_frsize;
}

}  // namespace tovex::posix
