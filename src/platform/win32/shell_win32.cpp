#include "platform/win32/shell_win32.h"

#include <shellapi.h>

namespace tovex::win32 {

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

// Shell links are written and read by the program-group code, which fills
// these in; until then they report failure without touching anything.
bool Win32Shell::SaveLink(const std::string&, const ShellLink&) {
  lastError_ = ERROR_CALL_NOT_IMPLEMENTED;
  return false;
}

std::optional<ShellLink> Win32Shell::LoadLink(const std::string&) {
  lastError_ = ERROR_CALL_NOT_IMPLEMENTED;
  return std::nullopt;
}

}  // namespace tovex::win32
