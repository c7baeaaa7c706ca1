// Stand-in for the server's self-registering COM libraries (built as api.dll
// and polvanecom.dll). Each registration entry appends its name to a record
// file beside the library ("api.dll.log"), so tests can see what Setup called
// and how often. When a file named like the library plus ".fail" exists
// beside it, the entries record the call and return E_FAIL, as a library
// whose registration went wrong would.

#include <windows.h>

#include <string>

namespace {

HMODULE g_module = nullptr;

std::string ModulePath() {
  char path[MAX_PATH + 1] = {};
  const DWORD length = ::GetModuleFileNameA(g_module, path, MAX_PATH);
  return std::string(path, length);
}

HRESULT Record(const char* entry) {
  const std::string self = ModulePath();
  HANDLE log = ::CreateFileA((self + ".log").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  if (log != INVALID_HANDLE_VALUE) {
    const std::string line = std::string(entry) + "\r\n";
    DWORD written = 0;
    ::WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    ::CloseHandle(log);
  }
  const bool fail = ::GetFileAttributesA((self + ".fail").c_str()) != INVALID_FILE_ATTRIBUTES;
  return fail ? E_FAIL : S_OK;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_module = instance;
  return TRUE;
}

extern "C" __declspec(dllexport) HRESULT WINAPI DllRegisterServer() { return Record("DllRegisterServer"); }
extern "C" __declspec(dllexport) HRESULT WINAPI DllUnregisterServer() { return Record("DllUnregisterServer"); }
