#include "upgrade/demo_domain.h"

#include <cmath>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "upgrade/config_store.h"
#include "upgrade/settings_layout.h"

namespace tovex {

namespace {

struct DemoAccount {
  const char* user;
  const char* displayName;
  const char* password;
};

constexpr DemoAccount kAccounts[] = {
    {"demo", "Demo", "demo"},
    {"sales", "Sales", "sales"},
    {"support", "Support", "support"},
};

constexpr const char* kReservedNames = "postmaster;admin;administrator;supervisor;hostmaster;webmaster;abuse";

}  // namespace

bool WriteDemoDomain(ConfigurationStore& store, const std::string& domain) {
  store.AddDomainName(domain, 1);
  DomainRecord domainRecord{};
  SetText(domainRecord.data(), domain_record::kReservedNames, kReservedNames);
  SetText(domainRecord.data(), domain_record::kAdministrator, "demo@" + domain);
  bool ok = store.SaveDomainRecord(domainRecord, 0);

  for (const DemoAccount& demo : kAccounts) {
    AccountRecord record{};
    record[account::kType] = account::kTypeUser;
    SetText(record.data(), account::kDisplayName, demo.displayName);
    SetText(record.data(), account::kAliases, demo.user);
    SetText(record.data(), account::kUserName, demo.user);
    SetText(record.data(), account::kPassword, demo.password);
    SetText(record.data(), account::kMailboxPath, domain + "\\" + demo.user + "\\");
    record[account::kActive] = 1;
    int position = -1;
    ok = store.SaveAccount(domain, record, position, "") && ok;
  }
  return store.SaveConfiguration() && ok;
}

int ActivateDemoAccounts(ConfigurationStore& store, double now) {
  // Read every account first: the store rewrites users.cfg as a whole on
  // each save, which must not happen under an open reading cursor.
  std::vector<std::pair<int, AccountRecord>> mailboxes;
  AccountCursor cursor;
  store.OpenAccounts(kDemoDomain, cursor);
  while (!store.NextAccount(cursor)) {
    if (cursor.record[account::kType] == account::kTypeUser) mailboxes.emplace_back(cursor.position, cursor.record);
  }
  store.CloseAccounts(cursor);

  const double endDate = std::floor(now) + kDemoDays;
  int written = 0;
  for (auto& [position, record] : mailboxes) {
    record[account_expiry::kExpires] = 1;
    SetDouble(record.data(), account_expiry::kDate, endDate);
    if (store.SaveAccount(kDemoDomain, record, position, "")) ++written;
  }
  return written;
}

}  // namespace tovex
