#pragma once
// The server's configuration store: the global settings record
// (settings.cfg), the domain table (domains.cfg), each domain's record
// (domain.cfg), IP binding (bind.dat) and accounts (users.cfg), read and
// written in the server's own layouts (settings_layout.h). Optionally the
// server keeps domains and accounts in a database reached through db.dll;
// the store then forwards domain and account writes to it.
//
// Everything is absorbed: a missing or damaged file is read as far as it
// goes, a failed write only changes a returned flag, and no file content,
// however damaged, makes the store read or write outside its buffers. The
// store shows nothing to the user; failures to load db.dll go to the setup
// log when one is given.

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "upgrade/database_library.h"
#include "upgrade/domain_table.h"
#include "upgrade/settings_layout.h"

namespace tovex {

class SetupLog;
class InputFile;
class TLocalizationStrings;
class ServerStrings;

// Reading a domain's accounts one by one (OpenAccounts, NextAccount,
// CloseAccounts).
struct AccountCursor {
  AccountRecord record{};  // the account NextAccount read, unscrambled
  int position = -1;       // its record number
  std::string domain;
  bool database = false;
  std::unique_ptr<InputFile> file;
};

class ConfigurationStore {
 public:
  explicit ConfigurationStore(Platform platform, SetupLog* log = nullptr);
  ~ConfigurationStore();
  ConfigurationStore(const ConfigurationStore&) = delete;
  ConfigurationStore& operator=(const ConfigurationStore&) = delete;

  // Reads the server message texts of "strings.dat" into the default string
  // table; the localization area sets it. Called on every load when the
  // configuration folder holds the file. Does nothing until set.
  std::function<void(const std::string& stringsFile)> readServerMessages;
  // Sets readServerMessages to the localization area's reader, filling the
  // table's server message texts.
  void ReadServerMessagesInto(TLocalizationStrings& table, ServerStrings& strings);
  // The random number in a generated groupware password.
  std::function<uint32_t()> random;

  // Start-up: server defaults, the server's root folder (chosen by the
  // caller) and, when that folder holds a "config\" folder, the server path
  // file path.dat in it.
  void InitConfigurationStore(const std::string& rootFolder);
  void SetConfigurationFolder(const std::string& path);
  const std::string& ConfigurationFolder() const { return configFolder_; }
  // The installation folder; the configuration folder + "..\" until set.
  std::string RootFolder() const;
  void SetRootFolder(const std::string& path);
  const std::string& WebFolder() const { return webFolder_; }

  // settings.cfg (a missing file keeps the record), the load defaults, the
  // domain table. True when settings.cfg was read.
  bool LoadConfiguration();
  // The steps of LoadConfiguration, apart for the configuration inspector,
  // which shows the files as they are.
  bool ReadSettingsFile();
  void ApplyLoadDefaults();
  void LoadDomainTable();
  // settings.cfg and domains.cfg; true when at least one was written whole.
  bool SaveConfiguration();

  SettingsRecord& Settings() { return settings_; }
  const SettingsRecord& Settings() const { return settings_; }
  std::string SettingsText(TextField field) const { return GetText(settings_.data(), field); }
  void SetSettingsText(TextField field, std::string_view text) { SetText(settings_.data(), field, text); }

  // Domains in the table: the settings' count, never more than the table holds.
  int DomainCount() const;
  bool DomainExists(const std::string& name);
  // The entry a name is or maps onto (address literals, subdomains.dat), or -1.
  int MapDomain(const std::string& name);
  void AddDomainName(const std::string& name, int count);
  bool CreateDomainInDatabase(const std::string& name);
  bool SaveDomainRecord(const DomainRecord& record, int index);
  std::optional<DomainRecord> ReadDomainRecord(int index);
  void MakeDomainPrimary(int index);
  std::string DomainName(int index) const;
  bool DomainBindingFlag(int index) const;
  // First line of the domain's bind.dat, trimmed; empty when none.
  std::string DomainBinding(const std::string& name);
  // Folder of a domain: the configuration folder, the lower-case name, "\".
  std::string DomainFolder(const std::string& name) const;

  // Writes record number `position` of the domain's users.cfg; -1 (or the
  // current number of records) appends, and position becomes the new
  // record's number. The record is left as it was.
  bool SaveAccount(const std::string& domain, const AccountRecord& record, int& position, const std::string& oldAlias);
  int FindAccount(const std::string& domain, const std::string& alias);
  void OpenAccounts(const std::string& domain, AccountCursor& cursor);
  // Reads the next account into the cursor; true when there is NO further
  // account (the cursor's record is then unchanged).
  bool NextAccount(AccountCursor& cursor);
  void CloseAccounts(AccountCursor& cursor);

  bool DatabaseLoaded() const { return database_.Loaded(); }
  void ReleaseDatabaseLibrary();

 private:
  bool DatabaseMode() const;
  bool LoadDatabaseLibrary();
  void LoadDomainTableFromFiles();
  void SetDomainCount(int count);
  void WriteBinding(size_t entry, const std::string& binding);
  bool WriteWhole(const std::string& folder, const std::string& name, const std::string& bytes);
  std::optional<std::string> ReadWhole(const std::string& path, uint64_t limit);
  void EncipherForStorage(AccountRecord& record) const;
  static void DecipherFromStorage(AccountRecord& record);
  void ReadPathFile();

  Platform platform_;
  SetupLog* log_ = nullptr;
  SettingsRecord settings_{};
  DomainTable domains_;
  DatabaseLibrary database_;
  std::string configFolder_;
  std::string rootFolder_;
  std::string webFolder_;
  // From path.dat lines 9 and 10: applied on every load when not empty.
  std::string webHostOverride_;
  std::string hostNameOverride_;
};

// The record the server starts from before any file is read.
SettingsRecord DefaultSettingsRecord();
// "mmsshhddnn" of a local time (days since 1899-12-30 with the time of day
// as the fraction).
std::string FormatMonthSecondHourDayMinute(double now);

}  // namespace tovex
