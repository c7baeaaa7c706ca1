// The installation record, the uninstall entry, the migration of older keys
// and start-up's reads, against the fake registry.
#include <gtest/gtest.h>

#include "fakes/fake_machine.h"
#include "system/registry_records.h"

namespace tovex {
namespace {

using fakes::FakeRegistry;
constexpr auto HKLM = RegistryRoot::LocalMachine;
constexpr const char* kOld = "\\Software\\Tovex";
constexpr const char* kOldWebMail = "\\Software\\PWEBMAIL";
constexpr const char* kRecord = "\\Software\\Polvane\\Tovex Mail Server";
constexpr const char* kWebMail = "\\Software\\Polvane\\Polvane Web Mail";
constexpr const char* kUninstall = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tovex";

struct RegistryRecordsTest : ::testing::Test {
  fakes::FakeMachine machine;
  FakeRegistry& registry = machine.registry;

  void OldServerRecord() {
    registry.SetString(HKLM, kOld, "InstallDir", "C:\\Tovex\\");
    registry.SetString(HKLM, kOld, "Version", "7.1.3");
    registry.SetString(HKLM, kOld, "Name", "Jane");
    registry.SetString(HKLM, kOld, "Country", "Ireland");
    registry.SetBinary(HKLM, kOld, "DNSQuery", "dns");
    registry.SetBinary(HKLM, kOld, "SMTPTest", "");
    registry.SetBinary(HKLM, kOld, "TOVEXNotify", "notify-bytes");
  }
};

TEST_F(RegistryRecordsTest, MigrationCopiesTheOldServerKeyAndKeepsIt) {
  OldServerRecord();
  MigrateRegistryRecords(machine.context, false);

  EXPECT_EQ(registry.String(HKLM, kRecord, "InstallDir"), "C:\\Tovex\\");
  EXPECT_EQ(registry.String(HKLM, kRecord, "Version"), "7.1.3");
  EXPECT_EQ(registry.String(HKLM, kRecord, "Email"), "") << "a missing text is copied empty";
  EXPECT_EQ(registry.String(HKLM, kRecord, "Company"), "");
  EXPECT_EQ(registry.Value(HKLM, kRecord, "DNSQuery")->data, "dns");
  EXPECT_FALSE(registry.Value(HKLM, kRecord, "Settings")) << "missing binary values are not written";
  EXPECT_FALSE(registry.Value(HKLM, kRecord, "SMTPTest")) << "nor empty ones";
  const auto notify = registry.Value(HKLM, kRecord, "Notify");
  ASSERT_TRUE(notify);
  EXPECT_EQ(notify->type, RegistryValueType::Binary);
  EXPECT_EQ(notify->data, "notify-bytes");
  EXPECT_FALSE(registry.Value(HKLM, kRecord, "TOVEXNotify"));
  EXPECT_TRUE(registry.HasKey(HKLM, kOld)) << "start-up keeps the old key";
  EXPECT_FALSE(registry.HasKey(HKLM, kWebMail));
  EXPECT_EQ(registry.writes.front(), "Software\\Polvane\\Tovex Mail Server\\InstallDir");
}

TEST_F(RegistryRecordsTest, MigrationWithDeletionRemovesBothOldKeys) {
  OldServerRecord();
  registry.SetString(HKLM, kOldWebMail, "Version", "3.1");
  registry.SetString(HKLM, kOldWebMail, "InstallDir", "C:\\WebMail\\");
  MigrateRegistryRecords(machine.context, true);
  EXPECT_EQ(registry.String(HKLM, kWebMail, "Version"), "3.1");
  EXPECT_EQ(registry.String(HKLM, kWebMail, "InstallDir"), "C:\\WebMail\\");
  EXPECT_EQ(registry.String(HKLM, kWebMail, "Name"), "");
  EXPECT_FALSE(registry.HasKey(HKLM, kOld));
  EXPECT_FALSE(registry.HasKey(HKLM, kOldWebMail));
}

TEST_F(RegistryRecordsTest, NothingHappensOnceSoftwarePolvaneExists) {
  OldServerRecord();
  registry.AddKey(HKLM, "\\Software\\Polvane");  // even empty
  MigrateRegistryRecords(machine.context, true);
  EXPECT_TRUE(registry.writes.empty());
  EXPECT_TRUE(registry.HasKey(HKLM, kOld));
  EXPECT_FALSE(registry.HasKey(HKLM, kRecord));
}

TEST_F(RegistryRecordsTest, BinaryValuesOfAnySizeAreCopied) {
  std::string large(70000, '\0');
  for (size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 7);
  registry.SetBinary(HKLM, kOld, "Settings", large);
  registry.SetBinary(HKLM, kOld, "TOVEXNotify", "after");
  MigrateRegistryRecords(machine.context, false);
  EXPECT_EQ(registry.Value(HKLM, kRecord, "Settings")->data, large);
  EXPECT_EQ(registry.Value(HKLM, kRecord, "Notify")->data, "after");
}

TEST_F(RegistryRecordsTest, AValueOfAnotherTypeIsLeftOutAndTheRestCopied) {
  OldServerRecord();
  registry.SetString(HKLM, kOld, "Settings", "not binary");
  registry.SetInteger(HKLM, kOld, "Email", 3);
  registry.SetString(HKLM, kOldWebMail, "Version", "3.1");
  MigrateRegistryRecords(machine.context, true);
  EXPECT_FALSE(registry.Value(HKLM, kRecord, "Settings"));
  EXPECT_FALSE(registry.Value(HKLM, kRecord, "Email"));
  EXPECT_EQ(registry.String(HKLM, kRecord, "Company"), "") << "later texts still copied";
  EXPECT_EQ(registry.Value(HKLM, kRecord, "Notify")->data, "notify-bytes");
  EXPECT_EQ(registry.String(HKLM, kWebMail, "Version"), "3.1");
}

TEST_F(RegistryRecordsTest, AFailingWriteStopsTheMigrationAndKeepsTheOldKey) {
  OldServerRecord();
  registry.SetString(HKLM, kOldWebMail, "Version", "3.1");
  registry.FailOn(FakeRegistry::Op::Write, HKLM, kRecord, 5, "Name");
  MigrateRegistryRecords(machine.context, true);
  EXPECT_EQ(registry.String(HKLM, kRecord, "Version"), "7.1.3") << "what was copied stays";
  EXPECT_FALSE(registry.Value(HKLM, kRecord, "Country"));
  EXPECT_TRUE(registry.HasKey(HKLM, kOld)) << "not deleted after an incomplete copy";
  EXPECT_FALSE(registry.HasKey(HKLM, kWebMail));
  EXPECT_TRUE(machine.user.shown.empty());
}

TEST_F(RegistryRecordsTest, MainFormInstances) {
  MainFormRegistries registries(machine.context);
  struct Row {
    TAdvancedRegistry& instance;
    const char* name;
    TRegistryKey root;
    const char* key;
  } rows[] = {
      {registries.AdvancedRegistry, "AdvancedRegistry", TRegistryKey::hkCURRENT_USER,
       "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"},
      {registries.AdvancedRegistryInstall, "AdvancedRegistryInstall", TRegistryKey::hkLOCAL_MACHINE, kUninstall},
      {registries.PathRegistry, "PathRegistry", TRegistryKey::hkLOCAL_MACHINE, "\\Software\\Tovex"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.instance.Name(), row.name);
    EXPECT_EQ(row.instance.RegistryRootKey(), row.root) << row.name;
    EXPECT_EQ(row.instance.KeyPath(), row.key);
    EXPECT_FALSE(row.instance.OnError) << "no handler: failures are silent";
  }
}

TEST_F(RegistryRecordsTest, StartupReadsGoThroughTheKeysParentAndName) {
  registry.SetString(HKLM, kRecord, "Version", "8.3.16");
  registry.SetInteger(HKLM, kRecord, "NoInstallIM", 1);
  registry.SetInteger(HKLM, kRecord, "NoInstallAV", 0);
  registry.SetString(HKLM, kRecord, "NoInstallMail", "1");
  registry.SetString(HKLM, "\\Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir", "D:\\Apps");
  SetupContext& c = machine.context;
  EXPECT_EQ(ReadMachineString(c, kRecord, "Version"), "8.3.16");
  EXPECT_EQ(ReadMachineString(c, kRecord, "Missing"), "");
  EXPECT_EQ(ReadMachineString(c, kWebMail, "Version"), "") << "no such key";
  EXPECT_EQ(ReadMachineString(c, "\\Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir"), "D:\\Apps");
  EXPECT_TRUE(ReadMachineBool(c, kRecord, "NoInstallIM"));
  EXPECT_FALSE(ReadMachineBool(c, kRecord, "NoInstallAV"));
  EXPECT_FALSE(ReadMachineBool(c, kRecord, "NoInstallMail")) << "a flag stored as a text reads false";
  EXPECT_FALSE(ReadMachineBool(c, kRecord, "NoInstallIAS"));
  registry.FailOn(FakeRegistry::Op::Open, HKLM, kRecord, 5);
  EXPECT_EQ(ReadMachineString(c, kRecord, "Version"), "") << "an unreadable key reads empty";
  EXPECT_TRUE(registry.writes.empty()) << "reads never create keys";
  EXPECT_TRUE(machine.user.shown.empty());
}

TEST_F(RegistryRecordsTest, ComponentFlagsAreWrittenInOrderAndStopAtAFailure) {
  MainFormRegistries registries(machine.context);
  machine.context.flags.NoInstallWebMail = true;
  machine.context.flags.NoInstallControl = true;
  EXPECT_TRUE(WriteComponentFlags(machine.context, registries.PathRegistry));
  const std::vector<std::string> order = {"NoInstallIM", "NoInstallWebMail", "NoInstallCalendar", "NoInstallAV",
                                          "NoInstallIAS", "NoInstallMail", "NoInstallControl"};
  ASSERT_EQ(registry.writes.size(), order.size());
  for (size_t i = 0; i < order.size(); ++i)
    EXPECT_EQ(registry.writes[i], std::string("Software\\Polvane\\Tovex Mail Server\\") + order[i]);
  EXPECT_EQ(registry.Value(HKLM, kRecord, "NoInstallWebMail")->data, std::string("\x01\0\0\0", 4));
  EXPECT_EQ(registry.Value(HKLM, kRecord, "NoInstallIM")->data, std::string(4, '\0'));

  fakes::FakeMachine failing;
  MainFormRegistries failingRegistries(failing.context);
  failing.registry.FailOn(FakeRegistry::Op::Write, HKLM, kRecord, 5, "NoInstallAV");
  EXPECT_FALSE(WriteComponentFlags(failing.context, failingRegistries.PathRegistry));
  EXPECT_EQ(failing.registry.writes.size(), 3u);
  EXPECT_TRUE(failing.user.shown.empty());
}

struct InstallationRecordTest : RegistryRecordsTest {
  MainFormRegistries registries{machine.context};
  UserDetails user{"Jane", "jane@example.org", "Example", "Ireland"};
  void SetUp() override {
    machine.context.InstallPath = "C:\\Program Files\\Tovex\\";
    machine.system.programPath = "C:\\Setup\\tovexsetup.exe";
  }
};

TEST_F(InstallationRecordTest, WritesTheUninstallEntryThenTheRecord) {
  WriteInstallationRecord(machine.context, registries, user);
  const std::pair<const char*, const char*> entry[] = {
      {"DisplayName", "Tovex Mail Server 8.5.0-7"},
      {"UninstallString", "\"C:\\Program Files\\Tovex\\tovexsetup.exe\" /UNINSTALL"},
      {"DisplayIcon", "C:\\Program Files\\Tovex\\config.exe"},
      {"DisplayVersion", "8.5.0-7"},
      {"InstallLocation", "C:\\Program Files\\Tovex\\"},
      {"NoModify", "1"},
      {"NoRepair", "1"},
      {"Publisher", "Polvane"},
      {"URLInfoAbout", kMakerHost},
  };
  const std::pair<const char*, const char*> record[] = {
      {"InstallDir", "C:\\Program Files\\Tovex\\"}, {"Name", "Jane"},       {"Email", "jane@example.org"},
      {"Company", "Example"},                       {"Country", "Ireland"}, {"Version", "8.5.0-7"},
  };
  std::vector<std::string> expectedOrder;
  for (const auto& [name, value] : entry) {
    const auto stored = registry.Value(HKLM, kUninstall, name);
    ASSERT_TRUE(stored) << name;
    EXPECT_EQ(stored->type, RegistryValueType::String) << name << " is a text, also NoModify and NoRepair";
    EXPECT_EQ(stored->data, value) << name;
    expectedOrder.push_back(std::string(kUninstall + 1) + "\\" + name);
  }
  for (const auto& [name, value] : record) {
    EXPECT_EQ(registry.String(HKLM, kRecord, name), value) << name;
    expectedOrder.push_back(std::string(kRecord + 1) + "\\" + name);
  }
  EXPECT_EQ(registry.writes, expectedOrder);
  EXPECT_TRUE(machine.user.shown.empty());
}

TEST_F(InstallationRecordTest, LocalizedProductNameInDisplayName) {
  machine.strings.cName = "Serveur Tovex";
  WriteInstallationRecord(machine.context, registries, user);
  EXPECT_EQ(registry.String(HKLM, kUninstall, "DisplayName"), "Serveur Tovex 8.5.0-7");
}

TEST_F(InstallationRecordTest, AFailingValueWriteIsFatal) {
  registry.FailOn(FakeRegistry::Op::Write, HKLM, kUninstall, 1021, "DisplayIcon");
  try {
    WriteInstallationRecord(machine.context, registries, user);
    FAIL() << "the process should have ended";
  } catch (const ProcessEnded& ended) {
    EXPECT_EQ(ended.exitCode, kExitFatal);
  }
  ASSERT_EQ(machine.user.shown.size(), 1u);
  const auto& box = machine.user.shown[0];
  EXPECT_EQ(box.caption, "Error");
  EXPECT_EQ(box.icon, MessageIcon::Error);
  EXPECT_EQ(box.text, "Registry error: Failed to set data for 'DisplayIcon'" + machine.strings.cErrorText);
  EXPECT_FALSE(registry.Value(HKLM, kUninstall, "DisplayVersion")) << "nothing after the failure";
  EXPECT_FALSE(registry.HasKey(HKLM, kRecord));
}

TEST_F(InstallationRecordTest, AKeyThatCannotBeCreatedIsSkippedSilently) {
  registry.FailOn(FakeRegistry::Op::Create, HKLM, kUninstall, 5);
  WriteInstallationRecord(machine.context, registries, user);
  EXPECT_TRUE(machine.user.shown.empty());
  EXPECT_FALSE(registry.HasKey(HKLM, kUninstall));
  EXPECT_EQ(registry.String(HKLM, kRecord, "Version"), "8.5.0-7") << "the installation record is still written";
}

}  // namespace
}  // namespace tovex
