// The records the registry adapter carries, in Wine's real registry (the
// adapter's own contract: tests/wine/platform).
#include <gtest/gtest.h>

#include "system/odbc.h"
#include "system/registry_records.h"
#include "wine/system/wine_system_support.h"

namespace tovex {
namespace {

using wine_tests::KeyPresent;
using wine_tests::QueryValue;
using wine_tests::RealMachine;

constexpr auto HKLM = RegistryRoot::LocalMachine;

// The product's own keys in the session's prefix: one test, so that no other
// case of this suite sees them half made.
TEST(RegistryRecords, LandInTheRealRegistry) {
  RealMachine machine;
  Registry& registry = machine.registry;
  for (const char* key : {"\\Software\\Polvane", "\\Software\\Tovex", "\\Software\\PWEBMAIL",
                          "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tovex"})
    registry.DeleteKey(HKLM, key);

  // An old release's record, with a binary value far above 4,096 bytes.
  const std::string settings(20000, '\x5A');
  ASSERT_TRUE(registry.CreateKey(HKLM, "\\Software\\Tovex"));
  registry.WriteValue(HKLM, "\\Software\\Tovex", "Version", {RegistryValueType::String, "7.1.3"});
  registry.WriteValue(HKLM, "\\Software\\Tovex", "Settings", {RegistryValueType::Binary, settings});
  registry.WriteValue(HKLM, "\\Software\\Tovex", "TOVEXNotify", {RegistryValueType::Binary, "n"});

  MainFormRegistries registries(machine.context);
  MigrateRegistryRecords(machine.context, false);
  EXPECT_EQ(ReadMachineString(machine.context, "\\Software\\Polvane\\Tovex Mail Server", "Version"), "7.1.3");
  const std::string record = "Software\\Polvane\\Tovex Mail Server";
  DWORD type = 0;
  std::string data;
  const auto copied = registry.ReadValue(HKLM, record, "Settings");
  ASSERT_TRUE(copied);
  EXPECT_EQ(copied->type, RegistryValueType::Binary);
  EXPECT_EQ(copied->data, settings);
  EXPECT_TRUE(QueryValue(HKEY_LOCAL_MACHINE, record, "Notify", type, data));

  machine.context.InstallPath = "C:\\Program Files\\Tovex\\";
  machine.context.flags.NoInstallAV = true;
  EXPECT_TRUE(WriteComponentFlags(machine.context, registries.PathRegistry));
  WriteInstallationRecord(machine.context, registries, UserDetails{"Jane", "jane@example.org", "Example", "Ireland"});
  EXPECT_TRUE(machine.user.shown.empty());

  const std::string uninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tovex";
  for (const char* name : {"NoModify", "NoRepair"}) {
    ASSERT_TRUE(QueryValue(HKEY_LOCAL_MACHINE, uninstall, name, type, data)) << name;
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ)) << name;
    EXPECT_EQ(std::string(data.c_str()), "1") << name;
  }
  ASSERT_TRUE(QueryValue(HKEY_LOCAL_MACHINE, record, "NoInstallAV", type, data));
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(data, std::string("\x01\0\0\0", 4));

  // What an administrator sees with the registry tool.
  const std::string shown = wine_tests::CommandOutput("reg query \"HKLM\\" + uninstall + "\" 2>&1");
  for (const char* expected : {"DisplayName", "Tovex Mail Server 8.5.0-7", "UninstallString",
                               "\"C:\\Program Files\\Tovex\\wine_system.exe\" /UNINSTALL", "InstallLocation", "Publisher"})
    EXPECT_NE(shown.find(expected), std::string::npos) << expected << " in:\n" << shown;
  bool noModifyIsText = false;
  for (size_t at = shown.find("NoModify"); at != std::string::npos && !noModifyIsText; at = shown.find("NoModify", at + 1)) {
    const std::string line = shown.substr(at, shown.find('\n', at) - at);
    noModifyIsText = line.find("REG_SZ") != std::string::npos && line.find('1') != std::string::npos;
  }
  EXPECT_TRUE(noModifyIsText) << shown;
  const std::string installed = wine_tests::CommandOutput("reg query \"HKLM\\" + record + "\" 2>&1");
  EXPECT_NE(installed.find("Jane"), std::string::npos) << installed;
  EXPECT_NE(installed.find("8.5.0-7"), std::string::npos) << installed;

  // Leave the prefix as found for the other suites.
  for (const char* key : {"\\Software\\Polvane", "\\Software\\Tovex",
                          "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tovex"})
    EXPECT_TRUE(registry.DeleteKey(HKLM, key)) << key;
}

TEST(OdbcDataSources, AppearAsOdbcKeys) {
  RealMachine machine;
  Registry& registry = machine.registry;
  const std::string drivers = "\\SOFTWARE\\ODBC\\ODBCINST.INI";
  const std::string sources = "\\SOFTWARE\\ODBC\\ODBC.INI";
  const std::string driver = "Microsoft Access Driver (*.mdb)";
  // Wine ships no Access driver; record one the way its installer would, unless present.
  const bool driverWasThere = !registry.ReadValue(HKLM, drivers + "\\ODBC Drivers", driver) ? false : true;
  if (!driverWasThere) {
    registry.CreateKey(HKLM, drivers + "\\ODBC Drivers");
    registry.WriteValue(HKLM, drivers + "\\ODBC Drivers", driver, {RegistryValueType::String, "Installed"});
    registry.CreateKey(HKLM, drivers + "\\" + driver);
    registry.WriteValue(HKLM, drivers + "\\" + driver, "Driver",
                        {RegistryValueType::String, "C:\\windows\\system32\\odbcjt32.dll"});
  }
  for (const char* name : {kSpamChallengeDataSource, kCalendarDataSource}) {
    registry.DeleteKey(HKLM, sources + "\\" + name);
    registry.CreateKey(HKLM, sources + "\\ODBC Data Sources");
    registry.DeleteValue(HKLM, sources + "\\ODBC Data Sources", name);
  }

  const std::pair<const char*, const char*> dataSources[] = {
      {kSpamChallengeDataSource, "C:\\Tovex\\spam\\challenge.mdb"},
      {kCalendarDataSource, "C:\\Tovex\\calendar\\calendar.mdb"}};
  for (const auto& [name, file] : dataSources) {
    ASSERT_FALSE(DataSourceExists(machine.context, name));
    CreateAccessDataSource(machine.context, name, file);
    EXPECT_TRUE(DataSourceExists(machine.context, name));
  }
  for (const auto& [name, file] : dataSources) {
    const std::string key = "SOFTWARE\\ODBC\\ODBC.INI\\" + std::string(name);
    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(QueryValue(HKEY_LOCAL_MACHINE, key, "DBQ", type, data)) << name;
    EXPECT_EQ(std::string(data.c_str()), file);
    ASSERT_TRUE(QueryValue(HKEY_LOCAL_MACHINE, key, "DriverId", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(static_cast<unsigned char>(data[0]), 25);
    EXPECT_TRUE(KeyPresent(HKEY_LOCAL_MACHINE, key + "\\Engines\\Jet"));
    ASSERT_TRUE(QueryValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources", name, type, data));
    EXPECT_EQ(std::string(data.c_str()), driver);
  }

  // A data source the administrator moved elsewhere is left alone.
  registry.WriteValue(HKLM, sources + "\\" + kCalendarDataSource, "DBQ", {RegistryValueType::String, "D:\\moved.mdb"});
  if (!DataSourceExists(machine.context, kCalendarDataSource))
    CreateAccessDataSource(machine.context, kCalendarDataSource, "C:\\Tovex\\calendar\\calendar.mdb");
  EXPECT_EQ(registry.ReadValue(HKLM, sources + "\\" + kCalendarDataSource, "DBQ")->data, "D:\\moved.mdb");

  for (const char* name : {kSpamChallengeDataSource, kCalendarDataSource}) {
    registry.DeleteKey(HKLM, sources + "\\" + name);
    registry.DeleteValue(HKLM, sources + "\\ODBC Data Sources", name);
  }
  if (!driverWasThere) {
    registry.DeleteValue(HKLM, drivers + "\\ODBC Drivers", driver);
    registry.DeleteKey(HKLM, drivers + "\\" + driver);
  }
}

}  // namespace
}  // namespace tovex
