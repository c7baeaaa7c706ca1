// Database mode: db.dll reached through the libraries port.
#include "config_fixture.h"

namespace tovex::testing {
namespace {

using Args = std::vector<LibraryArgument>;

class ConfigDatabaseTest : public ConfigStoreTest {
 protected:
  // A db.dll that holds the given domains and answers every entry.
  void DefineDatabase(const std::string& path, std::vector<std::string> domains) {
    domains_ = std::move(domains);
    auto ok = [](Args&) { return 1; };
    machine.libraries.Define(
        path, {
                  {"DBSetConnection", ok},
                  {"DBReloadConfig", ok},
                  {"DBGetDomainCount", [this](Args&) { return static_cast<int32_t>(domains_.size()); }},
                  {"DBGetDomains",
                   [this](Args& a) {
                     const std::string table = DomainsFile(domains_);
                     a[0].text.replace(0, std::min(table.size(), a[0].text.size()), table.substr(0, a[0].text.size()));
                     return static_cast<int32_t>(domains_.size());
                   }},
                  {"DBAddDomain", ok},
                  {"DBSetDomain", ok},
                  {"DBMakeDomainPrimary", ok},
                  {"DBSetDomainIP", ok},
                  {"DBSaveUsers", [](Args&) { return 41; }},
                  {"DBGetUser", [](Args& a) { return a[1].integer < 1 ? 1 : 0; }},
                  {"DBDoneConnection", ok},
              });
  }
  void LoadInDatabaseMode() {
    SettingsRecord record = SettingsWithCount(0);
    record[settings::kAccountStorage] = settings::kStorageDatabase;
    SetText(record.data(), settings::kDatabaseConnection, "DSN=Mail");
    Put("settings.cfg", Scrambled(record));
    store.LoadConfiguration();
  }
  std::vector<std::string> domains_;
};

TEST_F(ConfigDatabaseTest, DomainTableComesFromTheDatabase) {
  DefineDatabase("C:\\Tovex\\db.dll", {"db-one.example", "db-two.example"});
  Put("domains.cfg", DomainsFile({"file.example"}));
  LoadInDatabaseMode();
  ASSERT_TRUE(store.DatabaseLoaded());
  EXPECT_EQ(store.DomainCount(), 2);
  EXPECT_EQ(store.DomainName(1), "db-two.example");
  EXPECT_EQ(machine.libraries.calls.at(0).arguments.at(0).text, "DSN=Mail");
  EXPECT_EQ(machine.libraries.CalledEntries(),
            (std::vector<std::string>{"DBSetConnection", "DBReloadConfig", "DBGetDomainCount", "DBGetDomains"}));
}

TEST_F(ConfigDatabaseTest, LibraryFromTheLibFolderAndEmptyDatabaseFallsBackToFiles) {
  DefineDatabase("C:\\Tovex\\lib\\db.dll", {});
  Put("domains.cfg", DomainsFile({"file.example"}));
  LoadInDatabaseMode();
  EXPECT_EQ(machine.libraries.loads,
            (std::vector<std::string>{"C:\\Tovex\\db.dll", "C:\\Tovex\\lib\\db.dll"}));
  ASSERT_TRUE(store.DatabaseLoaded());
  EXPECT_EQ(store.DomainCount(), 1);
  EXPECT_EQ(store.DomainName(0), "file.example");
}

TEST_F(ConfigDatabaseTest, MissingLibraryIsLoggedAndFilesAreUsed) {
  Put("domains.cfg", DomainsFile({"file.example"}));
  LoadInDatabaseMode();
  EXPECT_FALSE(store.DatabaseLoaded());
  EXPECT_EQ(store.DomainName(0), "file.example");
  EXPECT_NE(machine.log.Text().find("setup function LoadLibrary(\"C:\\Tovex\\db.dll\") error 126 : "),
            std::string::npos)
      << machine.log.Text();
  EXPECT_TRUE(store.CreateDomainInDatabase("x.example"));  // file mode: nothing to do
}

TEST_F(ConfigDatabaseTest, WritesGoToTheDatabaseAndTheFiles) {
  DefineDatabase("C:\\Tovex\\db.dll", {"old.example"});
  LoadInDatabaseMode();
  Put("old.example\\bind.dat", "192.0.2.1\r\n");
  machine.libraries.calls.clear();

  store.AddDomainName("New.Example", 1);
  EXPECT_TRUE(store.CreateDomainInDatabase("New.Example"));
  DomainRecord record{};
  SetText(record.data(), domain_record::kAdministrator, "a@New.Example");
  EXPECT_TRUE(store.SaveDomainRecord(record, 1));
  store.MakeDomainPrimary(1);
  int position = -1;
  EXPECT_TRUE(store.SaveAccount("new.example", UserAccount("a", "pw"), position, "old"));
  EXPECT_EQ(position, 41);
  EXPECT_FALSE(Exists("new.example\\users.cfg"));  // the account lives in the database
  EXPECT_TRUE(Exists("new.example\\domain.cfg"));
  store.ReleaseDatabaseLibrary();
  EXPECT_FALSE(store.DatabaseLoaded());
  EXPECT_EQ(machine.libraries.LoadedCount(), 0);

  EXPECT_EQ(machine.libraries.CalledEntries(),
            (std::vector<std::string>{"DBAddDomain", "DBSetDomain", "DBSetDomainIP", "DBSetDomainIP",
                                      "DBMakeDomainPrimary", "DBSaveUsers", "DBDoneConnection"}));
  const auto& calls = machine.libraries.calls;
  EXPECT_EQ(calls[0].arguments[0].text, "New.Example");
  EXPECT_EQ(calls[1].arguments[0].text, "new.example");
  EXPECT_EQ(calls[1].arguments[1].text.size(), domain_record::kSize);
  EXPECT_EQ(calls[2].arguments[0].text, "new.example");
  EXPECT_EQ(calls[2].arguments[1].text, "");
  EXPECT_EQ(calls[3].arguments[0].text, "old.example");
  EXPECT_EQ(calls[3].arguments[1].text, "192.0.2.1");
  EXPECT_EQ(calls[4].arguments[0].text, "new.example");
  EXPECT_EQ(calls[5].arguments[2].integer, -1);
  EXPECT_EQ(calls[5].arguments[3].text, "old");
}

TEST_F(ConfigDatabaseTest, FailingDatabaseCallsLeaveTheFileResult) {
  DefineDatabase("C:\\Tovex\\db.dll", {"old.example"});
  machine.libraries.DefineEntry("C:\\Tovex\\db.dll", "DBGetDomains", [](Args&) { return -1; });
  machine.libraries.DefineEntry("C:\\Tovex\\db.dll", "DBSaveUsers", [](Args&) { return -5; });
  machine.libraries.DefineEntry("C:\\Tovex\\db.dll", "DBAddDomain", [](Args&) { return 0; });
  Put("domains.cfg", DomainsFile({"file.example"}));
  LoadInDatabaseMode();
  EXPECT_EQ(store.DomainName(0), "file.example");
  EXPECT_FALSE(store.CreateDomainInDatabase("x.example"));
  int position = -1;
  EXPECT_TRUE(store.SaveAccount("file.example", UserAccount("a", ""), position, ""));
  EXPECT_EQ(position, 0);
  EXPECT_EQ(File("file.example\\users.cfg").size(), account::kSize);
}

TEST_F(ConfigDatabaseTest, AccountsAreReadThroughTheDatabase) {
  DefineDatabase("C:\\Tovex\\db.dll", {"old.example"});
  LoadInDatabaseMode();
  AccountCursor cursor;
  store.OpenAccounts("old.example", cursor);
  EXPECT_FALSE(store.NextAccount(cursor));
  EXPECT_EQ(cursor.position, 0);
  EXPECT_TRUE(store.NextAccount(cursor));
  store.CloseAccounts(cursor);
}

}  // namespace
}  // namespace tovex::testing
