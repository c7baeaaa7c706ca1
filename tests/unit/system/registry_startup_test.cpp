// The wizard's start-up reading a previous installation through the registry
// records, on a fake machine whose registry holds an old release's keys.
#include <gtest/gtest.h>

#include "fakes/fake_machine.h"
#include "setup/setup_program.h"

namespace tovex {
namespace {

constexpr auto HKLM = RegistryRoot::LocalMachine;

TEST(RegistryStartup, MigratesAndPrefillsTheWizard) {
  fakes::FakeMachine machine;
  machine.files.AddFile("C:\\Setup\\setup.Dat", "data");
  machine.files.AddFolder("D:\\Mail");
  machine.registry.SetString(HKLM, "\\Software\\Tovex", "InstallDir", "D:\\Mail\\");
  machine.registry.SetString(HKLM, "\\Software\\Tovex", "Version", "7.1.3");
  machine.registry.SetString(HKLM, "\\Software\\Tovex", "Name", "Jane");
  machine.registry.SetString(HKLM, "\\Software\\Tovex", "Country", "Ireland");
  machine.registry.SetBinary(HKLM, "\\Software\\Tovex", "TOVEXNotify", "n");

  SetupProgram program(machine.context);
  machine.context.commandLine = ParseCommandLine({"/SILENT"});
  program.CreateForms();
  ASSERT_NO_THROW(program.ShowMainForm());

  EXPECT_EQ(machine.registry.String(HKLM, "\\Software\\Polvane\\Tovex Mail Server", "Version"), "7.1.3");
  EXPECT_TRUE(machine.registry.Value(HKLM, "\\Software\\Polvane\\Tovex Mail Server", "Notify"));
  EXPECT_TRUE(machine.registry.HasKey(HKLM, "\\Software\\Tovex")) << "start-up does not delete";
  EXPECT_EQ(program.state.PreviousVersion, "7.1.3");
  EXPECT_EQ(program.state.PreviousInstallDir, "D:\\Mail\\");
  EXPECT_EQ(program.mainForm->Get("PathEdit").Caption(), "D:\\Mail\\");
  EXPECT_EQ(program.mainForm->Get("NameEdit").Text(), "Jane");
  EXPECT_EQ(program.mainForm->Get("CountryEdit").Text(), "Ireland");
  EXPECT_FALSE(machine.context.flags.NoInstallIM);
}

TEST(RegistryStartup, ComponentFlagsOfTheRecord) {
  fakes::FakeMachine machine;
  machine.files.AddFile("C:\\Setup\\setup.Dat", "data");
  const char* record = "\\Software\\Polvane\\Tovex Mail Server";
  machine.registry.SetInteger(HKLM, record, "NoInstallIM", 1);
  machine.registry.SetInteger(HKLM, record, "NoInstallCalendar", 1);
  machine.registry.SetString(HKLM, record, "NoInstallAV", "1");  // a text: not a flag
  machine.registry.SetString(HKLM, "\\Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir", "E:\\Apps");

  SetupProgram program(machine.context);
  machine.context.commandLine = ParseCommandLine({"/SILENT"});
  program.CreateForms();
  ASSERT_NO_THROW(program.ShowMainForm());
  EXPECT_TRUE(machine.context.flags.NoInstallIM);
  EXPECT_TRUE(machine.context.flags.NoInstallCalendar);
  EXPECT_FALSE(machine.context.flags.NoInstallAV);
  EXPECT_FALSE(machine.context.flags.NoInstallMail);
  EXPECT_EQ(program.mainForm->Get("PathEdit").Caption(), "E:\\Apps\\Tovex\\");
}

}  // namespace
}  // namespace tovex
