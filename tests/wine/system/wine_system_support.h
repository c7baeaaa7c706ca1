#pragma once
// A SetupContext over the real Win32 adapters for the system area's Wine
// tests; message boxes go to a scripted user so that a fatal error shows up
// as a recorded box instead of a window.

#include <windows.h>

#include <cstdio>
#include <string>

#include "common/context.h"
#include "common/folders.h"
#include "common/setup_log.h"
#include "fakes/fake_user.h"
#include "localization/setup_strings.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/shell_win32.h"
#include "platform/win32/system_win32.h"

namespace tovex::wine_tests {

struct RealMachine {
  win32::Win32Files files;
  win32::Win32System system;
  win32::Win32Registry registry;
  win32::Win32Shell shell;
  fakes::FakeUser user;
  SetupStrings strings;
  SetupLog log;
  SetupContext context;

  RealMachine() {
    context.platform.files = &files;
    context.platform.system = &system;
    context.platform.registry = &registry;
    context.platform.shell = &shell;
    context.platform.user = &user;
    context.log = &log;
    context.strings = &strings;
  }
};

// A fresh folder under the temporary folder, ending with a backslash.
// The whole text of a file, or "(missing)".
inline std::string FileText(Files& files, const std::string& path) {
  auto input = files.OpenForReading(path);
  if (!input) return "(missing)";
  std::string text(static_cast<size_t>(input->Size()), '\0');
  size_t got = 0;
  input->Read(text.data(), text.size(), got);
  text.resize(got);
  return text;
}

inline std::string FreshFolder(win32::Win32Files& files, const std::string& name) {
  const std::string folder = files.TempFolder() + name + std::to_string(::GetCurrentProcessId()) + "\\";
  DeleteTree(files, folder, "*.*", true);
  ForceDirectories(files, folder);
  return folder;
}

// The text of a value straight from the registry, with its type.
inline bool QueryValue(HKEY root, const std::string& key, const std::string& name, DWORD& type, std::string& data) {
  HKEY opened = nullptr;
  if (::RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return false;
  char buffer[4096];
  DWORD size = sizeof buffer;
  const bool ok = ::RegQueryValueExA(opened, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) ==
                  ERROR_SUCCESS;
  ::RegCloseKey(opened);
  if (ok) data.assign(buffer, size);
  return ok;
}

inline bool KeyPresent(HKEY root, const std::string& key) {
  HKEY opened = nullptr;
  if (::RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  ::RegCloseKey(opened);
  return true;
}

// What a command prints, run through the command interpreter.
inline std::string CommandOutput(const std::string& command) {
  std::string output;
  FILE* pipe = ::_popen(command.c_str(), "r");
  if (pipe == nullptr) return output;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
  ::_pclose(pipe);
  return output;
}

}  // namespace tovex::wine_tests
