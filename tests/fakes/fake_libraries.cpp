#include "fakes/fake_libraries.h"

#include "common/text.h"
#include "platform/files.h"

namespace tovex::fakes {

class FakeLoadedLibrary final : public LoadedLibrary {
 public:
  FakeLoadedLibrary(FakeLibraries& owner, std::string path, std::string key)
      : owner_(owner), path_(std::move(path)), key_(std::move(key)) {
    ++owner_.loadedNow_;
  }
  ~FakeLoadedLibrary() override {
    --owner_.loadedNow_;
    owner_.unloads.push_back(path_);
  }

  bool HasEntry(const std::string& name) override { return Entries().count(name) != 0; }

  std::optional<int32_t> Call(const std::string& name, const std::vector<LibraryArgument>& arguments,
                              std::vector<std::string>* outputs) override {
    auto& entries = Entries();
    auto it = entries.find(name);
    if (it == entries.end() || arguments.size() > kMaxLibraryArguments) return std::nullopt;
    owner_.calls.push_back({path_, name, arguments});
    std::vector<LibraryArgument> working = arguments;
    for (auto& argument : working) {
      if (argument.kind == LibraryArgument::Kind::Buffer && argument.text.size() < argument.outputCapacity) {
        argument.text.resize(argument.outputCapacity, '\0');
      }
    }
    const int32_t result = it->second(working);
    if (outputs != nullptr) {
      outputs->clear();
      for (auto& argument : working) {
        if (argument.kind == LibraryArgument::Kind::OutputText) {
          std::string text = argument.text.substr(0, argument.outputCapacity);
          outputs->push_back(text.substr(0, text.find('\0')));
        } else if (argument.kind == LibraryArgument::Kind::Buffer) {
          outputs->push_back(argument.text);
        }
      }
    }
    return result;
  }

 private:
  std::map<std::string, FakeLibraries::EntryFunction>& Entries() { return owner_.libraries_[key_]; }
  FakeLibraries& owner_;
  std::string path_;
  std::string key_;
};

std::string FakeLibraries::Key(const std::string& path) { return UpperCase(path); }

void FakeLibraries::Define(const std::string& path, std::map<std::string, EntryFunction> entries) {
  libraries_[Key(path)] = std::move(entries);
}

void FakeLibraries::DefineEntry(const std::string& path, const std::string& name, EntryFunction entry) {
  libraries_[Key(path)][name] = std::move(entry);
}

void FakeLibraries::FailLoad(const std::string& path, uint32_t code) { loadFailures_[Key(path)] = code; }

std::unique_ptr<LoadedLibrary> FakeLibraries::Load(const std::string& path) {
  loads.push_back(path);
  const std::string key = Key(path);
  if (auto failure = loadFailures_.find(key); failure != loadFailures_.end()) {
    lastError_ = failure->second;
    return nullptr;
  }
  if (libraries_.count(key) == 0) {
    lastError_ = 126;  // ERROR_MOD_NOT_FOUND
    return nullptr;
  }
  lastError_ = 0;
  return std::make_unique<FakeLoadedLibrary>(*this, path, key);
}

std::vector<std::string> FakeLibraries::CalledEntries() const {
  std::vector<std::string> names;
  for (const auto& call : calls) names.push_back(call.entry);
  return names;
}

}  // namespace tovex::fakes
