#include "platform/win32/folder_security_win32.h"

#include <aclapi.h>
#include <sddl.h>

namespace tovex::win32 {

namespace {

// Full control (FA) and read and execute (0x1200a9) for folders and what
// they hold (OICI); "P" keeps the parent's entries out.
constexpr const char* kAdministratorsOnly = "D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";
constexpr const char* kLikeProgramFiles = "D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)";

constexpr ACCESS_MASK kWriteRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_DELETE_CHILD |
                                     DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

bool IsOrdinaryUsers(PSID sid) {
  for (WELL_KNOWN_SID_TYPE type : {WinWorldSid, WinAuthenticatedUserSid, WinBuiltinUsersSid, WinInteractiveSid}) {
    if (::IsWellKnownSid(sid, type)) return true;
  }
  return false;
}

}  // namespace

unique_hlocal FolderSecurity(FolderProtection protection) {
  const char* text = protection == FolderProtection::AdministratorsOnly ? kAdministratorsOnly : kLikeProgramFiles;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(text, SDDL_REVISION_1, &descriptor, nullptr)) {
    return unique_hlocal();
  }
  return unique_hlocal(descriptor);
}

std::optional<bool> OrdinaryUsersMayWriteIn(const std::string& folder, DWORD& error) {
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  error = ::GetNamedSecurityInfoA(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                  &dacl, nullptr, &descriptor);
  if (error != ERROR_SUCCESS) return std::nullopt;
  unique_hlocal owned(descriptor);
  if (dacl == nullptr) return true;
  for (DWORD index = 0; index < dacl->AceCount; ++index) {
    void* entry = nullptr;
    if (!::GetAce(dacl, index, &entry)) continue;
    const auto* header = static_cast<const ACE_HEADER*>(entry);
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE) != 0) continue;
    auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
    if ((allowed->Mask & kWriteRights) != 0 && IsOrdinaryUsers(&allowed->SidStart)) return true;
  }
  return false;
}

}  // namespace tovex::win32
