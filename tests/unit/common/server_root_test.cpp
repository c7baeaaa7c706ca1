// The server's root folder of the command-line actions: -InstallDir= only
// where it names an installation.

#include "common/server_root.h"

#include <gtest/gtest.h>

#include "fakes/fake_machine.h"

namespace tovex {
namespace {

TEST(ServerRootFolder, TheOptionOnlyWhereItNamesAnInstallation) {
  struct Case {
    std::vector<std::string> parameters;
    std::string expected;
  };
  const Case cases[] = {
      {{"/UNINSTALL"}, "C:\\Setup\\"},
      {{"/UNINSTALL", "-InstallDir=D:\\Server"}, "D:\\Server\\"},
      {{"/UNINSTALL", "-InstallDir=D:\\Server\\..\\Server\\.\\"}, "D:\\Server\\"},
      {{"/UNINSTALL", "-InstallDir=..\\Server"}, "D:\\Server\\"},  // from the current folder D:\Work
      {{"/UNINSTALL", "-InstallDir=D:\\Empty"}, "C:\\Setup\\"},     // no config\ there
      {{"/UNINSTALL", "-InstallDir=D:\\Server\\..\\..\\"}, "C:\\Setup\\"},
      {{"/UNINSTALL", "-InstallDir=D:\\Server\\...\\"}, "C:\\Setup\\"},
      {{"/UNINSTALL", "-InstallDir=D:Server"}, "C:\\Setup\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.parameters.back());
    fakes::FakeMachine machine;
    machine.files.AddFolder("D:\\Server\\config");
    machine.files.AddFolder("D:\\Empty");
    machine.files.AddFolder("D:\\Work");
    machine.files.SetCurrentFolder("D:\\Work");
    machine.context.commandLine = ParseCommandLine(c.parameters);
    EXPECT_EQ(ServerRootFolder(machine.context), c.expected);
  }
}

}  // namespace
}  // namespace tovex
