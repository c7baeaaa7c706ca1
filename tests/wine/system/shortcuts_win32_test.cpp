// The program group's links written through IShellLinkA and IPersistFile and
// read back the same way.
#include <gtest/gtest.h>

#include "common/folders.h"
#include "system/shortcuts.h"
#include "wine/system/wine_system_support.h"

namespace tovex {
namespace {

using wine_tests::RealMachine;

constexpr const char* kShellFolders = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

size_t LinkCount(Files& files, const std::string& folder) { return files.List(folder, "*.lnk").size(); }

TEST(ProgramGroupLinks, ReadBackWithTargetArgumentsAndIconIndex) {
  RealMachine machine;
  const std::string base = wine_tests::FreshFolder(machine.files, "tovex-group-");
  const std::string install = base + "Tovex\\";
  const std::string commonPrograms = base + "Common Programs";
  ForceDirectories(machine.files, install);
  machine.context.InstallPath = install;

  // Point the all-users programs folder at the sandbox for this test.
  Registry& registry = machine.registry;
  const auto previous = registry.ReadValue(RegistryRoot::LocalMachine, kShellFolders, "Common Programs");
  ASSERT_TRUE(registry.CreateKey(RegistryRoot::LocalMachine, kShellFolders));
  ASSERT_TRUE(registry.WriteValue(RegistryRoot::LocalMachine, kShellFolders, "Common Programs",
                                  {RegistryValueType::String, commonPrograms}));

  const std::string program = machine.system.ProgramPath();
  const std::string self = install + program.substr(program.find_last_of('\\') + 1);
  struct Branch {
    bool windowsNT;
    bool webMail;
    size_t count;
  } branches[] = {{true, false, 8}, {true, true, 9}, {false, false, 13}, {false, true, 14}};
  for (const Branch& branch : branches) {
    SCOPED_TRACE(testing::Message() << "NT " << branch.windowsNT << ", web mail " << branch.webMail);
    machine.context.IsWindowsNT = branch.windowsNT;
    MainFormRegistries registries(machine.context);
    ProgramGroupInputs inputs;
    inputs.webMailInstalled = branch.webMail;
    const std::string group = CreateProgramGroup(machine.context, registries, inputs);
    ASSERT_EQ(group, commonPrograms + "\\Tovex Mail Server\\");
    EXPECT_EQ(LinkCount(machine.files, group), branch.count);

    for (const ProgramGroupShortcut& expected :
         ProgramGroupShortcuts(machine.strings, install, self.substr(install.size()), branch.webMail,
                               branch.windowsNT)) {
      auto link = machine.shell.LoadLink(group + expected.name + ".lnk");
      ASSERT_TRUE(link) << expected.name;
      EXPECT_EQ(link->target, expected.target) << expected.name;
      EXPECT_EQ(link->arguments, expected.arguments) << expected.name;
      EXPECT_EQ(link->iconIndex, expected.iconIndex) << expected.name;
      if (expected.iconIndex != 0) {
        EXPECT_EQ(link->iconPath, self) << expected.name;
      }
    }
    auto uninstall = machine.shell.LoadLink(group + "Uninstall Tovex Mail Server.lnk");
    ASSERT_TRUE(uninstall);
    EXPECT_EQ(uninstall->arguments, "/UNINSTALL");
    EXPECT_EQ(uninstall->iconIndex, 1);
    auto webAdmin = machine.shell.LoadLink(group + "Tovex Mail Server Web Administration.lnk");
    ASSERT_TRUE(webAdmin);
    EXPECT_EQ(webAdmin->arguments, "/WEBADMINLOGON");
    EXPECT_EQ(webAdmin->iconIndex, 2);
  }
  EXPECT_TRUE(machine.user.shown.empty());

  if (previous) {
    registry.WriteValue(RegistryRoot::LocalMachine, kShellFolders, "Common Programs", *previous);
  } else {
    registry.DeleteValue(RegistryRoot::LocalMachine, kShellFolders, "Common Programs");
  }
  for (const char* key : {"\\Software\\Polvane", "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tovex"})
    registry.DeleteKey(RegistryRoot::LocalMachine, key);
  EXPECT_TRUE(DeleteTree(machine.files, base, "*.*", true));
}

}  // namespace
}  // namespace tovex
