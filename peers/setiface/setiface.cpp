// The anti-virus vendor's engine setup library, as a test peer. Every entry
// appends one line to "setiface.calls" in the DLL's folder:
//   <entry> <argument>=<value> ... cwd="<current directory>" -> <result> status=0x<status>
// so that tests can see what was called, with what, and from where.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr DWORD kDone = 0x20000000;  // the status word of a completed update

HMODULE SelfModule() {
  HMODULE module = nullptr;
  ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&SelfModule), &module);
  return module;
}

std::string SelfPath() {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(SelfModule(), path, MAX_PATH);
  return path;
}

std::string SelfFolder() {
  const std::string path = SelfPath();
  return path.substr(0, path.find_last_of('\\') + 1);
}

std::string RecordPath() { return SelfFolder() + "setiface.calls"; }

std::string Quoted(const char* text) {
  if (text == nullptr) return "null";
  std::string quoted = "\"";
  quoted += text;
  quoted += '"';
  return quoted;
}

void Record(const std::string& entry, const std::string& arguments, int result, const DWORD* status) {
  char cwd[MAX_PATH] = {};
  ::GetCurrentDirectoryA(MAX_PATH, cwd);
  char tail[64];
  std::snprintf(tail, sizeof tail, " -> %d status=0x%08lX\r\n", result,
                static_cast<unsigned long>(status != nullptr ? *status : 0));
  const std::string line = entry + " " + arguments + " cwd=\"" + cwd + "\"" + tail;
  if (FILE* file = std::fopen(RecordPath().c_str(), "ab")) {
    std::fwrite(line.data(), 1, line.size(), file);
    std::fclose(file);
  }
}

std::string Common(const char* product, const char* switches, int mode) {
  return "product=" + Quoted(product) + " switches=" + Quoted(switches) + " mode=" + std::to_string(mode);
}

bool FileExists(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

extern "C" {

// Runs the vendor's installer into the target folder. Fails (1) when the
// installer is missing; otherwise places the engine's setup folder.
__declspec(dllexport) int __stdcall setifaceInstallProgram(const char* product, const char* installer,
                                                           const char* target, const char* switches, int mode,
                                                           DWORD* status) {
  if (status != nullptr) *status = 0;
  const std::string arguments = "product=" + Quoted(product) + " installer=" + Quoted(installer) +
                                " target=" + Quoted(target) + " switches=" + Quoted(switches) +
                                " mode=" + std::to_string(mode);
  if (installer == nullptr || target == nullptr || !FileExists(installer)) {
    Record("setifaceInstallProgram", arguments, 1, status);
    return 1;
  }
  Record("setifaceInstallProgram", arguments, 0, status);
  const std::string folder = std::string(target) + "\\setup\\";
  ::CreateDirectoryA(target, nullptr);
  ::CreateDirectoryA(folder.c_str(), nullptr);
  ::CopyFileA(SelfPath().c_str(), (folder + "setiface.dll").c_str(), FALSE);
  ::CopyFileA(RecordPath().c_str(), (folder + "setiface.calls").c_str(), FALSE);
  const std::string engine = std::string(target) + "\\engine.txt";
  if (FILE* file = std::fopen(engine.c_str(), "wb")) {
    std::fputs("anti-virus engine stand-in\r\n", file);
    std::fclose(file);
  }
  return 0;
}

__declspec(dllexport) int __stdcall setifaceUpdatePackages(const char* product, const char* switches, int mode,
                                                           DWORD* status) {
  if (status != nullptr) *status = kDone;
  Record("setifaceUpdatePackages", Common(product, switches, mode), 0, status);
  return 0;
}

__declspec(dllexport) int __stdcall setifaceUpdateFiles(const char* product, const char* switches, int mode,
                                                        DWORD* status) {
  if (status != nullptr) *status = kDone;
  Record("setifaceUpdateFiles", Common(product, switches, mode), 0, status);
  return 0;
}

__declspec(dllexport) int __stdcall setifaceUninstallProgram(const char* product, const char* reserved, int mode,
                                                             DWORD* status) {
  if (status != nullptr) *status = kDone;
  Record("setifaceUninstallProgram",
         "product=" + Quoted(product) + " reserved=" + Quoted(reserved) + " mode=" + std::to_string(mode), 0,
         status);
  return 0;
}

// Writes the path of the engine's definitions file into the buffer.
__declspec(dllexport) int __stdcall setifaceGimmePathToSetifaceVpu(char* buffer, int size) {
  const std::string path = SelfFolder() + "setiface.vpu";
  const int result = buffer != nullptr && size > static_cast<int>(path.size()) ? 0 : 1;
  if (result == 0) std::snprintf(buffer, static_cast<size_t>(size), "%s", path.c_str());
  Record("setifaceGimmePathToSetifaceVpu", "size=" + std::to_string(size), result, nullptr);
  return result;
}

// Writes the versions of the engine's parts into the buffer.
__declspec(dllexport) int __stdcall setifaceGetPartVersions(const char* product, char* buffer, int size) {
  const std::string versions = "program=4.8;definitions=000000-0";
  const int result = buffer != nullptr && size > static_cast<int>(versions.size()) ? 0 : 1;
  if (result == 0) std::snprintf(buffer, static_cast<size_t>(size), "%s", versions.c_str());
  Record("setifaceGetPartVersions", "product=" + Quoted(product) + " size=" + std::to_string(size), result,
         nullptr);
  return result;
}

// Reports whether an update is available: never, here (status 0).
__declspec(dllexport) int __stdcall setifaceCheckUpdate(const char* product, int mode, DWORD* status) {
  if (status != nullptr) *status = 0;
  Record("setifaceCheckUpdate", "product=" + Quoted(product) + " mode=" + std::to_string(mode), 0, status);
  return 0;
}

}  // extern "C"
