#include "upgrade/config_report.h"

#include <cmath>
#include <cstdio>

#include "common/folders.h"
#include "common/paths.h"
#include "common/setup_log.h"
#include "platform/files.h"
#include "platform/system.h"
#include "upgrade/config_store.h"

namespace tovex {

namespace {

class Json {
 public:
  explicit Json(System* system) : system_(system) {}

  std::string Text(const std::string& ansi) const {
    const std::string utf8 = system_ != nullptr ? system_->AnsiToUtf8(ansi) : ansi;
    std::string quoted = "\"";
    for (unsigned char c : utf8) {
      if (c == '"' || c == '\\') {
        quoted += '\\';
        quoted += static_cast<char>(c);
      } else if (c < 0x20 || c == 0x7F || (system_ == nullptr && c >= 0x80)) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
        quoted += escaped;
      } else {
        quoted += static_cast<char>(c);
      }
    }
    return quoted + "\"";
  }

 private:
  System* system_;
};

std::string Bool(bool value) { return value ? "true" : "false"; }

}  // namespace

std::string ConfigurationReport(Files& files, System* system, const std::string& configFolder) {
  Platform platform;
  platform.files = &files;
  ConfigurationStore store(platform);
  store.SetConfigurationFolder(configFolder);
  const bool settingsRead = store.ReadSettingsFile();
  store.LoadDomainTable();
  const Json json(system);
  const uint8_t* s = store.Settings().data();

  std::string out = "{\n  \"configurationFolder\": " + json.Text(store.ConfigurationFolder()) + ",\n";
  out += "  \"settingsFile\": " + Bool(settingsRead) + ",\n  \"settings\": {\n";
  std::vector<std::string> fields;
  auto text = [&](const char* name, TextField field) {
    fields.push_back("    \"" + std::string(name) + "\": {\"offset\": " + std::to_string(field.offset) +
                     ", \"value\": " + json.Text(GetText(s, field)) + "}");
  };
  auto number = [&](const char* name, size_t offset, long long value) {
    fields.push_back("    \"" + std::string(name) + "\": {\"offset\": " + std::to_string(offset) +
                     ", \"value\": " + std::to_string(value) + "}");
  };
  text("hostName", settings::kHostName);
  number("passwordEncryption", settings::kPasswordEncryption, s[settings::kPasswordEncryption]);
  text("tempFolder", settings::kTempFolder);
  text("mailFolder", settings::kMailFolder);
  text("logFolder", settings::kLogFolder);
  number("webPort", settings::kWebPort, GetU16(s, settings::kWebPort));
  text("webHostList", settings::kWebHostList);
  text("dnsServers", settings::kDnsServers);
  number("hostListSwitch", settings::kHostListSwitch, s[settings::kHostListSwitch]);
  number("allowAddressLiterals", settings::kAllowAddressLiterals, s[settings::kAllowAddressLiterals]);
  text("databaseConnection", settings::kDatabaseConnection);
  text("serverFolder", settings::kServerFolder);
  number("accountStorage", settings::kAccountStorage, s[settings::kAccountStorage]);
  number("domainCount", settings::kDomainCount, static_cast<int32_t>(GetU32(s, settings::kDomainCount)));
  {
    const double day = GetDouble(s, settings::kInstallDate);
    const bool plausible = std::isfinite(day) && day > -657434 && day < 2958466;  // years 100 to 9999
    fields.push_back("    \"installDate\": {\"offset\": " + std::to_string(settings::kInstallDate) +
                     ", \"value\": " + (plausible ? json.Text(FormatTimestamp(day).substr(0, 10)) : "null") + "}");
  }
  text("consoleLayout", settings::kConsoleLayout);
  fields.push_back("    \"pathSeparator\": {\"offset\": " + std::to_string(settings::kPathSeparator) +
                   ", \"value\": " + json.Text(std::string(1, static_cast<char>(s[settings::kPathSeparator]))) + "}");
  number("fileNameCleaning", settings::kFileNameCleaning, s[settings::kFileNameCleaning]);
  text("groupWareUser", settings::kGroupWareUser);
  fields.push_back("    \"groupWarePasswordSet\": {\"offset\": " + std::to_string(settings::kGroupWarePassword.offset) +
                   ", \"value\": " + Bool(!GetText(s, settings::kGroupWarePassword).empty()) + "}");
  for (size_t i = 0; i < fields.size(); ++i) out += fields[i] + (i + 1 < fields.size() ? ",\n" : "\n");
  out += "  },\n  \"domains\": [";

  for (int index = 0; index < store.DomainCount(); ++index) {
    const std::string name = store.DomainName(index);
    out += index == 0 ? "\n" : ",\n";
    out += "    {\"index\": " + std::to_string(index) + ", \"name\": " + json.Text(name) +
           ", \"bindingFlag\": " + Bool(store.DomainBindingFlag(index)) +
           ", \"binding\": " + json.Text(store.DomainBinding(name));
    if (auto record = store.ReadDomainRecord(index)) {
      out += ", \"administrator\": " + json.Text(GetText(record->data(), domain_record::kAdministrator)) +
             ", \"reservedNames\": " + json.Text(GetText(record->data(), domain_record::kReservedNames));
    } else {
      out += ", \"administrator\": null, \"reservedNames\": null";
    }
    out += ",\n     \"accounts\": [";
    AccountCursor cursor;
    store.OpenAccounts(name, cursor);
    bool first = true;
    while (!store.NextAccount(cursor)) {
      const uint8_t* a = cursor.record.data();
      out += first ? "\n" : ",\n";
      first = false;
      out += "       {\"position\": " + std::to_string(cursor.position) + ", \"type\": " +
             std::to_string(a[account::kType]) + ", \"aliases\": " + json.Text(GetText(a, account::kAliases)) +
             ", \"userName\": " + json.Text(GetText(a, account::kUserName)) +
             ", \"mailboxPath\": " + json.Text(GetText(a, account::kMailboxPath)) +
             ", \"passwordSet\": " + Bool(!GetText(a, account::kPassword).empty()) + "}";
    }
    store.CloseAccounts(cursor);
    out += first ? "]}" : "\n     ]}";
  }
  out += store.DomainCount() > 0 ? "\n  ]\n}\n" : "]\n}\n";
  return out;
}

bool WriteSampleConfiguration(Files& files, const std::string& configFolder) {
  Platform platform;
  platform.files = &files;
  ConfigurationStore store(platform);
  store.SetConfigurationFolder(configFolder);
  store.SetRootFolder(IncludeTrailingBackslash(configFolder) + "..\\");
  store.random = [] { return 4u; };
  store.LoadConfiguration();
  store.SetSettingsText(settings::kHostName, "mail.sample.example");
  store.Settings()[settings::kPasswordEncryption] = 1;
  store.SetSettingsText(settings::kConsoleLayout, "advanced.xml");
  // The other domain was there first, bound to an address; the new one
  // joins the table and becomes primary, as the first-domain step does it.
  store.AddDomainName("other.example", 1);
  const std::string otherFolder = store.DomainFolder("other.example");
  ForceDirectories(files, ExcludeTrailingBackslash(otherFolder));
  if (auto bind = files.CreateForWriting(otherFolder + "bind.dat")) {
    const std::string line = "192.0.2.25\r\n";
    bind->Write(line.data(), line.size());
  }
  store.AddDomainName("Sample.Example", 1);
  DomainRecord record{};
  SetText(record.data(), domain_record::kReservedNames,
          "postmaster;admin;administrator;supervisor;hostmaster;webmaster;abuse");
  SetText(record.data(), domain_record::kAdministrator, "admin@Sample.Example");
  bool ok = store.SaveDomainRecord(record, 1);
  store.MakeDomainPrimary(1);
  ok = store.SaveConfiguration() && ok;
  AccountRecord user{};
  SetText(user.data(), account::kDisplayName, "Admin");
  SetText(user.data(), account::kAliases, "admin;postmaster");
  SetText(user.data(), account::kUserName, "admin");
  SetText(user.data(), account::kPassword, "sample password");
  SetText(user.data(), account::kMailboxPath, "Sample.Example\\admin\\");
  user[account::kActive] = 1;
  int position = -1;
  ok = store.SaveAccount(store.DomainName(0), user, position, "") && ok;
  return ok;
}

}  // namespace tovex
