#pragma once
// Plants a link the way a program without elevation could. Windows makes a
// symbolic link. Wine 8 makes none (CreateSymbolicLink succeeds without
// creating anything, FSCTL_SET_REPARSE_POINT is refused), so under Wine the
// host's ln makes a Unix symbolic link in the prefix, which Wine shows to
// Setup: a program of the host's user can plant one as easily.

#include <windows.h>

#include <string>

namespace tovex::wine {

inline std::string UnixPath(const std::string& path) {
  using ToUnix = char*(CDECL*)(LPCWSTR);
  const auto toUnix = reinterpret_cast<ToUnix>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (toUnix == nullptr) return std::string();
  const std::wstring wide(path.begin(), path.end());
  char* unix = toUnix(wide.c_str());
  if (unix == nullptr) return std::string();
  std::string result = unix;
  ::HeapFree(::GetProcessHeap(), 0, unix);
  return result;
}

// True when a link is at path afterwards (its target must exist).
inline bool PlantLink(const std::string& path, const std::string& target, bool toFolder) {
  if (::CreateSymbolicLinkA(path.c_str(), target.c_str(), toFolder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) &&
      ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
    return true;
  }
  const std::string unixPath = UnixPath(path), unixTarget = UnixPath(target);
  if (unixPath.empty() || unixTarget.empty()) return false;
  std::string command = "ln -s \"" + unixTarget + "\" \"" + unixPath + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessA("Z:\\bin\\ln", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
    return false;
  }
  // Wine starts a Unix program without a process handle to wait on: the
  // link is there once it shows.
  if (process.hThread != nullptr) ::CloseHandle(process.hThread);
  if (process.hProcess != nullptr) ::CloseHandle(process.hProcess);
  for (int wait = 0; wait < 500; ++wait) {
    if (::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    ::Sleep(10);
  }
  return false;
}

}  // namespace tovex::wine
