#include "platform/win32/processes_win32.h"

#include <windows.h>

#include "platform/win32/scoped_handles.h"

namespace tovex::win32 {

namespace {

using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
using EnumProcessModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
using GetModuleBaseNameFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);

// The process-status library and its entries, loaded once and kept: the
// library is never freed, as the program may enumerate again at any time.
struct StatusLibrary {
  HMODULE module = nullptr;
  EnumProcessesFn enumProcesses = nullptr;
  EnumProcessModulesFn enumProcessModules = nullptr;
  GetModuleBaseNameFn getModuleBaseName = nullptr;
  bool Ready() const { return enumProcesses && enumProcessModules && getModuleBaseName; }
};

template <typename Fn>
Fn Entry(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

const StatusLibrary& Library() {
  static StatusLibrary library = [] {
    StatusLibrary loaded;
    loaded.module = ::LoadLibraryA("psapi.dll");
    if (loaded.module != nullptr) {
      loaded.enumProcesses = Entry<EnumProcessesFn>(loaded.module, "EnumProcesses");
      loaded.enumProcessModules = Entry<EnumProcessModulesFn>(loaded.module, "EnumProcessModules");
      loaded.getModuleBaseName = Entry<GetModuleBaseNameFn>(loaded.module, "GetModuleBaseNameA");
    }
    return loaded;
  }();
  return library;
}

}  // namespace

std::optional<std::vector<uint32_t>> Win32Processes::ProcessIds() {
  const StatusLibrary& library = Library();
  if (!library.Ready()) {
    lastError_ = library.module == nullptr ? ::GetLastError() : ERROR_PROC_NOT_FOUND;
    if (lastError_ == 0) lastError_ = ERROR_MOD_NOT_FOUND;
    return std::nullopt;
  }
  // EnumProcesses does not say how many ids there are: a buffer that comes
  // back full may have been too small, so grow it until it does not.
  std::vector<DWORD> ids(1025);
  for (;;) {
    DWORD bytes = 0;
    const DWORD capacity = static_cast<DWORD>(ids.size() * sizeof(DWORD));
    if (!library.enumProcesses(ids.data(), capacity, &bytes)) {
      lastError_ = ::GetLastError();
      return std::nullopt;
    }
    if (bytes < capacity || ids.size() >= (1u << 22)) {
      ids.resize(bytes / sizeof(DWORD));
      break;
    }
    ids.resize(ids.size() * 2);
  }
  lastError_ = 0;
  return std::vector<uint32_t>(ids.begin(), ids.end());
}

std::optional<std::string> Win32Processes::MainModuleName(uint32_t processId) {
  const StatusLibrary& library = Library();
  if (!library.Ready()) {
    lastError_ = ERROR_PROC_NOT_FOUND;
    return std::nullopt;
  }
  unique_handle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
  if (!process) {
    lastError_ = ::GetLastError();
    return std::nullopt;
  }
  // The size of the module list first, then the list; the first module is
  // the program itself.
  DWORD needed = 0;
  HMODULE first = nullptr;
  if (!library.enumProcessModules(process.get(), &first, sizeof first, &needed) || needed == 0) {
    lastError_ = ::GetLastError();
    return std::nullopt;
  }
  std::vector<HMODULE> modules(needed / sizeof(HMODULE) + 1);
  if (!library.enumProcessModules(process.get(), modules.data(), static_cast<DWORD>(modules.size() * sizeof(HMODULE)),
                                  &needed)) {
    lastError_ = ::GetLastError();
    return std::nullopt;
  }
  char name[257] = {};
  const DWORD length = library.getModuleBaseName(process.get(), modules[0], name, 256);
  if (length == 0) {
    lastError_ = ::GetLastError();
    return std::nullopt;
  }
  lastError_ = 0;
  return std::string(name, length);
}

bool Win32Processes::Terminate(uint32_t processId, uint32_t exitCode) {
  unique_handle process(::OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId));
  if (!process) {
    lastError_ = ::GetLastError();
    return false;
  }
  const BOOL ok = ::TerminateProcess(process.get(), exitCode);
  lastError_ = ok ? 0 : ::GetLastError();
  return ok != FALSE;
}

bool Win32Processes::EnablePrivilege(const std::string& privilege, bool enable) {
  unique_handle token;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put())) {
    lastError_ = ::GetLastError();
    return false;
  }
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  if (!::LookupPrivilegeValueA(nullptr, privilege.c_str(), &privileges.Privileges[0].Luid)) {
    lastError_ = ::GetLastError();
    return false;
  }
  privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
  const BOOL ok = ::AdjustTokenPrivileges(token.get(), FALSE, &privileges, sizeof privileges, nullptr, nullptr);
  // AdjustTokenPrivileges succeeds even when the token lacks the privilege;
  // ERROR_NOT_ALL_ASSIGNED (1300) then tells the truth.
  lastError_ = ::GetLastError();
  return ok != FALSE && lastError_ == ERROR_SUCCESS;
}

}  // namespace tovex::win32
