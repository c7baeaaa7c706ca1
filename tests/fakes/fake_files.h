#pragma once
// An in-memory Windows file tree: names compared ignoring case, attributes
// (read-only files refuse to be replaced or deleted), and failures a test can
// inject per path and operation.

#include <map>
#include <memory>
#include <set>
#include <string>

#include "platform/files.h"

namespace tovex::fakes {

class FakeFiles final : public Files {
 public:
  enum class Op { Read, Write, Copy, Move, Delete, MakeFolder, RemoveFolder, SetAttributes };

  FakeFiles();

  // Test set-up: a file with content (folders created as needed), a folder.
  void AddFile(const std::string& path, const std::string& content, uint32_t attributes = attr::kArchive);
  void AddFolder(const std::string& path);
  // The next (and every later) operation of this kind on the path fails with
  // the code, until cleared.
  void FailOn(Op op, const std::string& path, uint32_t code);
  void ClearFailures() { failures_.clear(); }
  // Makes writes fail after so many bytes in total (a full disk).
  void SetWriteLimit(uint64_t bytes) { writeLimit_ = bytes; }

  std::optional<std::string> Content(const std::string& path) const;
  // Every file and folder path, upper-cased keys mapped to the spelling used
  // when created; folders end with "\".
  std::vector<std::string> AllPaths() const;

  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  std::optional<uint32_t> Attributes(const std::string& path) override;
  bool SetAttributes(const std::string& path, uint32_t attributes) override;
  bool MakeFolder(const std::string& path) override;
  bool RemoveFolder(const std::string& path) override;
  std::unique_ptr<InputFile> OpenForReading(const std::string& path) override;
  std::unique_ptr<OutputFile> CreateForWriting(const std::string& path) override;
  bool Copy(const std::string& from, const std::string& to, bool failIfExists) override;
  bool Move(const std::string& from, const std::string& to) override;
  bool Delete(const std::string& path) override;
  std::vector<FileEntry> List(const std::string& folder, const std::string& mask) override;
  std::string TempFolder() override { return "C:\\Temp\\"; }
  std::string WindowsFolder() override { return "C:\\Windows\\"; }
  std::string SystemFolder() override { return "C:\\Windows\\System32\\"; }
  std::string CurrentFolder() override { return currentFolder_; }
  bool SetCurrentFolder(const std::string& path) override;
  uint32_t LastError() const override { return lastError_; }

  struct Node {
    std::string name;  // spelling as created
    bool folder = false;
    uint32_t attributes = 0;
    std::shared_ptr<std::string> content;
  };

 private:
  friend class FakeOutputFile;
  static std::string Key(const std::string& path);
  static std::string ParentKey(const std::string& key);
  Node* Find(const std::string& path);
  bool Fail(uint32_t code);
  bool Injected(Op op, const std::string& path);

  std::map<std::string, Node> nodes_;  // key: upper-cased path without trailing "\"
  std::map<std::pair<Op, std::string>, uint32_t> failures_;
  uint64_t writeLimit_ = UINT64_MAX;
  uint64_t written_ = 0;
  uint32_t lastError_ = 0;
  std::string currentFolder_ = "C:\\";
};

}  // namespace tovex::fakes
