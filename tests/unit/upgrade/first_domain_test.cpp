// The primary domain and its administrator from the configuration wizard's
// answers: the records byte for byte, the domain table, the store's calls in
// their order, the modules' reload message, and the input that is refused.
#include "config_fixture.h"
#include "upgrade/first_domain.h"

namespace tovex::testing {
namespace {

using Args = std::vector<LibraryArgument>;

class FirstDomainTest : public ConfigStoreTest {
 protected:
  FirstDomainTest() {
    machine.context.InstallPath = "C:\\Tovex\\";
    // The server's modules running as windowed programs.
    machine.windows.Open("TSMTPForm", "SMTP");
    machine.windows.Open("TPOP3Form", "POP3");
    machine.windows.Open("TControlForm", "Control");
    machine.windows.Open("TIMForm", "Instant Messaging");
    machine.windows.Open("TGroupWareForm", "GroupWare");
  }
  // A configuration with these domains, entry 0 the primary one.
  void Configure(const std::vector<std::string>& domains, uint8_t passwordEncryption = 0) {
    SettingsRecord record = SettingsWithCount(static_cast<int32_t>(domains.size()));
    record[settings::kPasswordEncryption] = passwordEncryption;
    SetText(record.data(), settings::kHostName, "old-host.example");
    Put("settings.cfg", Scrambled(record));
    Put("domains.cfg", DomainsFile(domains));
  }
  // A db.dll that holds the domains, and a configuration in database mode.
  void ConfigureDatabase(const std::vector<std::string>& domains) {
    auto ok = [](Args&) { return 1; };
    machine.libraries.Define(
        "C:\\Tovex\\db.dll",
        {{"DBSetConnection", ok},
         {"DBReloadConfig", ok},
         {"DBGetDomainCount", [domains](Args&) { return static_cast<int32_t>(domains.size()); }},
         {"DBGetDomains",
          [domains](Args& a) {
            const std::string table = DomainsFile(domains);
            a[0].text.replace(0, std::min(table.size(), a[0].text.size()), table.substr(0, a[0].text.size()));
            return static_cast<int32_t>(domains.size());
          }},
         {"DBAddDomain", ok},
         {"DBSetDomain", ok},
         {"DBMakeDomainPrimary", ok},
         {"DBSetDomainIP", ok},
         {"DBSaveUsers", [](Args&) { return 0; }},
         {"DBDoneConnection", ok}});
    SettingsRecord record = SettingsWithCount(0);
    record[settings::kAccountStorage] = settings::kStorageDatabase;
    Put("settings.cfg", Scrambled(record));
  }
  void Apply(const std::string& host, const std::string& domain, const std::string& user, const std::string& password) {
    ApplyWizardResult(machine.context, store, WizardAnswers{host, domain, user, password});
  }
  std::vector<std::string> Reloads() const {
    std::vector<std::string> titles;
    for (const auto& m : machine.windows.sent) {
      titles.push_back(m.title + " " + std::to_string(m.message) + "," + std::to_string(m.first) + "," +
                       std::to_string(m.second));
    }
    return titles;
  }
  SettingsRecord SavedSettings() { return Unscrambled<settings::kSize>(File("settings.cfg")); }
};

const std::vector<std::string> kAllReloaded = {"SMTP 1280,0,0", "POP3 1280,0,0", "Instant Messaging 1280,0,0",
                                               "GroupWare 1280,0,0"};

TEST_F(FirstDomainTest, NewDomainBecomesPrimaryWithItsRecordAndAdministrator) {
  Configure({"one.example", "two.example"});
  Apply("  mail.Sales.Example  ", " Sales.Example ", " jane ", " p w ");

  // The new domain took entry 2, then swapped places with the primary one.
  EXPECT_EQ(File("domains.cfg"), DomainsFile({"sales.example", "two.example", "one.example"}));
  const SettingsRecord settings = SavedSettings();
  EXPECT_EQ(GetText(settings.data(), settings::kHostName), "mail.Sales.Example");
  EXPECT_EQ(GetU32(settings.data(), settings::kDomainCount), 3u);
  for (const TextField folder : {settings::kTempFolder, settings::kMailFolder, settings::kLogFolder}) {
    EXPECT_EQ(GetText(settings.data(), folder), "");
  }

  DomainRecord domain{};
  domain[128] = 68;
  const std::string reserved = "postmaster;admin;administrator;supervisor;hostmaster;webmaster;abuse";
  std::copy(reserved.begin(), reserved.end(), domain.begin() + 129);
  const std::string admin = "jane@Sales.Example";
  domain[384] = static_cast<uint8_t>(admin.size());
  std::copy(admin.begin(), admin.end(), domain.begin() + 385);
  EXPECT_EQ(File("sales.example\\domain.cfg"), Scrambled(domain));

  AccountRecord user{};
  auto put = [&user](size_t at, const std::string& text) {
    user[at] = static_cast<uint8_t>(text.size());
    std::copy(text.begin(), text.end(), user.begin() + static_cast<ptrdiff_t>(at + 1));
  };
  put(4, "Jane");
  put(260, "jane");
  put(516, "jane");
  put(772, " p w ");  // the password is kept as typed
  put(1028, "Sales.Example\\jane\\");
  user[1284] = 1;
  EXPECT_EQ(File("sales.example\\users.cfg"), Scrambled(user));
  EXPECT_FALSE(Exists("one.example\\users.cfg"));

  EXPECT_EQ(Reloads(), kAllReloaded);
}

TEST_F(FirstDomainTest, FirstDomainOfAnEmptyConfiguration) {
  Apply("host", "example.com", "Admin", "");
  EXPECT_EQ(File("domains.cfg"), DomainsFile({"example.com"}));
  const auto user = Unscrambled<account::kSize>(File("example.com\\users.cfg"));
  EXPECT_EQ(GetText(user.data(), account::kDisplayName), "Admin");
  EXPECT_EQ(GetText(user.data(), account::kPassword), "");
}

TEST_F(FirstDomainTest, StoreCallsRunInOrderAndTheLibraryIsReleased) {
  ConfigureDatabase({"old.example"});
  Apply("host", "new.example", "admin", "pw");
  EXPECT_EQ(machine.libraries.CalledEntries(),
            (std::vector<std::string>{"DBSetConnection", "DBReloadConfig", "DBGetDomainCount", "DBGetDomains",
                                      "DBAddDomain", "DBSetDomain", "DBSetDomainIP", "DBSetDomainIP",
                                      "DBMakeDomainPrimary", "DBSaveUsers", "DBDoneConnection"}));
  const auto& calls = machine.libraries.calls;
  EXPECT_EQ(calls[5].arguments[0].text, "new.example");  // the record went to the new domain's entry
  EXPECT_EQ(calls[8].arguments[0].text, "new.example");  // then it became the primary one
  EXPECT_EQ(calls[9].arguments[0].text, "new.example");  // and the account went there
  EXPECT_EQ(machine.libraries.LoadedCount(), 0);
  EXPECT_EQ(Reloads(), kAllReloaded);
}

TEST_F(FirstDomainTest, ExistingDomainWritesNothingAndStillReleasesTheLibrary) {
  const struct {
    const char* typed;
    const char* subdomains;  // subdomains.dat, or nothing
  } cases[] = {{"OLD.example", nullptr}, {" old.example ", nullptr}, {"mail.old.example", "mail.old.example=old.example\r\n"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    machine.libraries.calls.clear();
    machine.windows.sent.clear();
    ConfigureDatabase({"old.example"});
    if (c.subdomains != nullptr) Put("subdomains.dat", c.subdomains);
    const std::string settingsBefore = File("settings.cfg");
    Apply("new-host", c.typed, "admin", "pw");
    EXPECT_EQ(File("settings.cfg"), settingsBefore);
    EXPECT_FALSE(Exists("domains.cfg"));
    EXPECT_FALSE(Exists("mail.old.example"));
    EXPECT_EQ(machine.libraries.CalledEntries(),
              (std::vector<std::string>{"DBSetConnection", "DBReloadConfig", "DBGetDomainCount", "DBGetDomains",
                                        "DBDoneConnection"}));
    EXPECT_EQ(machine.libraries.LoadedCount(), 0);
    EXPECT_TRUE(Reloads().empty());
  }
}

TEST_F(FirstDomainTest, UnwritableSettingsMeanNoReloadButTheAccountIsStillCreated) {
  Configure({"one.example"});
  machine.files.FailOn(fakes::FakeFiles::Op::Write, std::string(kConfig) + "settings.cfg", 5);
  machine.files.FailOn(fakes::FakeFiles::Op::Write, std::string(kConfig) + "domains.cfg", 5);
  Apply("host", "new.example", "admin", "pw");
  EXPECT_TRUE(Reloads().empty());
  EXPECT_TRUE(Exists("new.example\\domain.cfg"));
  EXPECT_TRUE(Exists("new.example\\users.cfg"));
}

TEST_F(FirstDomainTest, PasswordIsEncipheredWhenTheSettingsSaySo) {
  Configure({"one.example"}, 1);
  Apply("host", "new.example", "admin", "s3cret pass");
  const auto stored = Unscrambled<account::kSize>(File("new.example\\users.cfg"));
  EXPECT_EQ(GetText(stored.data(), account::kPassword).rfind("~#1", 0), 0u);
  AccountCursor cursor;
  store.OpenAccounts("new.example", cursor);
  ASSERT_FALSE(store.NextAccount(cursor));
  EXPECT_EQ(GetText(cursor.record.data(), account::kPassword), "s3cret pass");
  store.CloseAccounts(cursor);
}

TEST_F(FirstDomainTest, AccountFieldsFromTheUserName) {
  const std::string longName(300, 'u');
  const struct {
    std::string user;
    std::string display, aliases, userName, mailbox;
  } cases[] = {
      {"jane", "Jane", "jane", "jane", "Ex.Com\\jane\\"},
      {"Jane", "Jane", "Jane", "Jane", "Ex.Com\\Jane\\"},
      {"\xE9lan", "\xE9lan", "\xE9lan", "\xE9lan", "Ex.Com\\\xE9lan\\"},  // only a to z change case
      {"1st", "1st", "1st", "1st", "Ex.Com\\1st\\"},
      {"we?b*master", "We?b*master", "we?b*master", "we?b*master", "Ex.Com\\webmaster\\"},
      {"a<b>|\"c", "A<b>|\"c", "a<b>|\"c", "a<b>|\"c", "Ex.Com\\abc\\"},
      {"first;second", "First;second", "first;second", "first;second", "Ex.Com\\first\\"},
      {longName, "U" + longName.substr(1, 253), longName.substr(0, 255), longName.substr(0, 127),
       "Ex.Com\\" + longName.substr(0, 120)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.user);
    const AccountRecord record = NewAdministratorAccount("Ex.Com", c.user.substr(0, 255), "pw", 0);
    EXPECT_EQ(record[account::kType], 0);
    EXPECT_EQ(GetText(record.data(), account::kDisplayName), c.display);
    EXPECT_EQ(GetText(record.data(), account::kAliases), c.aliases);
    EXPECT_EQ(GetText(record.data(), account::kUserName), c.userName);
    EXPECT_EQ(GetText(record.data(), account::kMailboxPath), c.mailbox);
    EXPECT_EQ(record[account::kActive], 1);
  }
}

TEST_F(FirstDomainTest, MailboxPathCleaningByMode) {
  const std::string path = "a\"*/<>?|\\b\x01\xFF";
  EXPECT_EQ(CleanMailboxPath(path, 0), "a\\b\x01\xFF");
  EXPECT_EQ(CleanMailboxPath(path, 1), "a/\\b\x01\xFF");
  EXPECT_EQ(CleanMailboxPath(path, 2), path);
}

TEST_F(FirstDomainTest, LongAnswersAreCut) {
  const std::string domain = std::string(250, 'd') + ".com";  // 254 characters
  Apply(std::string(200, 'h'), domain + "xyz", "admin", std::string(200, 'p'));
  EXPECT_EQ(GetText(SavedSettings().data(), settings::kHostName), std::string(127, 'h'));
  // The table keeps 94 characters of the name; the record and the account
  // live in that domain's folder.
  const std::string entry = domain.substr(0, 94);
  EXPECT_EQ(store.DomainName(0), entry);
  const auto record = Unscrambled<domain_record::kSize>(File(entry + "\\domain.cfg"));
  EXPECT_EQ(GetText(record.data(), domain_record::kAdministrator), ("admin@" + domain + "xyz").substr(0, 255));
  const auto user = Unscrambled<account::kSize>(File(entry + "\\users.cfg"));
  EXPECT_EQ(GetText(user.data(), account::kPassword), std::string(127, 'p'));
  EXPECT_EQ(GetText(user.data(), account::kMailboxPath), (domain.substr(0, 255)).substr(0, 127));
}

// Names that would lead out of config\ or out of the domain's mail folder
// are refused; what a folder merely cannot hold is cleaned from the path.
TEST_F(FirstDomainTest, UnsafeNames) {
  const struct {
    const char* text;
    bool domainSafe;
    bool userSafe;
  } cases[] = {
      {"example.com", true, true},
      {"a\\b", false, false},
      {"a/b", false, false},
      {"c:x", false, true},
      {"..", false, false},
      {"a..b", false, false},
      {"..\\..\\windows", false, false},
      {"tab\there", false, true},
      {"del\x7F", false, true},
      {"we?b*", true, true},
      {".", true, true},
      {"a.b.c", true, true},
      {"\xE9t\xE9.example", true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(IsSafeDomainName(c.text), c.domainSafe);
    EXPECT_EQ(IsSafeUserName(c.text), c.userSafe);
  }
}

TEST_F(FirstDomainTest, RefusedInputWritesNothing) {
  for (const auto& [domain, user] : std::vector<std::pair<std::string, std::string>>{
           {"..\\evil", "admin"}, {"ok.example", "..\\..\\x"}, {"   ", "admin"}}) {
    SCOPED_TRACE(domain + " / " + user);
    Configure({"one.example"});
    const std::string before = File("settings.cfg");
    Apply("host", domain, user, "pw");
    EXPECT_EQ(File("settings.cfg"), before);
    EXPECT_EQ(File("domains.cfg"), DomainsFile({"one.example"}));
    EXPECT_TRUE(Reloads().empty());
  }
  EXPECT_FALSE(machine.files.FileExists("C:\\Tovex\\evil"));
  EXPECT_FALSE(machine.files.FileExists("C:\\x"));
}

TEST_F(FirstDomainTest, BlankUserNameCreatesTheDomainWithoutAnAccount) {
  Configure({"one.example"});
  Apply("host", "new.example", "   ", "pw");
  EXPECT_EQ(store.DomainName(0), "new.example");
  EXPECT_TRUE(Exists("new.example\\domain.cfg"));
  EXPECT_FALSE(Exists("new.example\\users.cfg"));
}

}  // namespace
}  // namespace tovex::testing
