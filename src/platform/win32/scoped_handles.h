#pragma once
// RAII owners for every kind of Win32 handle the adapters open: one template,
// one alias per handle kind, the "no handle" value part of the type. Copy is
// forbidden, move allowed.

#include <windows.h>

#include <utility>

namespace tovex::win32 {

template <typename Handle, typename Traits>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != Traits::Invalid(); }
  // Closes the current handle and returns the address for an API to fill.
  Handle* put() {
    reset();
    return &handle_;
  }
  Handle release() { return std::exchange(handle_, Traits::Invalid()); }
  void reset(Handle handle = Traits::Invalid()) {
    if (handle_ != Traits::Invalid()) Traits::Close(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = Traits::Invalid();
};

struct FileTraits {  // CreateFile: INVALID_HANDLE_VALUE means none
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct KernelTraits {  // processes, events, tokens: NULL means none
  static HANDLE Invalid() { return nullptr; }
  static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct FindTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { ::FindClose(h); }
};
struct KeyTraits {
  static HKEY Invalid() { return nullptr; }
  static void Close(HKEY h) { ::RegCloseKey(h); }
};
struct ServiceTraits {
  static SC_HANDLE Invalid() { return nullptr; }
  static void Close(SC_HANDLE h) { ::CloseServiceHandle(h); }
};
struct LocalTraits {  // memory the system allocated for the caller to LocalFree
  static HLOCAL Invalid() { return nullptr; }
  static void Close(HLOCAL h) { ::LocalFree(h); }
};
struct ModuleTraits {
  static HMODULE Invalid() { return nullptr; }
  static void Close(HMODULE h) { ::FreeLibrary(h); }
};

using unique_hfile = UniqueHandle<HANDLE, FileTraits>;
using unique_handle = UniqueHandle<HANDLE, KernelTraits>;
using unique_hfind = UniqueHandle<HANDLE, FindTraits>;
using unique_hkey = UniqueHandle<HKEY, KeyTraits>;
using unique_schandle = UniqueHandle<SC_HANDLE, ServiceTraits>;
using unique_hmodule = UniqueHandle<HMODULE, ModuleTraits>;
using unique_hlocal = UniqueHandle<HLOCAL, LocalTraits>;

// Releases a COM interface pointer when it goes out of scope.
template <typename Interface>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  Interface* get() const { return pointer_; }
  Interface* operator->() const { return pointer_; }
  Interface** put() {
    reset();
    return &pointer_;
  }
  void** put_void() { return reinterpret_cast<void**>(put()); }
  void reset() {
    if (pointer_ != nullptr) pointer_->Release();
    pointer_ = nullptr;
  }
  explicit operator bool() const { return pointer_ != nullptr; }

 private:
  Interface* pointer_ = nullptr;
};

}  // namespace tovex::win32
