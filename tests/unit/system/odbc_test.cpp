// System data sources written straight into the ODBC registry records.
#include <gtest/gtest.h>

#include "fakes/fake_machine.h"
#include "system/odbc.h"

namespace tovex {
namespace {

using fakes::FakeRegistry;
constexpr auto HKLM = RegistryRoot::LocalMachine;
constexpr const char* kDrivers = "\\SOFTWARE\\ODBC\\ODBCINST.INI\\ODBC Drivers";
constexpr const char* kSources = "\\SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources";
constexpr const char* kSpam = "\\SOFTWARE\\ODBC\\ODBC.INI\\PolvaneSpamChallenge";
constexpr const char* kSpamJet = "\\SOFTWARE\\ODBC\\ODBC.INI\\PolvaneSpamChallenge\\Engines\\Jet";

struct OdbcTest : ::testing::Test {
  fakes::FakeMachine machine;
  FakeRegistry& registry = machine.registry;

  void Driver(const std::string& name, const std::string& library) {
    registry.SetString(HKLM, kDrivers, name, "Installed");
    registry.SetString(HKLM, std::string("\\SOFTWARE\\ODBC\\ODBCINST.INI\\") + name, "Driver", library);
  }
  uint32_t Integer(const char* key, const char* name) {
    auto value = registry.Value(HKLM, key, name);
    EXPECT_TRUE(value && value->type == RegistryValueType::Integer && value->data.size() == 4) << name;
    return value ? static_cast<uint8_t>(value->data[0]) | static_cast<uint8_t>(value->data[1]) << 8 : 0;
  }
};

TEST_F(OdbcTest, OneAccessDriverServesBothDataSources) {
  Driver("SQL Server", "C:\\Windows\\System32\\sqlsrv32.dll");
  Driver("Microsoft Access Driver (*.mdb)", "C:\\Windows\\System32\\odbcjt32.dll");
  for (const auto& [name, file] : {std::pair{kSpamChallengeDataSource, "C:\\Tovex\\spam\\challenge.mdb"},
                                   std::pair{kCalendarDataSource, "C:\\Tovex\\calendar\\calendar.mdb"}}) {
    EXPECT_FALSE(DataSourceExists(machine.context, name));
    CreateAccessDataSource(machine.context, name, file);
    EXPECT_TRUE(DataSourceExists(machine.context, name));
    EXPECT_EQ(registry.String(HKLM, kSources, name), "Microsoft Access Driver (*.mdb)");
    const std::string key = std::string("\\SOFTWARE\\ODBC\\ODBC.INI\\") + name;
    EXPECT_EQ(registry.String(HKLM, key, "DBQ"), file);
    EXPECT_EQ(registry.String(HKLM, key, "Driver"), "C:\\Windows\\System32\\odbcjt32.dll");
  }

  EXPECT_EQ(Integer(kSpam, "DriverId"), 25u);
  EXPECT_EQ(registry.String(HKLM, kSpam, "FIL"), "MS Access;");
  EXPECT_EQ(Integer(kSpam, "SafeTransactions"), 0u);
  EXPECT_EQ(registry.String(HKLM, kSpam, "UID"), "");
  EXPECT_EQ(registry.String(HKLM, kSpamJet, "ImplicitCommitSync"), "");
  EXPECT_EQ(Integer(kSpamJet, "MaxBufferSize"), 2048u);
  EXPECT_EQ(Integer(kSpamJet, "PageTimeout"), 5u);
  EXPECT_EQ(Integer(kSpamJet, "Threads"), 3u);
  EXPECT_EQ(registry.String(HKLM, kSpamJet, "UserCommitSync"), "Yes");

  const std::vector<std::string> order = {"ODBC Data Sources\\PolvaneSpamChallenge",
                                          "PolvaneSpamChallenge\\DBQ",
                                          "PolvaneSpamChallenge\\Driver",
                                          "PolvaneSpamChallenge\\DriverId",
                                          "PolvaneSpamChallenge\\FIL",
                                          "PolvaneSpamChallenge\\SafeTransactions",
                                          "PolvaneSpamChallenge\\UID",
                                          "PolvaneSpamChallenge\\Engines\\Jet\\ImplicitCommitSync",
                                          "PolvaneSpamChallenge\\Engines\\Jet\\MaxBufferSize",
                                          "PolvaneSpamChallenge\\Engines\\Jet\\PageTimeout",
                                          "PolvaneSpamChallenge\\Engines\\Jet\\Threads",
                                          "PolvaneSpamChallenge\\Engines\\Jet\\UserCommitSync"};
  ASSERT_GE(registry.writes.size(), order.size());
  for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(registry.writes[i], "SOFTWARE\\ODBC\\ODBC.INI\\" + order[i]);
}

TEST_F(OdbcTest, AnExistingDataSourceCountsAndAnEmptyOneDoesNot) {
  registry.SetString(HKLM, kSources, kCalendarDataSource, "Some Other Driver");
  registry.SetString(HKLM, kSources, kSpamChallengeDataSource, "");
  EXPECT_TRUE(DataSourceExists(machine.context, kCalendarDataSource));
  EXPECT_FALSE(DataSourceExists(machine.context, kSpamChallengeDataSource));
  EXPECT_FALSE(DataSourceExists(machine.context, "Elsewhere"));
}

TEST_F(OdbcTest, DriverNamesMatchIgnoringCaseFirstListedWins) {
  Driver("Other (*.txt)", "text.dll");
  Driver("ACCESS DRIVER (*.MDB, *.ACCDB)", "ace.dll");
  Driver("Microsoft Access Driver (*.mdb)", "jet.dll");
  CreateAccessDataSource(machine.context, kSpamChallengeDataSource, "C:\\db.mdb");
  EXPECT_EQ(registry.String(HKLM, kSources, kSpamChallengeDataSource), "ACCESS DRIVER (*.MDB, *.ACCDB)");
  EXPECT_EQ(registry.String(HKLM, kSpam, "Driver"), "ace.dll");
}

TEST_F(OdbcTest, NoAccessDriverWritesNothing) {
  Driver("SQL Server", "sqlsrv32.dll");
  registry.writes.clear();
  CreateAccessDataSource(machine.context, kSpamChallengeDataSource, "C:\\db.mdb");
  EXPECT_TRUE(registry.writes.empty());
  EXPECT_FALSE(DataSourceExists(machine.context, kSpamChallengeDataSource));
  EXPECT_TRUE(machine.user.shown.empty());

  fakes::FakeMachine bare;  // no ODBC records at all: the drivers key is created empty
  CreateAccessDataSource(bare.context, kSpamChallengeDataSource, "C:\\db.mdb");
  EXPECT_TRUE(bare.registry.writes.empty());
  EXPECT_TRUE(bare.registry.HasKey(HKLM, kDrivers));
}

TEST_F(OdbcTest, AMissingDriverRecordGivesAnEmptyLibraryPath) {
  registry.SetString(HKLM, kDrivers, "Microsoft Access Driver (*.mdb)", "Installed");
  CreateAccessDataSource(machine.context, kSpamChallengeDataSource, "C:\\db.mdb");
  EXPECT_EQ(registry.String(HKLM, kSpam, "Driver"), "");
  EXPECT_EQ(registry.String(HKLM, kSpamJet, "UserCommitSync"), "Yes");
}

TEST_F(OdbcTest, AFailingWriteEndsTheOperationSilently) {
  Driver("Microsoft Access Driver (*.mdb)", "jet.dll");
  registry.FailOn(FakeRegistry::Op::Write, HKLM, kSpam, 5, "FIL");
  CreateAccessDataSource(machine.context, kSpamChallengeDataSource, "C:\\db.mdb");
  EXPECT_EQ(registry.String(HKLM, kSpam, "Driver"), "jet.dll") << "values already written stay";
  EXPECT_FALSE(registry.Value(HKLM, kSpam, "SafeTransactions"));
  EXPECT_FALSE(registry.HasKey(HKLM, kSpamJet));
  EXPECT_TRUE(machine.user.shown.empty());
}

}  // namespace
}  // namespace tovex
