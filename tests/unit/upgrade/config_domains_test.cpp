// Domains: adding, the server's mapping rules, the domain record, and moving
// a domain to the primary place with its IP binding.
#include "config_fixture.h"

namespace tovex::testing {
namespace {

class ConfigDomainsTest : public ConfigStoreTest {
 protected:
  void LoadDomains(const std::vector<std::string>& names, const std::vector<bool>& bound = {}) {
    Put("settings.cfg", Scrambled(SettingsWithCount(static_cast<int32_t>(names.size()))));
    Put("domains.cfg", DomainsFile(names, bound));
    store.LoadConfiguration();
  }
};

TEST_F(ConfigDomainsTest, AddDomainNameGrowsTheTableAndLowerCasesTheName) {
  LoadDomains({"one.example"});
  store.AddDomainName("New.Example", 1);
  store.AddDomainName(std::string(120, 'L'), 5);
  EXPECT_EQ(store.DomainCount(), 3);
  EXPECT_EQ(store.DomainName(1), "new.example");
  // Cut to 94 characters so that it never reaches the binding flag.
  EXPECT_EQ(store.DomainName(2), std::string(94, 'l'));
  EXPECT_FALSE(store.DomainBindingFlag(2));
  EXPECT_TRUE(store.DomainExists("NEW.example"));
  EXPECT_FALSE(store.DomainExists("other.example"));
  store.SaveConfiguration();
  EXPECT_EQ(File("domains.cfg").size(), 3u * 96);
  EXPECT_EQ(GetU32(Unscrambled<settings::kSize>(File("settings.cfg")).data(), settings::kDomainCount), 3u);
}

TEST_F(ConfigDomainsTest, AddressLiteralsMapOnlyWhenTheSettingsAllowThem) {
  LoadDomains({"primary.example", "bound.example"}, {false, true});
  Put("bound.example\\bind.dat", "192.0.2.9\r\nsecond line\r\n");
  EXPECT_FALSE(store.DomainExists("[192.0.2.9]"));
  store.Settings()[settings::kAllowAddressLiterals] = 1;
  EXPECT_EQ(store.MapDomain("[192.0.2.9]"), 1);
  EXPECT_EQ(store.MapDomain("[203.0.113.4]"), 0);  // unbound addresses go to the primary domain
  for (const char* notLiteral : {"[192.0.2]", "[192.0.2.256]", "192.0.2.9", "[a.b.c.d]", "[1.2.3.4.5]"}) {
    EXPECT_FALSE(store.DomainExists(notLiteral)) << notLiteral;
  }
}

TEST_F(ConfigDomainsTest, SubdomainFileMapsNamesOntoConfiguredDomains) {
  LoadDomains({"primary.example", "shop.example"});
  EXPECT_FALSE(store.DomainExists("mail.shop.example"));
  Put("subdomains.dat",
      "# server subdomains\r\n"
      "  Mail.Shop.Example = shop.example \r\n"
      "*.primary.example=primary.example\r\n"
      "orphan.example=missing.example\r\n"
      "no equals sign\r\n");
  EXPECT_EQ(store.MapDomain("mail.shop.example"), 1);
  EXPECT_EQ(store.MapDomain("a.b.primary.example"), 0);
  EXPECT_FALSE(store.DomainExists("primary.example.evil"));
  EXPECT_FALSE(store.DomainExists("orphan.example"));
  EXPECT_FALSE(store.DomainExists("no equals sign"));
}

TEST_F(ConfigDomainsTest, SaveDomainRecordWritesTheScrambledRecordIntoTheDomainFolder) {
  LoadDomains({"one.example"});
  store.AddDomainName("Two.Example", 1);
  DomainRecord record{};
  SetText(record.data(), domain_record::kAdministrator, "admin@Two.Example");
  EXPECT_TRUE(store.SaveDomainRecord(record, 1));
  const std::string stored = File("two.example\\domain.cfg");
  ASSERT_EQ(stored.size(), domain_record::kSize);
  EXPECT_EQ(Unscrambled<domain_record::kSize>(stored), record);
  EXPECT_EQ(store.ReadDomainRecord(1), record);
  // The record in memory is left as it was; bad indexes write nothing.
  EXPECT_EQ(GetText(record.data(), domain_record::kAdministrator), "admin@Two.Example");
  EXPECT_FALSE(store.SaveDomainRecord(record, 2));
  EXPECT_FALSE(store.SaveDomainRecord(record, -1));
}

TEST_F(ConfigDomainsTest, NamesThatCannotBeFoldersAreNeverWrittenTo) {
  LoadDomains({"..", "a\\..\\..\\evil", "c:x"});
  DomainRecord record{};
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(store.SaveDomainRecord(record, i)) << i;
  int position = -1;
  EXPECT_FALSE(store.SaveAccount("", UserAccount("x", ""), position, ""));
}

TEST_F(ConfigDomainsTest, MakeDomainPrimaryKeepsBindingsWithTheirDomains) {
  LoadDomains({"old.example", "middle.example", "new.example"}, {true, false, true});
  Put("old.example\\bind.dat", "192.0.2.1\r\n");
  Put("new.example\\bind.dat", "192.0.2.3\r\n# kept\r\n");
  store.MakeDomainPrimary(2);
  EXPECT_EQ(store.DomainName(0), "new.example");
  EXPECT_EQ(store.DomainName(1), "middle.example");
  EXPECT_EQ(store.DomainName(2), "old.example");
  EXPECT_TRUE(store.DomainBindingFlag(0));
  EXPECT_TRUE(store.DomainBindingFlag(2));
  EXPECT_EQ(File("old.example\\bind.dat"), "192.0.2.1\r\n");
  EXPECT_EQ(File("new.example\\bind.dat"), "192.0.2.3\r\n# kept\r\n");
  EXPECT_EQ(store.MapDomain("new.example"), 0);
  EXPECT_EQ(store.MapDomain("old.example"), 2);
}

TEST_F(ConfigDomainsTest, MakeDomainPrimaryWithOneSideUnbound) {
  // The flags in the table were wrong; the files decide.
  LoadDomains({"old.example", "new.example"}, {false, true});
  Put("old.example\\bind.dat", "192.0.2.1\r\n");
  Put("new.example\\bind.dat", "\r\n");  // present but empty: no binding
  store.MakeDomainPrimary(1);
  EXPECT_EQ(store.DomainName(0), "new.example");
  EXPECT_FALSE(store.DomainBindingFlag(0));
  EXPECT_TRUE(store.DomainBindingFlag(1));
  EXPECT_FALSE(Exists("new.example\\bind.dat"));
  EXPECT_EQ(File("old.example\\bind.dat"), "192.0.2.1\r\n");
  store.SaveConfiguration();
  EXPECT_EQ(File("domains.cfg"), DomainsFile({"new.example", "old.example"}, {false, true}));
}

TEST_F(ConfigDomainsTest, MakeDomainPrimaryIgnoresIndexesOutsideTheTable) {
  LoadDomains({"a.example", "b.example"});
  store.MakeDomainPrimary(2);
  store.MakeDomainPrimary(-1);
  EXPECT_EQ(store.DomainName(0), "a.example");
  EXPECT_EQ(store.DomainName(1), "b.example");
}

TEST_F(ConfigDomainsTest, FirstDomainJoinsTwoAndBecomesPrimary) {
  LoadDomains({"first.example", "second.example"});
  store.AddDomainName("Third.Example", 1);
  store.MakeDomainPrimary(2);
  EXPECT_EQ(store.DomainName(0), "third.example");
  EXPECT_EQ(store.DomainName(2), "first.example");
}

}  // namespace
}  // namespace tovex::testing
