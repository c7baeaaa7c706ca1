#pragma once
#include <windows.h>

#include "platform/files.h"

namespace tovex::win32 {

class Win32Files final : public Files {
 public:
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
  std::string TempFolder() override;
  std::string WindowsFolder() override;
  std::string SystemFolder() override;
  std::string ProgramFilesFolder() override;
  std::string CurrentFolder() override;
  bool SetCurrentFolder(const std::string& path) override;
  std::optional<uint64_t> FreeSpace(const std::string& folder) override;
  uint32_t LastError() const override { return lastError_; }

 private:
  bool Check(BOOL ok);
  uint32_t lastError_ = 0;
};

}  // namespace tovex::win32
