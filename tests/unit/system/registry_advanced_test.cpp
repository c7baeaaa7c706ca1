// TAdvancedRegistry against the fake registry: reads that never report,
// writes that tell a key failure from a value failure, OnError.
#include <gtest/gtest.h>

#include "fakes/fake_machine.h"
#include "system/advanced_registry.h"

namespace tovex {
namespace {

using fakes::FakeRegistry;
constexpr auto HKLM = RegistryRoot::LocalMachine;
constexpr const char* kKey = "\\Software\\Polvane\\Tovex Mail Server";

struct AdvancedRegistryTest : ::testing::Test {
  fakes::FakeMachine machine;
  TAdvancedRegistry registry{machine.context, "PathRegistry", TRegistryKey::hkLOCAL_MACHINE, "\\Software\\Polvane",
                             "Tovex Mail Server"};
  int errors = 0;
  void SetUp() override {
    registry.OnError = [this](TAdvancedRegistry& sender) {
      EXPECT_EQ(&sender, &registry);
      ++errors;
    };
  }
};

TEST_F(AdvancedRegistryTest, KeyPathIsAreaBackslashSection) {
  EXPECT_EQ(registry.KeyPath(), "\\Software\\Polvane\\Tovex Mail Server");
  registry.SetRegistrySection("ODBC.INI\\Engines\\Jet");
  EXPECT_EQ(registry.KeyPath(), "\\Software\\Polvane\\ODBC.INI\\Engines\\Jet");
}

TEST_F(AdvancedRegistryTest, ReadStringNeverReports) {
  EXPECT_EQ(registry.ReadString("Version"), "");
  EXPECT_EQ(errors, 1) << "a missing key raises OnError";

  machine.registry.SetString(HKLM, kKey, "Version", "8.3.16");
  machine.registry.SetInteger(HKLM, kKey, "Number", 7);
  EXPECT_EQ(registry.ReadString("version"), "8.3.16") << "value names ignore case";
  EXPECT_EQ(registry.ReadString("Missing"), "");
  EXPECT_EQ(errors, 1) << "a missing value is no error";
  EXPECT_EQ(registry.ReadString("Number"), "");
  EXPECT_EQ(errors, 2) << "a value of another type is a read failure";

  machine.registry.FailOn(FakeRegistry::Op::Read, HKLM, kKey, 5, "Version");
  EXPECT_EQ(registry.ReadString("Version"), "");
  EXPECT_EQ(errors, 3);
}

TEST_F(AdvancedRegistryTest, ReadBoolTrueOnlyForNonZeroIntegers) {
  machine.registry.SetInteger(HKLM, kKey, "One", 1);
  machine.registry.SetInteger(HKLM, kKey, "Zero", 0);
  machine.registry.SetInteger(HKLM, kKey, "Large", 0x80000000u);
  machine.registry.SetString(HKLM, kKey, "Text", "1");
  machine.registry.SetBinary(HKLM, kKey, "Bytes", std::string("\x01\x00\x00\x00", 4));
  const std::pair<const char*, bool> cases[] = {
      {"One", true}, {"Zero", false}, {"Large", true}, {"Text", false}, {"Bytes", false}, {"Missing", false},
  };
  for (const auto& [name, expected] : cases) EXPECT_EQ(registry.ReadBool(name), expected) << name;

  registry.SetRegistrySection("Nowhere");
  EXPECT_FALSE(registry.ReadBool("One"));
}

TEST_F(AdvancedRegistryTest, WritesCreateTheKeyAndStoreTypedValues) {
  EXPECT_EQ(registry.WriteString("Name", "Jane"), RegistryWrite::Written);
  EXPECT_EQ(registry.WriteInteger("Count", -2), RegistryWrite::Written);
  EXPECT_EQ(registry.WriteBool("NoInstallIM", true), RegistryWrite::Written);
  EXPECT_EQ(registry.WriteBool("NoInstallAV", false), RegistryWrite::Written);

  EXPECT_EQ(machine.registry.String(HKLM, kKey, "Name"), "Jane");
  const auto count = machine.registry.Value(HKLM, kKey, "Count");
  ASSERT_TRUE(count);
  EXPECT_EQ(count->type, RegistryValueType::Integer);
  EXPECT_EQ(count->data, std::string("\xFE\xFF\xFF\xFF", 4));
  EXPECT_EQ(machine.registry.Value(HKLM, kKey, "NoInstallIM")->data, std::string("\x01\0\0\0", 4));
  EXPECT_EQ(machine.registry.Value(HKLM, kKey, "NoInstallAV")->data, std::string(4, '\0'));
  EXPECT_TRUE(registry.ReadBool("NoInstallIM"));
  EXPECT_EQ(errors, 0);
}

TEST_F(AdvancedRegistryTest, KeyFailureRaisesOnErrorValueFailureIsReturned) {
  machine.registry.FailOn(FakeRegistry::Op::Create, HKLM, kKey, 5);
  EXPECT_EQ(registry.WriteString("Name", "Jane"), RegistryWrite::KeyUnavailable);
  EXPECT_EQ(errors, 1);
  EXPECT_FALSE(machine.registry.HasKey(HKLM, kKey));

  machine.registry.ClearFailures();
  machine.registry.FailOn(FakeRegistry::Op::Write, HKLM, kKey, 1021, "Name");
  EXPECT_EQ(registry.WriteString("Name", "Jane"), RegistryWrite::ValueFailed);
  EXPECT_EQ(errors, 1) << "a failing value write propagates instead";
  EXPECT_EQ(registry.WriteString("Email", "jane@example.org"), RegistryWrite::Written);
  EXPECT_EQ(WriteFailureText("Name"), "Failed to set data for 'Name'");
  EXPECT_NE(machine.log.Text().find("1021"), std::string::npos) << "the log names the code";
}

TEST_F(AdvancedRegistryTest, WithoutHandlerFailuresAreSilent) {
  registry.OnError = nullptr;
  machine.registry.FailOn(FakeRegistry::Op::Create, HKLM, kKey, 5);
  EXPECT_EQ(registry.WriteString("Name", "x"), RegistryWrite::KeyUnavailable);
  EXPECT_EQ(registry.ReadString("Name"), "");
  EXPECT_TRUE(machine.user.shown.empty());
}

TEST_F(AdvancedRegistryTest, DeleteKeyRemovesEverythingBelow) {
  machine.registry.SetString(HKLM, "\\Software\\Tovex\\Sub\\Deeper", "A", "1");
  machine.registry.SetString(HKLM, "\\Software\\Tovex", "B", "2");
  machine.registry.SetString(HKLM, "\\Software\\TovexOther", "C", "3");
  EXPECT_TRUE(registry.DeleteKey("\\Software\\Tovex"));
  EXPECT_FALSE(machine.registry.HasKey(HKLM, "\\Software\\Tovex\\Sub"));
  EXPECT_FALSE(machine.registry.HasKey(HKLM, "\\Software\\Tovex"));
  EXPECT_TRUE(machine.registry.HasKey(HKLM, "\\Software\\TovexOther")) << "a sibling with the same prefix stays";
  EXPECT_EQ(errors, 0);

  EXPECT_FALSE(registry.DeleteKey("\\Software\\Tovex"));
  EXPECT_EQ(errors, 1);
}

TEST_F(AdvancedRegistryTest, GetValueNamesCreatesTheKeyAndListsInOrder) {
  EXPECT_TRUE(registry.GetValueNames().empty());
  EXPECT_TRUE(machine.registry.HasKey(HKLM, kKey));
  machine.registry.SetString(HKLM, kKey, "Zeta", "");
  machine.registry.SetString(HKLM, kKey, "Alpha", "");
  EXPECT_EQ(registry.GetValueNames(), (std::vector<std::string>{"Zeta", "Alpha"}));

  registry.SetRegistrySection("Other");
  machine.registry.FailOn(FakeRegistry::Op::Create, HKLM, "\\Software\\Polvane\\Other", 5);
  EXPECT_TRUE(registry.GetValueNames().empty());
  EXPECT_EQ(errors, 1);
}

TEST_F(AdvancedRegistryTest, RootKeyReRootsTheAccessor) {
  registry.SetRegistryRootKey(TRegistryKey::hkCURRENT_USER);
  EXPECT_EQ(registry.RegistryRootKey(), TRegistryKey::hkCURRENT_USER);
  registry.WriteString("Where", "user");
  EXPECT_EQ(machine.registry.String(RegistryRoot::CurrentUser, kKey, "Where"), "user");
  EXPECT_FALSE(machine.registry.HasKey(HKLM, kKey));

  const std::pair<TRegistryKey, RegistryRoot> roots[] = {
      {TRegistryKey::hkCLASSES_ROOT, RegistryRoot::ClassesRoot},
      {TRegistryKey::hkCURRENT_USER, RegistryRoot::CurrentUser},
      {TRegistryKey::hkLOCAL_MACHINE, RegistryRoot::LocalMachine},
      {TRegistryKey::hkUSERS, RegistryRoot::Users},
      {TRegistryKey::hkPERFORMANCE_DATA, RegistryRoot::PerformanceData},
      {TRegistryKey::hkCURRENT_CONFIG, RegistryRoot::CurrentConfig},
      {TRegistryKey::hkDYN_DATA, RegistryRoot::DynData},
  };
  for (const auto& [key, root] : roots) EXPECT_EQ(ToRegistryRoot(key), root);
}

TEST_F(AdvancedRegistryTest, ScopedKeyRestoresAreaAndSection) {
  {
    ScopedRegistryKey other(registry, "\\Software\\Microsoft\\Windows", "CurrentVersion");
    EXPECT_EQ(registry.KeyPath(), "\\Software\\Microsoft\\Windows\\CurrentVersion");
  }
  EXPECT_EQ(registry.KeyPath(), kKey);
}

}  // namespace
}  // namespace tovex
