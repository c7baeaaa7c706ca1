// The steps that touch the machine rather than the program's windows: the
// setup folder, files, the registry and other programs.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>
#include <fstream>
#include <iterator>
#include <string>
#include <sstream>

#include "scenario.h"
#include "text_match.h"
#include "wine/plant_link.h"

namespace drive {

namespace {

using tovex::win32::unique_handle;
using tovex::win32::unique_hfile;
using tovex::win32::unique_hfind;
using tovex::win32::unique_hkey;

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeFolders(const std::string& path) {
  if (path.size() <= 3 || IsFolder(path)) return true;
  const size_t slash = path.find_last_of('\\');
  if (slash != std::string::npos && !MakeFolders(path.substr(0, slash))) return false;
  return ::CreateDirectoryA(path.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

bool RemoveTree(const std::string& path) {
  if (!IsFolder(path)) {
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return ::DeleteFileA(path.c_str()) != FALSE;
  }
  WIN32_FIND_DATAA entry;
  unique_hfind find(::FindFirstFileA((path + "\\*").c_str(), &entry));
  if (find) {
    do {
      const std::string name = entry.cFileName;
      if (name != "." && name != "..") RemoveTree(path + "\\" + name);
    } while (::FindNextFileA(find.get(), &entry));
  }
  find.reset();
  return ::RemoveDirectoryA(path.c_str()) != FALSE;
}

bool CopyTree(const std::string& from, const std::string& to) {
  if (!MakeFolders(to)) return false;
  WIN32_FIND_DATAA entry;
  unique_hfind find(::FindFirstFileA((from + "\\*").c_str(), &entry));
  if (!find) return false;
  do {
    const std::string name = entry.cFileName;
    if (name == "." || name == "..") continue;
    const bool copied = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                            ? CopyTree(from + "\\" + name, to + "\\" + name)
                            : ::CopyFileA((from + "\\" + name).c_str(), (to + "\\" + name).c_str(), FALSE) != FALSE;
    if (!copied) return false;
  } while (::FindNextFileA(find.get(), &entry));
  return true;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

struct Root {
  const char* name;
  HKEY key;
};
const Root kRoots[] = {
    {"HKLM", HKEY_LOCAL_MACHINE}, {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {"HKCU", HKEY_CURRENT_USER},  {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {"HKCR", HKEY_CLASSES_ROOT},  {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
    {"HKU", HKEY_USERS},          {"HKEY_USERS", HKEY_USERS},
};

bool SplitKey(const std::string& key, HKEY& root, std::string& subKey) {
  const size_t slash = key.find('\\');
  const std::string rootName = key.substr(0, slash);
  for (const auto& candidate : kRoots) {
    if (_stricmp(candidate.name, rootName.c_str()) == 0) {
      root = candidate.key;
      subKey = slash == std::string::npos ? std::string() : key.substr(slash + 1);
      return true;
    }
  }
  return false;
}

// Registry data as a script writes it: strings as they are, numbers in
// decimal, multi-strings joined with "|", other data as hex bytes.
std::string FormatData(DWORD type, const std::vector<BYTE>& data) {
  switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: {
      std::string text(data.begin(), data.end());
      return text.substr(0, text.find('\0'));
    }
    case REG_DWORD: {
      DWORD value = 0;
      std::memcpy(&value, data.data(), std::min(data.size(), sizeof value));
      return std::to_string(value);
    }
    case REG_QWORD: {
      unsigned long long value = 0;
      std::memcpy(&value, data.data(), std::min(data.size(), sizeof value));
      return std::to_string(value);
    }
    case REG_MULTI_SZ: {
      std::string joined;
      std::string current;
      for (BYTE b : data) {
        if (b != 0) {
          current += static_cast<char>(b);
          continue;
        }
        if (current.empty()) break;
        if (!joined.empty()) joined += '|';
        joined += current;
        current.clear();
      }
      return joined;
    }
    default: {
      std::string hex;
      char byte[4];
      for (BYTE b : data) {
        std::snprintf(byte, sizeof byte, "%02x", b);
        if (!hex.empty()) hex += ' ';
        hex += byte;
      }
      return hex;
    }
  }
}

}  // namespace

std::string Scenario::Resolve(const std::string& path) const {
  const bool absolute = path.size() >= 2 && (path[1] == ':' || (path[0] == '\\' && path[1] == '\\'));
  return absolute ? path : setupFolder_ + "\\" + path;
}

bool Scenario::PrepareFolder(const std::string& kind) {
  if (kind != "bare" && kind != "dist") return Fail("setup-folder takes bare or dist, not " + Quoted(kind));
  if (process_) return Fail("setup-folder must come before start");
  const std::string folder = options_.workFolder + "\\setup";
  if (Exists(folder) && !RemoveTree(folder)) return Fail("cannot empty the setup folder " + folder);
  if (kind == "dist") {
    if (options_.distFolder.empty() || !IsFolder(options_.distFolder)) {
      return Fail("there is no distribution folder " + Quoted(options_.distFolder) + " (build the Windows preset)");
    }
    if (!CopyTree(options_.distFolder, folder)) return Fail("cannot copy the distribution to " + folder);
  } else if (!MakeFolders(folder)) {
    return Fail("cannot create the setup folder " + folder);
  }
  if (!options_.setupProgram.empty() &&
      !::CopyFileA(options_.setupProgram.c_str(), (folder + "\\setup.exe").c_str(), FALSE)) {
    return Fail("cannot copy " + options_.setupProgram + " into the setup folder (error " +
                std::to_string(::GetLastError()) + ")");
  }
  setupFolder_ = folder;
  ::SetEnvironmentVariableA("SETUPDIR", folder.c_str());
  return true;
}

bool Scenario::EnsureFolder() { return !setupFolder_.empty() || PrepareFolder("bare"); }

bool Scenario::Put(const std::string& file, const std::string& text) {
  if (!EnsureFolder()) return false;
  const std::string path = Resolve(file);
  const size_t slash = path.find_last_of('\\');
  if (slash != std::string::npos && !MakeFolders(path.substr(0, slash))) return Fail("cannot create the folder of " + path);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!text.empty()) out << text << "\r\n";
  out.close();
  if (!out) return Fail("cannot write " + path);
  return true;
}

bool Scenario::Remove(const std::string& file) {
  if (!EnsureFolder()) return false;
  const std::string path = Resolve(file);
  if (!Exists(path)) return Fail("there is nothing to remove at " + path);
  if (!RemoveTree(path)) return Fail("cannot remove " + path);
  return true;
}

bool Scenario::Link(const std::string& path, const std::string& target) {
  if (!EnsureFolder()) return false;
  const std::string full = Resolve(path), to = Resolve(target);
  const size_t slash = full.find_last_of('\\');
  if (slash != std::string::npos && !MakeFolders(full.substr(0, slash))) return Fail("cannot create the folder of " + full);
  if (!tovex::wine::PlantLink(full, to, IsFolder(to))) return Fail("cannot plant a link at " + full + " to " + to);
  return true;
}

// Keeps the file's first bytes only, as an interrupted download leaves it.
bool Scenario::Cut(const std::string& file, const std::string& bytes) {
  if (!EnsureFolder()) return false;
  const std::string path = Resolve(file);
  char* end = nullptr;
  const unsigned long long keep = std::strtoull(bytes.c_str(), &end, 10);
  if (bytes.empty() || *end != '\0') return Fail("cut takes a number of bytes, not " + Quoted(bytes));
  std::ifstream in(path, std::ios::binary);
  if (!in) return Fail("cannot read " + path);
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  in.close();
  if (keep >= content.size()) return Fail(path + " has only " + std::to_string(content.size()) + " bytes");
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(keep));
  out.close();
  if (!out) return Fail("cannot write " + path);
  return true;
}

bool Scenario::Start(const std::string& arguments) {
  if (process_) return Fail("the program was already started; a scenario starts it once");
  if (!EnsureFolder()) return false;
  return Launch(setupFolder_ + "\\setup.exe", arguments, setupFolder_);
}

bool Scenario::StartProgram(const std::string& program, const std::string& arguments) {
  if (!EnsureFolder()) return false;
  if (ProgramRunning()) return Fail("the previous program is still running; a program is started after the last one ended");
  const std::string path = Resolve(program);
  const size_t slash = path.find_last_of('\\');
  return Launch(path, arguments, slash == std::string::npos ? setupFolder_ : path.substr(0, slash));
}

bool Scenario::Launch(const std::string& program, const std::string& arguments, const std::string& folder) {
  std::string commandLine = "\"" + program + "\"" + (arguments.empty() ? "" : " " + arguments);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  // Started suspended, so that the window watch sees the program from its
  // first instruction on.
  if (!::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        folder.c_str(), &startup, &info)) {
    return Fail("cannot start " + program + " (error " + std::to_string(::GetLastError()) + ")");
  }
  process_.reset(info.hProcess);
  processId_ = info.dwProcessId;
  exitCode_.reset();
  box_ = nullptr;
  // The watch of the program before (which has ended) is done.
  if (windowWatch_.joinable()) windowWatch_.join();
  {
    std::lock_guard<std::mutex> lock(windowSeenMutex_);
    windowSeen_.clear();
  }
  HANDLE watched = nullptr;
  ::DuplicateHandle(::GetCurrentProcess(), info.hProcess, ::GetCurrentProcess(), &watched, SYNCHRONIZE, FALSE, 0);
  windowWatch_ = std::thread([this, watched, processId = info.dwProcessId] {
    struct Search {
      DWORD processId;
      std::string seen;
    } search{processId, {}};
    do {
      ::EnumWindows(
          [](HWND window, LPARAM parameter) -> BOOL {
            auto* found = reinterpret_cast<Search*>(parameter);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (owner != found->processId || !::IsWindowVisible(window)) return TRUE;
            char className[128] = {};
            char title[256] = {};
            ::GetClassNameA(window, className, sizeof className);
            ::GetWindowTextA(window, title, sizeof title);
            found->seen = std::string(className) + " '" + title + "'";
            return FALSE;
          },
          reinterpret_cast<LPARAM>(&search));
      if (!search.seen.empty()) {
        std::lock_guard<std::mutex> lock(windowSeenMutex_);
        if (windowSeen_.empty()) windowSeen_ = search.seen;
      }
    } while (watched != nullptr && ::WaitForSingleObject(watched, 5) == WAIT_TIMEOUT);
    if (watched != nullptr) ::CloseHandle(watched);
  });
  ::ResumeThread(info.hThread);
  ::CloseHandle(info.hThread);
  return true;
}

bool Scenario::ExpectFile(const std::string& path, bool present) {
  if (!EnsureFolder()) return false;
  const std::string full = Resolve(path);
  return WaitFor((present ? "the file " : "no file ") + full, [&](std::string& seen) {
    const bool exists = Exists(full);
    seen = exists ? (IsFolder(full) ? "a folder is there" : "a file is there") : "nothing is there";
    return exists == present;
  }, false);
}

bool Scenario::ExpectRegistry(const std::string& key, const std::string* value, const std::string* data,
                              bool present) {
  HKEY root = nullptr;
  std::string subKey;
  if (!SplitKey(key, root, subKey)) return Fail("the key " + Quoted(key) + " does not begin with HKLM, HKCU, HKCR or HKU");
  const std::string valueName = (value && *value != "@") ? *value : std::string();
  std::string what = value ? "the value " + Quoted(value ? *value : "") + " of " + key : "the key " + key;
  if (data) what += " holding " + Quoted(*data);
  return WaitFor((present ? "" : "no ") + what, [&](std::string& seen) {
    unique_hkey opened;
    if (::RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, opened.put()) != ERROR_SUCCESS) {
      seen = "no such key";
      return !present;
    }
    if (!value) {
      seen = "the key exists";
      return present;
    }
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExA(opened.get(), valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
      seen = "no such value";
      return !present;
    }
    std::vector<BYTE> bytes(size + 2, 0);
    if (::RegQueryValueExA(opened.get(), valueName.c_str(), nullptr, &type, bytes.data(), &size) != ERROR_SUCCESS) {
      seen = "the value cannot be read";
      return false;
    }
    bytes.resize(size);
    const std::string shown = FormatData(type, bytes);
    seen = "the value holds " + Quoted(shown);
    if (!present) return false;
    if (!data) return true;
    if (type == REG_DWORD || type == REG_QWORD) {
      const unsigned long long expected = std::strtoull(data->c_str(), nullptr, 0);
      return std::to_string(expected) == shown;
    }
    return TextMatches(*data, shown);
  }, false);
}

bool Scenario::Run(const std::string& program, const std::string& arguments) {
  const std::string folder = setupFolder_.empty() ? options_.workFolder : setupFolder_;
  if (!MakeFolders(options_.workFolder)) return Fail("cannot create " + options_.workFolder);
  const std::string outputPath = options_.workFolder + "\\run-output.txt";
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  unique_hfile output(::CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     &inheritable, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  unique_hfile input(::CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                                    OPEN_EXISTING, 0, nullptr));
  if (!output || !input) {
    return Fail("cannot prepare the output file " + outputPath);
  }
  const bool quote = program.find(' ') != std::string::npos && program.front() != '"';
  std::string commandLine = (quote ? "\"" + program + "\"" : program) + (arguments.empty() ? "" : " " + arguments);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input.get();
  startup.hStdOutput = output.get();
  startup.hStdError = output.get();
  PROCESS_INFORMATION info{};
  if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        folder.c_str(), &startup, &info)) {
    return Fail("cannot run " + Quoted(commandLine) + " (error " + std::to_string(::GetLastError()) + ")");
  }
  ::CloseHandle(info.hThread);
  unique_handle process(info.hProcess);
  output.reset();
  input.reset();
  if (::WaitForSingleObject(process.get(), static_cast<DWORD>(timeout_ * 1000)) != WAIT_OBJECT_0) {
    ::TerminateProcess(process.get(), 1);
    return Fail(Quoted(commandLine) + " did not end within " + std::to_string(static_cast<int>(timeout_)) + " s");
  }
  DWORD code = 0;
  ::GetExitCodeProcess(process.get(), &code);
  runExit_ = code;
  runOutput_ = ReadWholeFile(outputPath);
  notes_ = "     exit code " + std::to_string(code) + ", output:\n";
  std::istringstream lines(runOutput_);
  std::string line;
  int shown = 0;
  while (std::getline(lines, line) && ++shown <= 40) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    notes_ += "       | " + line + "\n";
  }
  return true;
}

bool Scenario::ExpectOutput(const std::string& text) {
  if (!runExit_) return Fail("no program has been run (no run step before this one)");
  std::string pattern = "*";
  pattern += NormalizeBlanks(text);
  pattern += '*';
  if (WildcardMatch(pattern, NormalizeBlanks(runOutput_))) return true;
  return Fail("expected the output of the last run to contain " + Quoted(text));
}

bool Scenario::ExpectNoOutput(const std::string& text) {
  if (!runExit_) return Fail("no program has been run (no run step before this one)");
  std::string pattern = "*";
  pattern += NormalizeBlanks(text);
  pattern += '*';
  if (!WildcardMatch(pattern, NormalizeBlanks(runOutput_))) return true;
  return Fail("expected the output of the last run not to contain " + Quoted(text));
}

bool Scenario::ExpectRunExit(const std::string& code) {
  if (!runExit_) return Fail("no program has been run (no run step before this one)");
  const unsigned long expected = std::strtoul(code.c_str(), nullptr, 0);
  if (*runExit_ == expected) return true;
  return Fail("expected the last run to end with exit code " + code + "; it ended with " + std::to_string(*runExit_));
}

}  // namespace drive
