// The anti-virus engine's uninstaller through the real loader and the
// setiface.dll peer: the reserved argument arrives as a null pointer.
#include <gtest/gtest.h>

#include "common/folders.h"
#include "package/antivirus_engine.h"
#include "platform/win32/libraries_win32.h"
#include "wine/system/wine_system_support.h"

namespace tovex {
namespace {

TEST(EngineUninstall, CallsTheVendorEntryWithANullReservedPointerFromItsFolder) {
  wine_tests::RealMachine machine;
  win32::Win32Libraries libraries;
  machine.context.platform.libraries = &libraries;
  const std::string folder = wine_tests::FreshFolder(machine.files, "tovex-engine-");
  const std::string setup = folder + "avast\\setup\\";
  ASSERT_TRUE(ForceDirectories(machine.files, setup));
  std::string built = std::string("Z:") + TOVEX_SETIFACE_PEER;
  for (char& c : built) c = c == '/' ? '\\' : c;
  ASSERT_TRUE(machine.files.Copy(built, setup + "setiface.dll", false)) << built;
  const std::string before = machine.files.CurrentFolder();

  EXPECT_TRUE(RunEngineUninstaller(machine.context, setup));
  const std::string expected = "setifaceUninstallProgram product=\"Polvane\" reserved=null mode=2 cwd=\"" +
                               setup.substr(0, setup.size() - 1) + "\" -> 0 status=0x20000000\r\n";
  EXPECT_EQ(wine_tests::FileText(machine.files, setup + "setiface.calls"), expected);
  EXPECT_EQ(machine.files.CurrentFolder(), before);

  // Unloaded again, so the engine's folder can go; then nothing is there to call.
  EXPECT_EQ(::GetModuleHandleA((setup + "setiface.dll").c_str()), nullptr);
  EXPECT_TRUE(DeleteTree(machine.files, folder, "*.*", true));
  EXPECT_FALSE(RunEngineUninstaller(machine.context, setup));
}

}  // namespace
}  // namespace tovex
