#include "platform/win32/shell_win32.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include "platform/win32/scoped_handles.h"

namespace tovex::win32 {

namespace {

// COM for the shell's link objects. The first link operation on a thread
// initializes COM (apartment-threaded, as the shell wants) for that thread,
// once; it stays initialized until the thread ends. Setup makes and reads
// links only on its user-interface thread, so that is the thread initialized,
// the first time the program group is built. If the entry has initialized COM
// already, the call only adds a reference; a thread in the multithreaded
// apartment (RPC_E_CHANGED_MODE) can use the link objects as well.
void EnsureComInitialized() {
  thread_local bool initialized = false;
  if (initialized) return;
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  initialized = true;
}

uint32_t ErrorFromHresult(HRESULT result) {
  return HRESULT_FACILITY(result) == FACILITY_WIN32 ? HRESULT_CODE(result) : static_cast<uint32_t>(result);
}

std::wstring Wide(const std::string& ansi) {
  const int length = ::MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, nullptr, 0);
  std::wstring wide(length > 0 ? length : 1, L'\0');
  if (length > 0) ::MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, wide.data(), length);
  wide.resize(wide.size() - 1);  // the terminator
  return wide;
}

}  // namespace

bool Win32Shell::Open(const std::string& target, const std::string& parameters, const std::string& folder) {
  HINSTANCE result = ::ShellExecuteA(nullptr, "open", target.c_str(), parameters.empty() ? nullptr : parameters.c_str(),
                                     folder.empty() ? nullptr : folder.c_str(), SW_SHOWNORMAL);
  // ShellExecute reports success as a value above 32; below that it is an
  // error code of its own (2 file not found, 31 no association...).
  const auto code = reinterpret_cast<INT_PTR>(result);
  if (code > 32) {
    lastError_ = 0;
    return true;
  }
  lastError_ = ::GetLastError() != 0 ? ::GetLastError() : static_cast<uint32_t>(code);
  return false;
}

bool Win32Shell::SaveLink(const std::string& linkPath, const ShellLink& link) {
  EnsureComInitialized();
  ComPtr<IShellLinkA> shellLink;
  HRESULT result = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                      shellLink.put_void());
  if (FAILED(result)) {
    lastError_ = ErrorFromHresult(result);
    return false;
  }
  // Only what the caller gave is set: an unset icon shows the target's own,
  // unset arguments leave none.
  shellLink->SetPath(link.target.c_str());
  if (!link.iconPath.empty()) shellLink->SetIconLocation(link.iconPath.c_str(), link.iconIndex);
  if (!link.arguments.empty()) shellLink->SetArguments(link.arguments.c_str());
  if (!link.workingFolder.empty()) shellLink->SetWorkingDirectory(link.workingFolder.c_str());
  if (!link.description.empty()) shellLink->SetDescription(link.description.c_str());

  ComPtr<IPersistFile> file;
  result = shellLink->QueryInterface(IID_IPersistFile, file.put_void());
  if (SUCCEEDED(result)) result = file->Save(Wide(linkPath).c_str(), TRUE);
  if (FAILED(result)) {
    lastError_ = ErrorFromHresult(result);
    return false;
  }
  lastError_ = 0;
  return true;
}

std::optional<ShellLink> Win32Shell::LoadLink(const std::string& linkPath) {
  EnsureComInitialized();
  ComPtr<IShellLinkA> shellLink;
  HRESULT result = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                      shellLink.put_void());
  ComPtr<IPersistFile> file;
  if (SUCCEEDED(result)) result = shellLink->QueryInterface(IID_IPersistFile, file.put_void());
  if (SUCCEEDED(result)) result = file->Load(Wide(linkPath).c_str(), STGM_READ);
  if (FAILED(result)) {
    lastError_ = ErrorFromHresult(result);
    return std::nullopt;
  }
  ShellLink link;
  char text[INFOTIPSIZE + 1];
  // Each getter leaves the buffer empty when the link has no such field.
  auto read = [&](auto get) {
    text[0] = '\0';
    get();
    text[INFOTIPSIZE] = '\0';
    return std::string(text);
  };
  link.target = read([&] { shellLink->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH); });
  link.arguments = read([&] { shellLink->GetArguments(text, INFOTIPSIZE); });
  link.workingFolder = read([&] { shellLink->GetWorkingDirectory(text, MAX_PATH); });
  link.description = read([&] { shellLink->GetDescription(text, INFOTIPSIZE); });
  int iconIndex = 0;
  link.iconPath = read([&] { shellLink->GetIconLocation(text, MAX_PATH, &iconIndex); });
  link.iconIndex = iconIndex;
  lastError_ = 0;
  return link;
}

}  // namespace tovex::win32
