#pragma once
// Libraries port: loading a DLL by path and calling its named entries. The
// entries Setup calls take no arguments or a few texts and integers and return
// an integer (HRESULT for the COM entries), so calls go through a small set of
// signatures instead of raw function pointers.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tovex {

// One argument of an entry: a text (passed as a NUL-terminated ANSI string),
// a 32-bit integer, an output text, a byte buffer (a binary record passed
// by pointer, which the entry may change), or a null pointer (a reserved or
// omitted pointer argument). Output texts and buffers come back in
// LoadedLibrary::Call's outputs, in argument order.
struct LibraryArgument {
  enum class Kind { Text, Integer, OutputText, Buffer, Null } kind = Kind::Integer;
  std::string text;
  int32_t integer = 0;
  size_t outputCapacity = 0;  // bytes for an OutputText
  static LibraryArgument Text(std::string value) { return {Kind::Text, std::move(value), 0, 0}; }
  static LibraryArgument Int(int32_t value) { return {Kind::Integer, {}, value, 0}; }
  static LibraryArgument Output(size_t capacity) { return {Kind::OutputText, {}, 0, capacity}; }
  // bytes are passed by pointer in a buffer of max(bytes.size(), capacity)
  // bytes (the rest zero); the buffer's whole content comes back in outputs.
  static LibraryArgument Buffer(std::string bytes, size_t capacity = 0) {
    return {Kind::Buffer, std::move(bytes), 0, capacity};
  }
  static LibraryArgument Null() { return {Kind::Null, {}, 0, 0}; }
};

inline constexpr size_t kMaxLibraryArguments = 8;

class LoadedLibrary {
 public:
  virtual ~LoadedLibrary() = default;  // unloads the library
  virtual bool HasEntry(const std::string& name) = 0;
  // Calls a stdcall/Win64 entry with the arguments (at most
  // kMaxLibraryArguments); nullopt when the entry is missing. outputs
  // receives the OutputText arguments' texts and the Buffer arguments' bytes.
  virtual std::optional<int32_t> Call(const std::string& name, const std::vector<LibraryArgument>& arguments,
                                      std::vector<std::string>* outputs = nullptr) = 0;
};

class Libraries {
 public:
  virtual ~Libraries() = default;
  // nullptr when the library cannot be loaded (LastError tells why).
  virtual std::unique_ptr<LoadedLibrary> Load(const std::string& path) = 0;
  virtual uint32_t LastError() const = 0;
};

}  // namespace tovex
