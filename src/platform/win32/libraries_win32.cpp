#include "platform/win32/libraries_win32.h"

#include <windows.h>

#include <array>
#include <cstdint>

#include "platform/win32/scoped_handles.h"

namespace tovex::win32 {

namespace {

// Every entry is called through one signature with the maximum number of
// pointer-sized arguments. In the x64 calling convention the caller owns the
// argument area, so an entry that takes fewer arguments simply ignores the
// rest; texts and buffers travel as pointers, integers sign-extended.
using Entry = intptr_t(WINAPI*)(intptr_t, intptr_t, intptr_t, intptr_t, intptr_t, intptr_t, intptr_t, intptr_t);
static_assert(kMaxLibraryArguments == 8);

class Win32LoadedLibrary final : public LoadedLibrary {
 public:
  explicit Win32LoadedLibrary(unique_hmodule module) : module_(std::move(module)) {}

  bool HasEntry(const std::string& name) override { return Find(name) != nullptr; }

  std::optional<int32_t> Call(const std::string& name, const std::vector<LibraryArgument>& arguments,
                              std::vector<std::string>* outputs) override {
    Entry entry = Find(name);
    if (entry == nullptr || arguments.size() > kMaxLibraryArguments) return std::nullopt;
    // Each argument's storage lives until the entry returns.
    std::vector<std::string> storage(arguments.size());
    std::array<intptr_t, kMaxLibraryArguments> raw{};
    for (size_t i = 0; i < arguments.size(); ++i) {
      const LibraryArgument& argument = arguments[i];
      switch (argument.kind) {
        case LibraryArgument::Kind::Null:
          raw[i] = 0;
          break;
        case LibraryArgument::Kind::Integer:
          raw[i] = argument.integer;
          break;
        case LibraryArgument::Kind::Text:
          storage[i] = argument.text;
          raw[i] = reinterpret_cast<intptr_t>(storage[i].c_str());
          break;
        case LibraryArgument::Kind::OutputText:
          storage[i].assign(argument.outputCapacity + 1, '\0');
          raw[i] = reinterpret_cast<intptr_t>(storage[i].data());
          break;
        case LibraryArgument::Kind::Buffer:
          storage[i] = argument.text;
          if (storage[i].size() < argument.outputCapacity) storage[i].resize(argument.outputCapacity, '\0');
          raw[i] = reinterpret_cast<intptr_t>(storage[i].data());
          break;
      }
    }
    const intptr_t result = entry(raw[0], raw[1], raw[2], raw[3], raw[4], raw[5], raw[6], raw[7]);
    if (outputs != nullptr) {
      outputs->clear();
      for (size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i].kind == LibraryArgument::Kind::OutputText) {
          outputs->push_back(std::string(storage[i].c_str()));
        } else if (arguments[i].kind == LibraryArgument::Kind::Buffer) {
          outputs->push_back(storage[i]);
        }
      }
    }
    return static_cast<int32_t>(result);
  }

 private:
  Entry Find(const std::string& name) {
    return reinterpret_cast<Entry>(reinterpret_cast<void*>(::GetProcAddress(module_.get(), name.c_str())));
  }

  unique_hmodule module_;
};

}  // namespace

std::unique_ptr<LoadedLibrary> Win32Libraries::Load(const std::string& path) {
  // LOAD_WITH_ALTERED_SEARCH_PATH lets a library find its own dependencies in
  // its folder rather than in Setup's.
  unique_hmodule module(::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  if (!module) {
    lastError_ = ::GetLastError();
    return nullptr;
  }
  lastError_ = 0;
  return std::make_unique<Win32LoadedLibrary>(std::move(module));
}

}  // namespace tovex::win32
