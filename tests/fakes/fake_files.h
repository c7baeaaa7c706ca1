#pragma once
// An in-memory Windows file tree: names compared ignoring case, attributes
// (read-only files refuse to be replaced or deleted), links (symbolic links
// and junctions, followed as Windows follows them), folder security, and
// failures a test can inject per path and operation.

#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "platform/files.h"

namespace tovex::fakes {

class FakeFiles final : public Files {
 public:
  enum class Op { Read, Write, Copy, Move, Delete, MakeFolder, RemoveFolder, RemoveLink, SetAttributes };

  FakeFiles();

  // Test set-up: a file with content (folders created as needed), a folder.
  void AddFile(const std::string& path, const std::string& content, uint32_t attributes = attr::kArchive);
  void AddFolder(const std::string& path);
  // A link at path (its folder created as needed) to target, which need not
  // exist: a folder link (a junction or directory link) or a file link.
  // Paths through it reach the target, as on Windows; Attributes, List,
  // Delete, RemoveFolder and RemoveLink see the link itself.
  void AddLink(const std::string& path, const std::string& target, bool toFolder);
  // Folder security: whether ordinary users may write there (false unless
  // set), and the protection Setup asked for when it created the folder.
  void SetOrdinaryUsersMayWrite(const std::string& path, bool mayWrite);
  std::optional<FolderProtection> Protection(const std::string& path) const;
  // The next (and every later) operation of this kind on the path fails with
  // the code, until cleared.
  void FailOn(Op op, const std::string& path, uint32_t code);
  void ClearFailures() { failures_.clear(); }
  // Makes writes fail after so many bytes in total (a full disk).
  void SetWriteLimit(uint64_t bytes) { writeLimit_ = bytes; }
  // What FreeSpace answers for every volume; by default the bytes left
  // under the write limit.
  void SetFreeSpace(uint64_t bytes) { freeSpace_ = bytes; }

  // The content of a file (through links).
  std::optional<std::string> Content(const std::string& path) const;
  // Every file, folder and link path, upper-cased; folders and folder links
  // end with "\".
  std::vector<std::string> AllPaths() const;

  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  std::optional<uint32_t> Attributes(const std::string& path) override;
  bool SetAttributes(const std::string& path, uint32_t attributes) override;
  bool MakeFolder(const std::string& path) override;
  bool MakeProtectedFolder(const std::string& path, FolderProtection protection) override;
  std::optional<bool> OrdinaryUsersMayWrite(const std::string& path) override;
  bool RemoveFolder(const std::string& path) override;
  bool RemoveLink(const std::string& path) override;
  std::unique_ptr<InputFile> OpenForReading(const std::string& path) override;
  std::unique_ptr<OutputFile> CreateForWriting(const std::string& path) override;
  bool Copy(const std::string& from, const std::string& to, bool failIfExists) override;
  bool Move(const std::string& from, const std::string& to) override;
  bool Delete(const std::string& path) override;
  std::vector<FileEntry> List(const std::string& folder, const std::string& mask) override;
  std::string TempFolder() override { return "C:\\Temp\\"; }
  std::string WindowsFolder() override { return "C:\\Windows\\"; }
  std::string SystemFolder() override { return "C:\\Windows\\System32\\"; }
  std::string ProgramFilesFolder() override { return "C:\\Program Files\\"; }
  std::string CurrentFolder() override { return currentFolder_; }
  bool SetCurrentFolder(const std::string& path) override;
  std::optional<uint64_t> FreeSpace(const std::string& folder) override;
  uint32_t LastError() const override { return lastError_; }

  struct Node {
    Node() = default;
    Node(std::string name, bool folder, uint32_t attributes, std::shared_ptr<std::string> content)
        : name(std::move(name)), folder(folder), attributes(attributes), content(std::move(content)) {}
    std::string name;  // spelling as created
    bool folder = false;  // a folder, or a link to one
    uint32_t attributes = 0;
    std::shared_ptr<std::string> content;
    std::string linkTarget;  // set for a link
    std::optional<FolderProtection> protection;
    bool usersMayWrite = false;
    bool IsLink() const { return !linkTarget.empty(); }
  };

 private:
  friend class FakeOutputFile;
  static std::string Key(const std::string& path);
  static std::string ParentKey(const std::string& key);
  // The key a path reaches once the links in it are followed; the last name
  // is followed only when followLast is set.
  std::string Resolve(const std::string& path, bool followLast) const;
  // The name as the caller spelled it, or the target's when a link led on.
  static std::string SpelledName(const std::string& path, const std::string& key);
  Node* Find(const std::string& path, bool followLast = true);
  bool MakeFolderNode(const std::string& path, std::optional<FolderProtection> protection);
  bool Fail(uint32_t code);
  bool Injected(Op op, const std::string& path);

  std::map<std::string, Node> nodes_;  // key: upper-cased path without trailing "\"
  std::map<std::pair<Op, std::string>, uint32_t> failures_;
  uint64_t writeLimit_ = UINT64_MAX;
  uint64_t written_ = 0;
  std::optional<uint64_t> freeSpace_;
  uint32_t lastError_ = 0;
  std::string currentFolder_ = "C:\\";
};

}  // namespace tovex::fakes
