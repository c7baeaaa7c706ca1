#include "upgrade/first_domain.h"

#include "common/context.h"
#include "common/paths.h"
#include "common/setup_log.h"
#include "common/text.h"
#include "upgrade/config_store.h"
#include "upgrade/module_control.h"

namespace tovex {

namespace {

constexpr size_t kMaxAddress = 255;

std::string Cut(std::string_view text, size_t length) { return std::string(text.substr(0, length)); }

void Log(SetupContext& context, const std::string& line) {
  if (context.log != nullptr) context.log->Write(line);
}

}  // namespace

bool IsSafeDomainName(std::string_view domain) {
  if (domain.find_first_of("\\/:") != std::string_view::npos) return false;
  if (domain.find("..") != std::string_view::npos) return false;
  for (const char c : domain) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 32 || byte == 127) return false;
  }
  return true;
}

bool IsSafeUserName(std::string_view userName) {
  return userName.find_first_of("\\/") == std::string_view::npos && userName.find("..") == std::string_view::npos;
}

std::string CleanMailboxPath(std::string_view path, uint8_t cleaningMode) {
  std::string_view removed;
  if (cleaningMode == 0) removed = "\"*/<>?|";
  if (cleaningMode == 1) removed = "\"*<>?|";
  std::string cleaned;
  cleaned.reserve(path.size());
  for (const char c : path) {
    if (removed.find(c) == std::string_view::npos) cleaned += c;
  }
  return cleaned;
}

DomainRecord NewDomainRecord(const std::string& administratorAddress) {
  DomainRecord record{};
  SetText(record.data(), domain_record::kReservedNames, kReservedAccountNames);
  SetText(record.data(), domain_record::kAdministrator, administratorAddress);
  return record;
}

AccountRecord NewAdministratorAccount(const std::string& domain, const std::string& userName,
                                      const std::string& password, uint8_t cleaningMode) {
  AccountRecord record{};
  record[account::kType] = account::kTypeUser;
  // The display name is the user name with a capital first letter; only the
  // letters a to z are changed, as the server does.
  std::string displayName = userName;
  if (!displayName.empty() && displayName[0] >= 'a' && displayName[0] <= 'z') {
    displayName[0] = static_cast<char>(displayName[0] - 'a' + 'A');
  }
  SetText(record.data(), account::kDisplayName, displayName);
  SetText(record.data(), account::kAliases, userName);
  SetText(record.data(), account::kUserName, userName);
  SetText(record.data(), account::kPassword, password);
  // The mailbox lives below the mail folder in the domain's folder as typed
  // and the account's first alias.
  const std::string aliases = GetText(record.data(), account::kAliases);
  const std::string firstAlias = aliases.substr(0, aliases.find(';'));
  const std::string path = CleanMailboxPath(domain + "\\" + firstAlias + "\\", cleaningMode);
  SetText(record.data(), account::kMailboxPath, Cut(path, account::kMailboxPath.MaxLength()));
  record[account::kActive] = 1;
  return record;
}

void ApplyWizardResult(SetupContext& context, ConfigurationStore& store, const WizardAnswers& answers) {
  store.SetConfigurationFolder(IncludeTrailingBackslash(context.InstallPath) + "config\\");
  store.LoadConfiguration();

  const std::string hostName = Cut(Trim(answers.hostName), kMaxHostName);
  const std::string domain = Cut(Trim(answers.domain), kMaxDomain);
  const std::string userName = Cut(Trim(answers.userName), kMaxUserName);
  const std::string password = Cut(answers.password, kMaxPassword);
  const std::string address = Cut(userName + "@" + domain, kMaxAddress);

  // The wizard lets none of these through; a caller that does gets nothing
  // written rather than a domain that is blank or leads out of config\.
  if (domain.empty() || !IsSafeDomainName(domain) || !IsSafeUserName(userName)) {
    Log(context, "Configuration wizard: the domain \"" + domain + "\" or the user name \"" + userName +
                     "\" cannot be stored; nothing was created");
  } else if (store.DomainExists(domain)) {
    Log(context, "Configuration wizard: the domain " + domain + " exists already; nothing was created");
  } else {
    SettingsRecord& settings = store.Settings();
    store.SetSettingsText(settings::kHostName, hostName);
    // Empty folders make the server derive them from its installation
    // folder on its next load.
    store.SetSettingsText(settings::kTempFolder, "");
    store.SetSettingsText(settings::kMailFolder, "");
    store.SetSettingsText(settings::kLogFolder, "");

    const DomainRecord record = NewDomainRecord(address);
    const int entry = store.DomainCount();
    store.AddDomainName(domain, 1);
    store.CreateDomainInDatabase(domain);
    const bool recordSaved = store.SaveDomainRecord(record, entry);
    store.MakeDomainPrimary(entry);
    const bool saved = store.SaveConfiguration();
    Log(context, "Configuration wizard: domain " + domain + " created as the primary domain (host name \"" + hostName +
                     "\")" + (recordSaved ? "" : "; its domain.cfg could not be written") +
                     (saved ? "" : "; settings.cfg and domains.cfg could not be written"));
    if (saved) NotifyModulesReload(context, false);

    // An administrator without a name could not log on, and its mailbox
    // would be the domain's whole mail folder.
    if (userName.empty()) {
      Log(context, "Configuration wizard: no administrator account (the user name is blank)");
    } else {
      const AccountRecord administrator =
          NewAdministratorAccount(domain, userName, password, settings[settings::kFileNameCleaning]);
      int position = -1;
      const bool accountSaved = store.SaveAccount(store.DomainName(0), administrator, position, "");
      Log(context, "Configuration wizard: administrator " + address +
                       (accountSaved ? " created" : " could not be written"));
    }
  }
  store.ReleaseDatabaseLibrary();
}

}  // namespace tovex
