// settings.cfg and domains.cfg: loading with the defaults, saving, the older
// domain table inside settings.cfg, and damaged files.
#include "config_fixture.h"
#include "common/paths.h"
#include "localization/server_strings.h"
#include "upgrade/md5.h"

namespace tovex::testing {
namespace {

TEST(Scramble, TwiceWithTheSameStartRestoresTheBytes) {
  std::string bytes = "settings record bytes, longer than one key";
  const std::string original = bytes;
  for (size_t start : {0u, 8u, 15u}) {
    auto* data = reinterpret_cast<uint8_t*>(bytes.data());
    Scramble(data, bytes.size(), start);
    EXPECT_NE(bytes, original);
    Scramble(data, bytes.size(), start);
    EXPECT_EQ(bytes, original);
  }
  // The start position shifts the key: byte i of a start-8 run equals byte
  // i + 8 of a start-0 run over the same plain bytes.
  std::string zeros(32, '\0'), shifted(24, '\0');
  Scramble(reinterpret_cast<uint8_t*>(zeros.data()), zeros.size(), 0);
  Scramble(reinterpret_cast<uint8_t*>(shifted.data()), shifted.size(), 8);
  EXPECT_EQ(zeros.substr(8), shifted);
}

TEST_F(ConfigStoreTest, ShortSettingsFileKeepsTheDefaultsBeyondItsEnd) {
  SettingsRecord onDisk = DefaultSettingsRecord();
  SetText(onDisk.data(), settings::kHostName, "old.example.net");
  SetU16(onDisk.data(), settings::kWebPort, 8080);
  Put("settings.cfg", Scrambled(onDisk).substr(0, 20000));
  // What the record held before the load, beyond 20,000.
  store.Settings()[20500] = 0x5C;
  store.SetSettingsText(settings::kGroupWareUser, "kept-user");

  EXPECT_TRUE(store.LoadConfiguration());
  EXPECT_EQ(store.SettingsText(settings::kHostName), "old.example.net");
  EXPECT_EQ(GetU16(store.Settings().data(), settings::kWebPort), 8080);
  EXPECT_EQ(store.Settings()[20500], 0x5C);
  EXPECT_EQ(store.SettingsText(settings::kGroupWareUser), "kept-user");

  EXPECT_TRUE(store.SaveConfiguration());
  EXPECT_EQ(File("settings.cfg").size(), settings::kSize);
  EXPECT_EQ(Unscrambled<settings::kSize>(File("settings.cfg"))[20500], 0x5C);
}

TEST_F(ConfigStoreTest, MissingSettingsFileKeepsTheRecordAndAppliesTheDefaults) {
  store.SetSettingsText(settings::kHostName, "in.memory");
  EXPECT_FALSE(store.LoadConfiguration());
  EXPECT_EQ(store.SettingsText(settings::kHostName), "in.memory");
  EXPECT_EQ(store.SettingsText(settings::kTempFolder), "C:\\Tovex\\temp\\");
  EXPECT_EQ(store.SettingsText(settings::kDnsServers), "192.0.2.53;198.51.100.53");
  EXPECT_EQ(store.DomainCount(), 0);
}

TEST_F(ConfigStoreTest, NumericLoadDefaultsFillOnlyZeroFields) {
  struct Case {
    size_t offset, width;
    uint32_t value;
  };
  const Case cases[] = {
      {160, 2, 5229},   {167, 2, 5269},    {222, 4, 40},     {228, 2, 5222},   {230, 2, 5223},  {233, 4, 10},
      {242, 2, 300},    {248, 2, 636},     {250, 2, 389},    {252, 2, 366},    {1024, 2, 110},  {1026, 2, 995},
      {1028, 2, 25},    {1030, 2, 993},    {1036, 2, 32000}, {1038, 2, 143},   {1040, 2, 32001}, {1458, 2, 32768},
      {1461, 2, 465},   {1476, 1, 5},      {1544, 4, 8},     {1548, 4, 1},     {1552, 4, 256},  {1556, 4, 40},
      {1560, 4, 40},    {1564, 2, 40},     {1566, 2, 5000},  {7008, 1, 20},    {7010, 2, 45},   {7012, 4, 6},
      {7016, 4, 4},     {21372, 4, 40},    {21384, 2, 21},   {21386, 2, 990},  {21396, 4, 256}, {21400, 4, 256},
      {21404, 4, 256},  {21408, 4, 256},   {21412, 4, 256},  {21416, 4, 256},  {21420, 4, 256}, {21424, 4, 256},
      {21752, 4, 40},   {22124, 4, 40},    {22128, 4, 1},    {22136, 4, 1},    {22217, 2, 161}, {22219, 2, 13},
      {22831, 4, 1000}, {24755, 2, 5060},  {25666, 4, 10000}, {25670, 4, 64},  {26967, 4, 100}, {28047, 4, 5061},
      {28052, 4, 1800}, {28063, 4, 240},
  };
  auto read = [](const SettingsRecord& r, const Case& c) -> uint32_t {
    return c.width == 1 ? r[c.offset] : c.width == 2 ? GetU16(r.data(), c.offset) : GetU32(r.data(), c.offset);
  };
  SettingsRecord zeros{};
  Put("settings.cfg", Scrambled(zeros));
  store.LoadConfiguration();
  for (const auto& c : cases) EXPECT_EQ(read(store.Settings(), c), c.value) << "offset " << c.offset;

  // A value already there stays; the field's neighbours are not touched.
  SettingsRecord ones{};
  for (const auto& c : cases) {
    ones[c.offset] = 7;
  }
  Put("settings.cfg", Scrambled(ones));
  store.LoadConfiguration();
  for (const auto& c : cases) EXPECT_EQ(read(store.Settings(), c), 7u) << "offset " << c.offset;
}

TEST_F(ConfigStoreTest, StringLoadDefaultsAndRules) {
  struct Case {
    const char* what;
    TextField field;
    std::string stored, loaded;
  };
  const Case cases[] = {
      {"temp folder", settings::kTempFolder, "", "C:\\Tovex\\temp\\"},
      {"mail folder", settings::kMailFolder, "", "C:\\Tovex\\mail\\"},
      {"log folder", settings::kLogFolder, "D:\\logs", "D:\\logs\\"},
      {"server folder", settings::kServerFolder, "D:\\srv", "D:\\srv\\"},
      {"dns from the system", settings::kDnsServers, "", "192.0.2.53;198.51.100.53"},
      {"dns kept", settings::kDnsServers, "203.0.113.1", "203.0.113.1"},
      {"bounce sender", settings::kBounceSender, "", "MAILER-DAEMON"},
      {"bounce name", settings::kBounceSenderName, "", "Mail Delivery Subsystem"},
      {"trusted", settings::kTrustedAddresses, "", "127.0.0.1;192.168.*.*;10.*.*.*;172.16-31.*.*"},
      {"host list normalised", settings::kWebHostList, "a.example, b.example c", "a.example;b.examplec"},
      {"host name normalised", settings::kHostName, "mail example.com", "mailexample.com"},
      {"db connection normalised", settings::kDatabaseConnection, "DSN=x,UID=y", "DSN=x;UID=y"},
      {"list at 1048", {1048, 128}, "x, y", "x;y"},
      {"list at 3641", {3641, 256}, "p q", "pq"},
      {"list at 4577", {4577, 256}, "r,s", "r;s"},
      {"no comma or blank: as is", settings::kWebHostList, "web.example;b", "web.example;b"},
      {"groupware user", settings::kGroupWareUser, "", "gwsuperuser"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SettingsRecord record{};
    SetText(record.data(), settings::kGroupWareUser, "gw");
    SetText(record.data(), c.field, c.stored);
    Put("settings.cfg", Scrambled(record));
    store.LoadConfiguration();
    EXPECT_EQ(store.SettingsText(c.field), c.loaded);
  }
}

TEST_F(ConfigStoreTest, ForcedAndResetValuesOnLoad) {
  SettingsRecord record{};
  SetU32(record.data(), settings::kUploadLimit, 0x500001);
  record[settings::kSwitch1464] = 1;
  record[settings::kSwitch1444] = 1;
  record[settings::kPathSeparator] = '/';
  record[settings::kFileNameCleaning] = 2;
  Put("settings.cfg", Scrambled(record));
  store.LoadConfiguration();
  const auto& loaded = store.Settings();
  EXPECT_EQ(GetU32(loaded.data(), settings::kUploadLimit), 0u);
  EXPECT_EQ(loaded[settings::kSwitch1444], 0);
  EXPECT_EQ(loaded[settings::kPathSeparator], '\\');
  EXPECT_EQ(loaded[settings::kFileNameCleaning], 0);
  EXPECT_EQ(GetDouble(loaded.data(), settings::kInstallDate), 46366.0);  // the fake clock's today

  SetU32(record.data(), settings::kUploadLimit, 0x500000);
  Put("settings.cfg", Scrambled(record));
  store.LoadConfiguration();
  EXPECT_EQ(GetU32(store.Settings().data(), settings::kUploadLimit), 0x500000u);
}

TEST_F(ConfigStoreTest, GroupWarePasswordIsGeneratedOnlyWithTheUserName) {
  machine.clock.Advance((13 * 3600 + 14 * 60 + 15) * 1000ull);  // 2026-12-10 13:14:15
  SettingsRecord record{};
  Put("settings.cfg", Scrambled(record));
  store.LoadConfiguration();
  EXPECT_EQ(store.SettingsText(settings::kGroupWareUser), "gwsuperuser");
  // month 12, seconds 15, hour 13, day 10, minutes 14, then the random number
  EXPECT_EQ(FormatMonthSecondHourDayMinute(machine.clock.Now()), "1215131014");
  EXPECT_EQ(store.SettingsText(settings::kGroupWarePassword), Md5Hex("121513101412345"));

  SetText(record.data(), settings::kGroupWareUser, "admin-gw");
  SetText(record.data(), settings::kGroupWarePassword, "");
  Put("settings.cfg", Scrambled(record));
  store.LoadConfiguration();
  EXPECT_EQ(store.SettingsText(settings::kGroupWarePassword), "");
}

TEST_F(ConfigStoreTest, SaveThenLoadThenSaveGivesIdenticalBytes) {
  Put("settings.cfg", Scrambled(SettingsWithCount(2)));
  Put("domains.cfg", DomainsFile({"one.example", "two.example"}, {false, true}));
  store.LoadConfiguration();
  ASSERT_TRUE(store.SaveConfiguration());
  const std::string settingsBytes = File("settings.cfg");
  const std::string domainBytes = File("domains.cfg");

  ConfigurationStore again(machine.context.platform);
  again.SetConfigurationFolder(kConfig);
  again.SetRootFolder("C:\\Tovex\\");
  again.LoadConfiguration();
  ASSERT_TRUE(again.SaveConfiguration());
  EXPECT_EQ(File("settings.cfg"), settingsBytes);
  EXPECT_EQ(File("domains.cfg"), domainBytes);
  EXPECT_EQ(domainBytes, DomainsFile({"one.example", "two.example"}, {false, true}));
}

TEST_F(ConfigStoreTest, SavingIntoAMissingFolderCreatesIt) {
  store.SetConfigurationFolder("C:\\New\\Install\\config");
  EXPECT_TRUE(store.SaveConfiguration());
  EXPECT_TRUE(machine.files.FolderExists("C:\\New\\Install\\config"));
  EXPECT_EQ(machine.files.Content("C:\\New\\Install\\config\\settings.cfg")->size(), settings::kSize);
  EXPECT_EQ(machine.files.Content("C:\\New\\Install\\config\\domains.cfg"), "");
}

TEST_F(ConfigStoreTest, SaveReportsFailureWhenNothingWasWritten) {
  machine.files.FailOn(fakes::FakeFiles::Op::Write, std::string(kConfig) + "settings.cfg", oserr::kAccessDenied);
  machine.files.FailOn(fakes::FakeFiles::Op::Write, std::string(kConfig) + "domains.cfg", oserr::kAccessDenied);
  machine.files.FailOn(fakes::FakeFiles::Op::MakeFolder, "C:\\Tovex\\config", oserr::kAccessDenied);
  EXPECT_FALSE(store.SaveConfiguration());
  machine.files.ClearFailures();
  store.AddDomainName("a.example", 1);
  machine.files.SetWriteLimit(50);  // a full disk: neither file is written whole
  EXPECT_FALSE(store.SaveConfiguration());
}

TEST_F(ConfigStoreTest, DomainTableFromSettingsOfAnOlderRelease) {
  // The older table starts at 20,344 of the scrambled settings file.
  SettingsRecord record = SettingsWithCount(3);
  const std::string table = DomainsFile({"alpha.example", "beta.example", "gamma.example"});
  std::copy(table.begin(), table.end(), record.begin() + settings::kLegacyDomainTable);
  Put("settings.cfg", Scrambled(record));

  store.LoadConfiguration();
  ASSERT_EQ(store.DomainCount(), 3);
  EXPECT_EQ(store.DomainName(0), "alpha.example");
  EXPECT_EQ(store.DomainName(2), "gamma.example");
  EXPECT_TRUE(store.DomainExists("Beta.Example"));
  store.SaveConfiguration();
  EXPECT_EQ(File("domains.cfg"), table);
}

TEST_F(ConfigStoreTest, DomainCountTakenFromTheFileSizeWhenTheSettingsSayZero) {
  Put("settings.cfg", Scrambled(SettingsWithCount(0)));
  Put("domains.cfg", DomainsFile({"a.example", "b.example", "c.example", "d.example", "e.example"}));
  ASSERT_EQ(File("domains.cfg").size(), 480u);
  store.LoadConfiguration();
  EXPECT_EQ(store.DomainCount(), 5);
  EXPECT_EQ(store.DomainName(4), "e.example");
  EXPECT_EQ(store.DomainName(5), "");
  EXPECT_EQ(store.DomainName(-1), "");
  EXPECT_EQ(GetU32(store.Settings().data(), settings::kDomainCount), 5u);
}

TEST_F(ConfigStoreTest, DamagedFilesAreReadAsFarAsTheyGo) {
  const std::string five = DomainsFile({"a.example", "b.example", "c.example", "d.example", "e.example"});
  std::string longName = DomainsFile({"x"});
  longName[0] = static_cast<char>(200);  // a length byte beyond the entry
  std::fill(longName.begin() + 1, longName.end(), 'n');
  struct Case {
    const char* what;
    int32_t count;
    std::string domains;
    int expectedCount;
    std::string lastName;
  };
  const Case cases[] = {
      {"count above what the file holds", 1000000, five, 5, "e.example"},
      {"negative count", -7, five, 5, "e.example"},
      {"most negative count", INT32_MIN, five, 5, "e.example"},
      {"count below the file keeps the count", 2, five, 2, "b.example"},
      {"truncated entry is not a domain", 0, five.substr(0, 430), 4, "d.example"},
      {"empty file", 3, "", 0, ""},
      {"length byte past the entry", 1, longName, 1, std::string(94, 'n')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Put("settings.cfg", Scrambled(SettingsWithCount(c.count)));
    Put("domains.cfg", c.domains);
    store.LoadConfiguration();
    EXPECT_EQ(store.DomainCount(), c.expectedCount);
    EXPECT_EQ(store.DomainName(c.expectedCount - 1), c.lastName);
    EXPECT_TRUE(store.SaveConfiguration());
    EXPECT_EQ(File("domains.cfg").size(), static_cast<size_t>(c.expectedCount) * 96);
  }
  // Without domains.cfg the older table is bounded by settings.cfg's size.
  machine.files.Delete(std::string(kConfig) + "domains.cfg");
  for (int32_t count : {1000000, -1}) {
    Put("settings.cfg", Scrambled(SettingsWithCount(count)));
    store.LoadConfiguration();
    EXPECT_EQ(store.DomainCount(), count > 0 ? (28084 - 20344) / 96 : 0);
  }
  // An oversized settings file is read up to the record's size.
  Put("settings.cfg", Scrambled(SettingsWithCount(0)) + std::string(100000, 'z'));
  EXPECT_TRUE(store.LoadConfiguration());
}

TEST_F(ConfigStoreTest, InitTakesTheRootFolderWithItsBackslash) {
  for (const std::string root : {"C:\\Setup", "D:\\Mail\\"}) {
    SCOPED_TRACE(root);
    const std::string folder = IncludeTrailingBackslash(root);
    ConfigurationStore fresh(machine.context.platform);
    fresh.InitConfigurationStore(root);
    EXPECT_EQ(fresh.RootFolder(), folder);
    EXPECT_EQ(fresh.ConfigurationFolder(), folder + "config\\");
    EXPECT_EQ(fresh.WebFolder(), folder + "html\\");
    EXPECT_EQ(fresh.SettingsText(settings::kMailFolder), folder + "mail\\");
    EXPECT_EQ(fresh.Settings()[settings::kPathSeparator], '\\');
    EXPECT_EQ(GetDouble(fresh.Settings().data(), settings::kInstallDate), 46366.0);
  }
}

TEST_F(ConfigStoreTest, PathFileLinesAndComments) {
  machine.files.AddFolder("C:\\Setup\\config");
  machine.files.AddFile("C:\\Setup\\path.cfg",
                        "D:\\MailConfig   # the configuration\r\n"
                        "D:\\Web // the web folder\r\n"
                        "/* a block\r\n"
                        "over lines */\r\n"
                        "\r\n"
                        "line5\r\nline6\r\nline7\r\nline8\r\n"
                        "  webmail.example.com | 443  \r\n"
                        "host.example.com/*inline*/\r\n");
  ConfigurationStore fresh(machine.context.platform);
  fresh.InitConfigurationStore("C:\\Setup\\");
  EXPECT_FALSE(machine.files.FileExists("C:\\Setup\\path.cfg"));
  EXPECT_TRUE(machine.files.FileExists("C:\\Setup\\path.dat"));
  EXPECT_EQ(fresh.ConfigurationFolder(), "D:\\MailConfig\\");
  EXPECT_EQ(fresh.WebFolder(), "D:\\Web\\");
  fresh.LoadConfiguration();
  EXPECT_EQ(fresh.SettingsText(settings::kWebHostList), "webmail.example.com");
  EXPECT_EQ(fresh.SettingsText(settings::kHostName), "host.example.com");
  // The overrides apply on every later load.
  fresh.SetSettingsText(settings::kHostName, "changed");
  fresh.LoadConfiguration();
  EXPECT_EQ(fresh.SettingsText(settings::kHostName), "host.example.com");
}

// A folder without a configuration is no installation: its path files are
// neither read nor renamed.
TEST_F(ConfigStoreTest, PathFilesOnlyInAnInstallation) {
  machine.files.AddFile("C:\\Setup\\path.cfg", "D:\\MailConfig\r\n");
  ConfigurationStore fresh(machine.context.platform);
  fresh.InitConfigurationStore("C:\\Setup\\");
  EXPECT_TRUE(machine.files.FileExists("C:\\Setup\\path.cfg"));
  EXPECT_FALSE(machine.files.FileExists("C:\\Setup\\path.dat"));
  EXPECT_EQ(fresh.ConfigurationFolder(), "C:\\Setup\\config\\");
}

TEST_F(ConfigStoreTest, PathCfgDoesNotReplaceAnExistingPathDat) {
  machine.files.AddFolder("C:\\Setup\\config");
  machine.files.AddFile("C:\\Setup\\path.cfg", "D:\\Old\r\n");
  machine.files.AddFile("C:\\Setup\\path.dat", "D:\\New\r\n");
  ConfigurationStore fresh(machine.context.platform);
  fresh.InitConfigurationStore("C:\\Setup\\");
  EXPECT_EQ(fresh.ConfigurationFolder(), "D:\\New\\");
  EXPECT_TRUE(machine.files.FileExists("C:\\Setup\\path.cfg"));
}

TEST_F(ConfigStoreTest, ServerMessagesHookRunsWhenStringsDatIsThere) {
  std::vector<std::string> calls;
  store.readServerMessages = [&](const std::string& path) { calls.push_back(path); };
  store.LoadConfiguration();
  EXPECT_TRUE(calls.empty());
  Put("strings.dat", "stApprovalRequest='x'\r\n");
  store.LoadConfiguration();
  EXPECT_EQ(calls, std::vector<std::string>{std::string(kConfig) + "strings.dat"});

  ServerStrings serverStrings;
  store.ReadServerMessagesInto(machine.stringTable, serverStrings);
  store.LoadConfiguration();
  EXPECT_EQ(serverStrings.Text("stApprovalRequest"), "x");
}

}  // namespace
}  // namespace tovex::testing
