#pragma once
// Files port: the Windows file system as Setup sees it.
//
// Method names stay clear of the Win32 A/W macros (CopyFile, DeleteFile...),
// so that this header means the same with or without <windows.h>.
//
// Paths are ANSI texts with "\" separators, as Windows takes them; a folder
// argument may or may not end with a backslash. No method throws. A method
// that fails returns false (or an empty result) and leaves the Windows error
// code of the failure in LastError() until the next call of this port.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tovex {

// File attribute bits, with the values Windows gives them.
namespace attr {
inline constexpr uint32_t kReadOnly = 0x01;
inline constexpr uint32_t kHidden = 0x02;
inline constexpr uint32_t kSystem = 0x04;
inline constexpr uint32_t kDirectory = 0x10;
inline constexpr uint32_t kArchive = 0x20;
inline constexpr uint32_t kNormal = 0x80;
// A symbolic link, junction or other reparse point: the entry stands for
// something elsewhere. With kDirectory it stands for a folder.
inline constexpr uint32_t kReparsePoint = 0x400;
}  // namespace attr

// Windows error codes that the core tells apart.
namespace oserr {
inline constexpr uint32_t kFileNotFound = 2;
inline constexpr uint32_t kPathNotFound = 3;
inline constexpr uint32_t kAccessDenied = 5;
inline constexpr uint32_t kWriteFault = 29;
inline constexpr uint32_t kFileExists = 80;
inline constexpr uint32_t kDiskFull = 112;
inline constexpr uint32_t kDirNotEmpty = 145;
inline constexpr uint32_t kAlreadyExists = 183;
inline constexpr uint32_t kNotAReparsePoint = 4390;
}  // namespace oserr

// A file opened for sequential reading. Read returns false only on an error;
// at the end of the file it returns true with got == 0.
class InputFile {
 public:
  virtual ~InputFile() = default;
  virtual bool Read(void* buffer, size_t size, size_t& got) = 0;
  virtual uint64_t Size() const = 0;
  virtual bool Seek(uint64_t position) = 0;
};

// A file opened for writing; closed (and flushed) when destroyed. Close
// reports whether the last buffered bytes reached the disk.
class OutputFile {
 public:
  virtual ~OutputFile() = default;
  virtual bool Write(const void* data, size_t size) = 0;
  virtual bool Close() = 0;
};

struct FileEntry {
  std::string name;  // name only, no folder
  uint32_t attributes = 0;
  uint64_t size = 0;
  bool IsFolder() const { return (attributes & attr::kDirectory) != 0; }
  bool IsLink() const { return (attributes & attr::kReparsePoint) != 0; }
};

// The security a folder Setup creates is given.
enum class FolderProtection {
  // Administrators and SYSTEM full control, nobody else any access, nothing
  // inherited from the parent: what Setup unpacks there cannot be swapped by
  // a program running without elevation.
  AdministratorsOnly,
  // What the system's program files folder has: Administrators and SYSTEM
  // full control, users read and execute, nothing inherited from the parent.
  LikeProgramFiles,
};

class Files {
 public:
  virtual ~Files() = default;

  // True for an existing file (not a folder). A link answers for itself: a
  // link to a file is a file, a link to a folder a folder.
  virtual bool FileExists(const std::string& path) = 0;
  // True for an existing folder.
  virtual bool FolderExists(const std::string& path) = 0;
  // Attributes of a file or folder; nullopt when it does not exist. A link
  // (symbolic link, junction) is reported as itself, with kReparsePoint, and
  // never followed; so is an entry that the system opens somewhere else than
  // where it is listed.
  virtual std::optional<uint32_t> Attributes(const std::string& path) = 0;
  virtual bool SetAttributes(const std::string& path, uint32_t attributes) = 0;

  // Creates one folder; its parent must exist. Fails with kAlreadyExists when
  // the folder is there already.
  virtual bool MakeFolder(const std::string& path) = 0;
  // The same, with the given security instead of what the parent passes on.
  // Fails with kAlreadyExists when anything is there already.
  virtual bool MakeProtectedFolder(const std::string& path, FolderProtection protection) = 0;
  // Whether the folder's security lets ordinary users (Everyone,
  // Authenticated Users, Users, interactive users) create, change or delete
  // anything in it; nullopt when its security cannot be read.
  virtual std::optional<bool> OrdinaryUsersMayWrite(const std::string& path) = 0;
  // Removes an empty folder; fails with kDirNotEmpty otherwise.
  virtual bool RemoveFolder(const std::string& path) = 0;
  // Removes a link (to a file or a folder) itself, never its target. Fails
  // with kNotAReparsePoint when the path is no link, or when the system
  // would reach the target instead of the link (Wine opens the target of a
  // Unix symbolic link whatever it is asked), so that the link stays.
  virtual bool RemoveLink(const std::string& path) = 0;

  // The methods below follow links, in the path and at its end: reading,
  // writing and copying reach the link's target. Delete and Move of a link
  // itself act on the link on Windows but on the target under Wine, so a
  // walk that meets a link removes it with RemoveLink instead.

  // nullptr on failure (missing file, sharing violation...).
  virtual std::unique_ptr<InputFile> OpenForReading(const std::string& path) = 0;
  // Creates the file or truncates an existing one; its folder must exist.
  // A read-only file cannot be opened (kAccessDenied).
  virtual std::unique_ptr<OutputFile> CreateForWriting(const std::string& path) = 0;

  // Copies a file with its attributes. With failIfExists an existing target
  // makes it fail with kFileExists; otherwise the target is replaced, unless
  // it is read-only (kAccessDenied).
  virtual bool Copy(const std::string& from, const std::string& to, bool failIfExists) = 0;
  // Renames a file or folder; the target must not exist.
  virtual bool Move(const std::string& from, const std::string& to) = 0;
  // Deletes a file; a read-only file is not deleted (kAccessDenied).
  virtual bool Delete(const std::string& path) = 0;

  // Entries of a folder whose names match a Windows mask ("*", "?"; "*.*"
  // matches every name), without "." and "..". Empty when the folder is
  // missing. Links are listed as themselves, as Attributes reports them.
  virtual std::vector<FileEntry> List(const std::string& folder, const std::string& mask) = 0;

  // Well-known folders, each ending with a backslash.
  virtual std::string TempFolder() = 0;
  virtual std::string WindowsFolder() = 0;
  virtual std::string SystemFolder() = 0;
  virtual std::string ProgramFilesFolder() = 0;
  virtual std::string CurrentFolder() = 0;
  // Makes the folder the process's current directory (a vendor library that
  // finds its companions relative to it is loaded and called from there).
  virtual bool SetCurrentFolder(const std::string& path) = 0;

  // Bytes this user may still write on the volume that holds the folder,
  // which must exist; nullopt when the system cannot tell.
  virtual std::optional<uint64_t> FreeSpace(const std::string& folder) = 0;

  virtual uint32_t LastError() const = 0;
};

}  // namespace tovex
