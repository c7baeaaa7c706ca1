// Accounts in users.cfg: appending, overwriting, finding, reading one by one
// and enciphered passwords.
#include "config_fixture.h"
#include "upgrade/password_cipher.h"

namespace tovex::testing {
namespace {

class ConfigAccountsTest : public ConfigStoreTest {
 protected:
  std::vector<AccountRecord> Accounts(const std::string& domain) {
    std::vector<AccountRecord> all;
    AccountCursor cursor;
    store.OpenAccounts(domain, cursor);
    while (!store.NextAccount(cursor)) all.push_back(cursor.record);
    store.CloseAccounts(cursor);
    return all;
  }
};

TEST_F(ConfigAccountsTest, AppendAndOverwriteRecords) {
  int position = -1;
  EXPECT_TRUE(store.SaveAccount("Mail.Example", UserAccount("first", "p1"), position, ""));
  EXPECT_EQ(position, 0);
  position = -1;
  EXPECT_TRUE(store.SaveAccount("mail.example", UserAccount("second", "p2"), position, ""));
  EXPECT_EQ(position, 1);
  position = 2;  // equal to the number of records: appended too
  EXPECT_TRUE(store.SaveAccount("mail.example", UserAccount("third", "p3"), position, ""));
  EXPECT_EQ(position, 2);
  position = 1;
  EXPECT_TRUE(store.SaveAccount("mail.example", UserAccount("renamed", "p4"), position, "second"));
  position = 7;
  EXPECT_FALSE(store.SaveAccount("mail.example", UserAccount("gap", ""), position, ""));

  const std::string file = File("mail.example\\users.cfg");
  ASSERT_EQ(file.size(), 3 * account::kSize);
  EXPECT_EQ(Unscrambled<account::kSize>(file, account::kSize), UserAccount("renamed", "p4"));
  EXPECT_EQ(store.FindAccount("mail.example", "Third"), 2);
  EXPECT_EQ(store.FindAccount("mail.example", "second"), -1);
  EXPECT_EQ(store.FindAccount("nowhere.example", "first"), -1);

  const auto all = Accounts("mail.example");
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(GetText(all[0].data(), account::kUserName), "first");
  EXPECT_EQ(GetText(all[2].data(), account::kPassword), "p3");
}

TEST_F(ConfigAccountsTest, FindAccountLooksThroughTheAliasList) {
  AccountRecord record = UserAccount("main", "");
  SetText(record.data(), account::kAliases, "main; Sales ;info");
  int position = -1;
  store.SaveAccount("d.example", UserAccount("other", ""), position, "");
  position = -1;
  store.SaveAccount("d.example", record, position, "");
  EXPECT_EQ(store.FindAccount("d.example", "sales"), 1);
  EXPECT_EQ(store.FindAccount("d.example", "INFO"), 1);
  EXPECT_EQ(store.FindAccount("d.example", "sale"), -1);
}

TEST_F(ConfigAccountsTest, EncipheredPasswordIsStoredAndReadsBack) {
  store.Settings()[settings::kPasswordEncryption] = 1;
  const AccountRecord record = UserAccount("admin", "Top Secret 1");
  int position = -1;
  ASSERT_TRUE(store.SaveAccount("d.example", record, position, ""));
  const std::string stored =
      GetText(Unscrambled<account::kSize>(File("d.example\\users.cfg")).data(), account::kPassword);
  EXPECT_EQ(stored.substr(0, 3), "~#1");
  EXPECT_EQ(DecipherPassword(stored), "Top Secret 1");
  // The caller's record is untouched, and reading deciphers it.
  EXPECT_EQ(GetText(record.data(), account::kPassword), "Top Secret 1");
  EXPECT_EQ(GetText(Accounts("d.example").at(0).data(), account::kPassword), "Top Secret 1");

  // Too long to fit enciphered: stored as typed (and logged), not cut.
  const std::string longPassword(100, 'q');
  position = -1;
  ASSERT_TRUE(store.SaveAccount("d.example", UserAccount("long", longPassword), position, ""));
  EXPECT_EQ(GetText(Accounts("d.example").at(1).data(), account::kPassword), longPassword);
  EXPECT_NE(machine.log.Text().find("too long to be stored enciphered"), std::string::npos);

  // Without the switch passwords are stored as they are.
  store.Settings()[settings::kPasswordEncryption] = 0;
  position = 0;
  store.SaveAccount("d.example", record, position, "");
  EXPECT_EQ(GetText(Unscrambled<account::kSize>(File("d.example\\users.cfg")).data(), account::kPassword),
            "Top Secret 1");
}

TEST_F(ConfigAccountsTest, DamagedUsersFileIsReadAsFarAsItGoes) {
  std::string file = Scrambled(UserAccount("whole", "x"));
  file += std::string(1000, '\x7F');  // a record cut short
  Put("d.example\\users.cfg", file);
  ASSERT_EQ(Accounts("d.example").size(), 1u);
  int position = -1;
  ASSERT_TRUE(store.SaveAccount("d.example", UserAccount("next", "y"), position, ""));
  EXPECT_EQ(position, 1);
  EXPECT_EQ(File("d.example\\users.cfg").size(), 2 * account::kSize);

  // Overlong length bytes never read past their fields.
  AccountRecord damaged{};
  std::fill(damaged.begin(), damaged.end(), 0xFF);
  damaged[account::kType] = account::kTypeUser;
  Put("e.example\\users.cfg", Scrambled(damaged));
  const auto all = Accounts("e.example");
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(GetText(all[0].data(), account::kPassword).size(), 127u);
}

}  // namespace
}  // namespace tovex::testing
