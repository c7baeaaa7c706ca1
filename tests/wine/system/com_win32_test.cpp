// Self-registration of the COM peer libraries through the real loader.
#include <gtest/gtest.h>

#include "common/folders.h"
#include "platform/win32/libraries_win32.h"
#include "system/com_registration.h"
#include "wine/system/wine_system_support.h"

namespace tovex {
namespace {

TEST(ComRegistration, CallsTheLibrariesEntriesAndRecordsThem) {
  wine_tests::RealMachine machine;
  win32::Win32Libraries libraries;
  machine.context.platform.libraries = &libraries;
  const std::string folder = wine_tests::FreshFolder(machine.files, "tovex-com-");
  // The peers built beside this test, copied so their record files land in the sandbox.
  std::string built = std::string("Z:") + TOVEX_COM_PEER_DIR + "/";
  for (char& c : built) c = c == '/' ? '\\' : c;
  for (const char* library : kComLibraries)
    ASSERT_TRUE(machine.files.Copy(built + library, folder + library, false)) << built + library;

  RegisterServerComLibraries(machine.context, folder);
  EXPECT_TRUE(RegisterComServer(machine.context, folder + "api.dll")) << "twice in a row: the entry decides";
  UnregisterServerComLibraries(machine.context, folder);
  EXPECT_EQ(wine_tests::FileText(machine.files, folder + "api.dll.log"),
            "DllRegisterServer\r\nDllRegisterServer\r\nDllUnregisterServer\r\n");
  EXPECT_EQ(wine_tests::FileText(machine.files, folder + "polvanecom.dll.log"), "DllRegisterServer\r\nDllUnregisterServer\r\n");

  // A failing registration is a non-zero status, still called once.
  machine.files.CreateForWriting(folder + "polvanecom.dll.fail");
  EXPECT_FALSE(RegisterComServer(machine.context, folder + "polvanecom.dll"));
  EXPECT_EQ(wine_tests::FileText(machine.files, folder + "polvanecom.dll.log"),
            "DllRegisterServer\r\nDllUnregisterServer\r\nDllRegisterServer\r\n");

  // A library without the entries, and one that is not there.
  EXPECT_FALSE(RegisterComServer(machine.context, machine.files.SystemFolder() + "kernel32.dll"));
  EXPECT_FALSE(RegisterComServer(machine.context, folder + "missing.dll"));
  EXPECT_TRUE(machine.user.shown.empty());

  // Every library was unloaded again, so the folder can go.
  EXPECT_EQ(::GetModuleHandleA((folder + "api.dll").c_str()), nullptr);
  EXPECT_TRUE(DeleteTree(machine.files, folder, "*.*", true));
}

}  // namespace
}  // namespace tovex
