// The security of the folders Setup must be able to trust (the extraction
// folder, an installation folder outside the program files folder), under
// Wine. Wine keeps no security descriptor on disk: it turns the DACL into
// Unix mode bits and reads back SYSTEM and the owner with full control and
// Everyone with what the bits give others; Administrators and Users never
// appear. So the descriptors Setup builds are checked entry by entry, and
// what Wine reads back is checked for what it can show: nobody but SYSTEM,
// Administrators and the owner (the administrator running Setup) may write.
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/folders.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/folder_security_win32.h"

namespace tovex {
namespace {

struct Entry {
  std::string sid;  // SDDL form, "S-1-5-32-544"
  ACCESS_MASK mask;
  BYTE flags;
};

std::string SidText(PSID sid) {
  char* text = nullptr;
  if (!::ConvertSidToStringSidA(sid, &text)) return "?";
  std::string result = text;
  ::LocalFree(text);
  return result;
}

std::vector<Entry> AllowedEntries(PACL dacl) {
  std::vector<Entry> entries;
  for (DWORD index = 0; dacl != nullptr && index < dacl->AceCount; ++index) {
    void* ace = nullptr;
    if (!::GetAce(dacl, index, &ace)) continue;
    auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
    if (allowed->Header.AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
    entries.push_back({SidText(&allowed->SidStart), allowed->Mask, allowed->Header.AceFlags});
  }
  return entries;
}

constexpr ACCESS_MASK kWrite = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_DELETE_CHILD | DELETE |
                               WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
constexpr const char* kSystem = "S-1-5-18";
constexpr const char* kAdministrators = "S-1-5-32-544";
constexpr const char* kUsers = "S-1-5-32-545";
constexpr ACCESS_MASK kReadAndExecute = 0x1200a9;
constexpr BYTE kInherited = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;

std::string CurrentUser() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return "?";
  char buffer[256];
  DWORD size = 0;
  const BOOL ok = ::GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size);
  ::CloseHandle(token);
  return ok ? SidText(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid) : "?";
}

// The SIDs the folder's DACL, as the system reads it back, lets write.
std::vector<std::string> WritersOf(const std::string& folder) {
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  EXPECT_EQ(::GetNamedSecurityInfoA(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                    &dacl, nullptr, &descriptor),
            static_cast<DWORD>(ERROR_SUCCESS));
  std::vector<std::string> writers;
  for (const Entry& entry : AllowedEntries(dacl)) {
    if ((entry.mask & kWrite) != 0) writers.push_back(entry.sid);
  }
  ::LocalFree(descriptor);
  return writers;
}

TEST(FolderSecurity, TheDescriptorsSetupBuildsKeepEveryoneElseOut) {
  struct Case {
    FolderProtection protection;
    std::vector<Entry> entries;
  };
  const Case cases[] = {
      {FolderProtection::AdministratorsOnly,
       {{kAdministrators, FILE_ALL_ACCESS, kInherited}, {kSystem, FILE_ALL_ACCESS, kInherited}}},
      {FolderProtection::LikeProgramFiles,
       {{kAdministrators, FILE_ALL_ACCESS, kInherited},
        {kSystem, FILE_ALL_ACCESS, kInherited},
        {kUsers, kReadAndExecute, kInherited}}},
  };
  for (const Case& c : cases) {
    win32::unique_hlocal descriptor = win32::FolderSecurity(c.protection);
    ASSERT_TRUE(descriptor);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(::GetSecurityDescriptorControl(descriptor.get(), &control, &revision));
    EXPECT_NE(control & SE_DACL_PROTECTED, 0) << "nothing inherited from the parent";
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    ASSERT_TRUE(::GetSecurityDescriptorDacl(descriptor.get(), &present, &dacl, &defaulted));
    ASSERT_TRUE(present && dacl != nullptr);
    const std::vector<Entry> entries = AllowedEntries(dacl);
    ASSERT_EQ(entries.size(), c.entries.size());
    EXPECT_EQ(dacl->AceCount, c.entries.size()) << "no other kind of entry";
    for (size_t i = 0; i < entries.size(); ++i) {
      EXPECT_EQ(entries[i].sid, c.entries[i].sid) << i;
      EXPECT_EQ(entries[i].mask, c.entries[i].mask) << i;
      EXPECT_EQ(entries[i].flags, c.entries[i].flags) << i;
    }
  }
}

TEST(FolderSecurity, CreatedFoldersReadBackWritableByAdministratorsAndSystemOnly) {
  win32::Win32Files files;
  const std::string base = files.TempFolder() + "tovex-security-" + std::to_string(::GetCurrentProcessId()) + "\\";
  DeleteTree(files, base, "", true);
  ASSERT_TRUE(ForceDirectories(files, base));
  const std::string owner = CurrentUser();

  for (const auto& [name, protection] : {std::pair{"extraction", FolderProtection::AdministratorsOnly},
                                         std::pair{"installation", FolderProtection::LikeProgramFiles}}) {
    SCOPED_TRACE(name);
    const std::string folder = base + name;
    ASSERT_TRUE(files.MakeProtectedFolder(folder, protection)) << files.LastError();
    for (const std::string& writer : WritersOf(folder)) {
      EXPECT_TRUE(writer == kSystem || writer == kAdministrators || writer == owner) << writer;
    }
    EXPECT_EQ(files.OrdinaryUsersMayWrite(folder), false);
    EXPECT_FALSE(files.MakeProtectedFolder(folder, protection)) << "a folder found there is never taken over";
    EXPECT_EQ(files.LastError(), static_cast<uint32_t>(ERROR_ALREADY_EXISTS));
  }

  // A folder everyone may write in reads back as such.
  PSECURITY_DESCRIPTOR open = nullptr;
  ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;OICI;FA;;;WD)", SDDL_REVISION_1, &open,
                                                                     nullptr));
  // (Wine applies Everyone's write rights when they are set, not when the
  // folder is created with them.)
  ASSERT_TRUE(::CreateDirectoryA((base + "open").c_str(), nullptr));
  ASSERT_TRUE(::SetFileSecurityA((base + "open").c_str(), DACL_SECURITY_INFORMATION, open));
  ::LocalFree(open);
  EXPECT_EQ(files.OrdinaryUsersMayWrite(base + "open"), true);
  EXPECT_TRUE(DeleteTree(files, base, "", true));
}

}  // namespace
}  // namespace tovex
