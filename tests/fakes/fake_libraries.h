#pragma once
// Libraries a test defines: each has named entries given as functions. An
// entry receives the call's arguments and may change the text of its
// OutputText and Buffer arguments, which come back as the call's outputs.
// Every load, call and unload is recorded.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/libraries.h"

namespace tovex::fakes {

class FakeLibraries final : public Libraries {
 public:
  using EntryFunction = std::function<int32_t(std::vector<LibraryArgument>& arguments)>;

  struct CallRecord {
    std::string library;  // the path as loaded
    std::string entry;
    std::vector<LibraryArgument> arguments;
  };

  // Defines (or replaces) a library at a path; paths compare ignoring case.
  void Define(const std::string& path, std::map<std::string, EntryFunction> entries);
  // Adds or replaces one entry of a defined library.
  void DefineEntry(const std::string& path, const std::string& name, EntryFunction entry);
  // Loading this path fails with the code (as a missing dependency would).
  void FailLoad(const std::string& path, uint32_t code);

  std::unique_ptr<LoadedLibrary> Load(const std::string& path) override;
  uint32_t LastError() const override { return lastError_; }

  std::vector<std::string> loads;    // paths asked for, in order, also failed ones
  std::vector<std::string> unloads;  // paths of libraries released
  std::vector<CallRecord> calls;
  // Names of the entries called, in order ("DBSetConnection", ...).
  std::vector<std::string> CalledEntries() const;
  int LoadedCount() const { return static_cast<int>(loadedNow_); }

 private:
  friend class FakeLoadedLibrary;
  static std::string Key(const std::string& path);
  std::map<std::string, std::map<std::string, EntryFunction>> libraries_;
  std::map<std::string, uint32_t> loadFailures_;
  uint32_t lastError_ = 0;
  size_t loadedNow_ = 0;
};

}  // namespace tovex::fakes
