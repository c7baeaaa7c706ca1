#include "upgrade/config_store.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

#include "common/civil_date.h"
#include "common/folders.h"
#include "common/paths.h"
#include "common/setup_log.h"
#include "common/text.h"
#include "localization/server_strings.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/libraries.h"
#include "platform/network.h"
#include "platform/system.h"
#include "upgrade/md5.h"

namespace tovex {

namespace {

struct NumericDefault {
  size_t offset;
  size_t width;  // 1, 2 or 4 bytes
  uint32_t value;
};

// A field that is 0 after loading receives its default.
constexpr NumericDefault kNumericDefaults[] = {
    {160, 2, 5229},    {167, 2, 5269},    {222, 4, 40},      {228, 2, 5222},    {230, 2, 5223},
    {233, 4, 10},      {242, 2, 300},     {248, 2, 636},     {250, 2, 389},     {252, 2, 366},
    {1024, 2, 110},    {1026, 2, 995},    {1028, 2, 25},     {1030, 2, 993},    {1036, 2, 32000},
    {1038, 2, 143},    {1040, 2, 32001},  {1458, 2, 32768},  {1461, 2, 465},    {1476, 1, 5},
    {1544, 4, 8},      {1548, 4, 1},      {1552, 4, 256},    {1556, 4, 40},     {1560, 4, 40},
    {1564, 2, 40},     {1566, 2, 5000},   {7008, 1, 20},     {7010, 2, 45},     {7012, 4, 6},
    {7016, 4, 4},      {21372, 4, 40},    {21384, 2, 21},    {21386, 2, 990},   {21396, 4, 256},
    {21400, 4, 256},   {21404, 4, 256},   {21408, 4, 256},   {21412, 4, 256},   {21416, 4, 256},
    {21420, 4, 256},   {21424, 4, 256},   {21752, 4, 40},    {22124, 4, 40},    {22128, 4, 1},
    {22136, 4, 1},     {22217, 2, 161},   {22219, 2, 13},    {22831, 4, 1000},  {24755, 2, 5060},
    {25666, 4, 10000}, {25670, 4, 64},    {26967, 4, 100},   {28047, 4, 5061},  {28052, 4, 1800},
    {28063, 4, 240},
};

// Lists whose entries are separated by ";": a value with a comma or a blank
// has its commas turned into ";" and its blanks removed. The widths of some
// of these fields are not known here; 256 lets their own length byte govern,
// and normalising only ever shortens a text.
constexpr TextField kListFields[] = {
    settings::kHostName, {1048, 128}, settings::kWebHostList, settings::kDnsServers, settings::kDatabaseConnection,
    {3641, 256},         {4577, 256},
};

constexpr std::string_view kDefaultHostName = "mail.example.com";
constexpr std::string_view kGroupWareUser = "gwsuperuser";
constexpr std::string_view kBounceSender = "MAILER-DAEMON";
constexpr std::string_view kBounceSenderName = "Mail Delivery Subsystem";
constexpr std::string_view kTrustedAddresses = "127.0.0.1;192.168.*.*;10.*.*.*;172.16-31.*.*";

// Largest table the database may announce: a damaged count must not make
// the store allocate gigabytes.
constexpr int32_t kMaxDatabaseDomains = 100000;

uint32_t GetField(const uint8_t* record, size_t offset, size_t width) {
  if (width == 1) return record[offset];
  if (width == 2) return GetU16(record, offset);
  return GetU32(record, offset);
}

void SetField(uint8_t* record, size_t offset, size_t width, uint32_t value) {
  if (width == 1) {
    record[offset] = static_cast<uint8_t>(value);
  } else if (width == 2) {
    SetU16(record, offset, static_cast<uint16_t>(value));
  } else {
    SetU32(record, offset, value);
  }
}

void ApplyNumericDefaults(uint8_t* record) {
  for (const auto& field : kNumericDefaults) {
    if (GetField(record, field.offset, field.width) == 0) SetField(record, field.offset, field.width, field.value);
  }
}

std::string NormaliseList(const std::string& value) {
  if (value.find_first_of(", ") == std::string::npos) return value;
  std::string result;
  for (char c : value) {
    if (c == ',') {
      result += ';';
    } else if (c != ' ') {
      result += c;
    }
  }
  return result;
}

}  // namespace

std::string FormatMonthSecondHourDayMinute(double now) {
  if (!std::isfinite(now) || now < 0 || now > 3e6) now = 0;
  const int64_t day = static_cast<int64_t>(std::floor(now));
  int64_t seconds = std::llround((now - static_cast<double>(day)) * 86400.0);
  if (seconds >= 86400) seconds = 86399;
  const CivilDate date = CivilDateOf(day);
  char text[16];
  std::snprintf(text, sizeof text, "%02d%02d%02d%02d%02d", date.month, static_cast<int>(seconds % 60),
                static_cast<int>(seconds / 3600), date.day, static_cast<int>((seconds / 60) % 60));
  return text;
}

SettingsRecord DefaultSettingsRecord() {
  SettingsRecord record{};
  SetText(record.data(), settings::kHostName, kDefaultHostName);
  SetText(record.data(), settings::kBounceSender, kBounceSender);
  SetText(record.data(), settings::kBounceSenderName, kBounceSenderName);
  SetText(record.data(), settings::kTrustedAddresses, kTrustedAddresses);
  record[settings::kPathSeparator] = '\\';
  ApplyNumericDefaults(record.data());
  return record;
}

ConfigurationStore::ConfigurationStore(Platform platform, SetupLog* log)
    : platform_(platform), log_(log), settings_(DefaultSettingsRecord()) {
  random = [] {
    std::random_device device;
    return static_cast<uint32_t>(device());
  };
}

ConfigurationStore::~ConfigurationStore() { ReleaseDatabaseLibrary(); }

void ConfigurationStore::ReadServerMessagesInto(TLocalizationStrings& table, ServerStrings& strings) {
  readServerMessages = [this, &table, &strings](const std::string& stringsFile) {
    if (platform_.files != nullptr) {
      LoadServerStrings(*platform_.files, ExtractFilePath(stringsFile), table, strings, platform_.system);
    }
  };
}

void ConfigurationStore::SetConfigurationFolder(const std::string& path) {
  configFolder_ = IncludeTrailingBackslash(path);
}

std::string ConfigurationStore::RootFolder() const {
  if (!rootFolder_.empty()) return rootFolder_;
  return configFolder_ + "..\\";
}

void ConfigurationStore::SetRootFolder(const std::string& path) { rootFolder_ = IncludeTrailingBackslash(path); }

bool ConfigurationStore::LoadConfiguration() {
  const bool read = ReadSettingsFile();
  ApplyLoadDefaults();
  LoadDomainTable();
  if (readServerMessages && platform_.files != nullptr && platform_.files->FileExists(configFolder_ + "strings.dat")) {
    readServerMessages(configFolder_ + "strings.dat");
  }
  return read;
}

std::optional<std::string> ConfigurationStore::ReadWhole(const std::string& path, uint64_t limit) {
  if (platform_.files == nullptr) return std::nullopt;
  auto file = platform_.files->OpenForReading(path);
  if (!file) return std::nullopt;
  std::string content;
  const uint64_t size = std::min<uint64_t>(file->Size(), limit);
  content.resize(static_cast<size_t>(size));
  size_t filled = 0;
  while (filled < content.size()) {
    size_t got = 0;
    if (!file->Read(content.data() + filled, content.size() - filled, got) || got == 0) break;
    filled += got;
  }
  content.resize(filled);
  return content;
}

bool ConfigurationStore::ReadSettingsFile() {
  auto content = ReadWhole(configFolder_ + "settings.cfg", settings::kSize);
  if (!content) return false;
  // Only the bytes the file supplies are replaced: a shorter file written by
  // an older release keeps the current record (its defaults) beyond its end.
  auto* bytes = reinterpret_cast<uint8_t*>(content->data());
  Scramble(bytes, content->size(), 0);
  std::copy(bytes, bytes + content->size(), settings_.begin());
  return true;
}

void ConfigurationStore::ApplyLoadDefaults() {
  uint8_t* record = settings_.data();
  const std::string root = RootFolder();
  const std::pair<TextField, const char*> folders[] = {
      {settings::kTempFolder, "temp\\"}, {settings::kMailFolder, "mail\\"}, {settings::kLogFolder, "logs\\"}};
  for (const auto& [field, name] : folders) {
    if (GetText(record, field).empty()) SetText(record, field, root + name);
    SetText(record, field, IncludeTrailingBackslash(GetText(record, field)));
  }
  SetText(record, settings::kServerFolder, IncludeTrailingBackslash(GetText(record, settings::kServerFolder)));

  if (GetText(record, settings::kDnsServers).empty() && platform_.network != nullptr) {
    std::string list;
    for (const auto& server : platform_.network->DnsServers()) list += (list.empty() ? "" : ";") + server;
    SetText(record, settings::kDnsServers, list);
  }
  if (GetText(record, settings::kGroupWareUser).empty()) {
    SetText(record, settings::kGroupWareUser, kGroupWareUser);
    const double now = platform_.clock != nullptr ? platform_.clock->Now() : 0.0;
    const uint32_t number = random ? random() : 0;
    SetText(record, settings::kGroupWarePassword,
            Md5Hex(FormatMonthSecondHourDayMinute(now) + std::to_string(number)));
  }
  if (GetText(record, settings::kBounceSender).empty()) SetText(record, settings::kBounceSender, kBounceSender);
  if (GetText(record, settings::kBounceSenderName).empty()) {
    SetText(record, settings::kBounceSenderName, kBounceSenderName);
  }
  if (GetText(record, settings::kTrustedAddresses).empty()) {
    SetText(record, settings::kTrustedAddresses, kTrustedAddresses);
  }
  for (const auto& field : kListFields) SetText(record, field, NormaliseList(GetText(record, field)));
  if (GetDouble(record, settings::kInstallDate) == 0.0 && platform_.clock != nullptr) {
    SetDouble(record, settings::kInstallDate, DayNumber(platform_.clock->Now()));
  }
  if (!webHostOverride_.empty()) SetText(record, settings::kWebHostList, webHostOverride_);
  if (!hostNameOverride_.empty()) SetText(record, settings::kHostName, hostNameOverride_);

  ApplyNumericDefaults(record);
  if (GetU32(record, settings::kUploadLimit) > settings::kUploadLimitMax) SetU32(record, settings::kUploadLimit, 0);
  if (record[settings::kSwitch1464] != 0) record[settings::kSwitch1444] = 0;
  record[settings::kPathSeparator] = '\\';
  record[settings::kFileNameCleaning] = 0;
}

int ConfigurationStore::DomainCount() const {
  const int32_t count = static_cast<int32_t>(GetU32(settings_.data(), settings::kDomainCount));
  return std::clamp<int32_t>(count, 0, static_cast<int32_t>(domains_.Capacity()));
}

void ConfigurationStore::SetDomainCount(int count) {
  SetU32(settings_.data(), settings::kDomainCount, static_cast<uint32_t>(count));
}

bool ConfigurationStore::DatabaseMode() const {
  return settings_[settings::kAccountStorage] == settings::kStorageDatabase && database_.Loaded();
}

bool ConfigurationStore::LoadDatabaseLibrary() {
  if (database_.Loaded()) return true;
  if (platform_.libraries == nullptr) return false;
  const std::string root = RootFolder();
  const std::string paths[] = {root + "db.dll", root + "lib\\db.dll"};
  uint32_t code = 0;
  for (const auto& path : paths) {
    if (auto library = platform_.libraries->Load(path)) {
      database_.Attach(std::move(library));
      return true;
    }
    code = platform_.libraries->LastError();
  }
  if (log_ != nullptr) {
    const std::string text = platform_.system != nullptr ? Trim(platform_.system->ErrorText(code)) : std::string();
    log_->Write(FormatText("%s function %s(%s) error %s : %s",
                           {"setup", "LoadLibrary", "\"" + paths[0] + "\"", std::to_string(code), text}));
  }
  return false;
}

void ConfigurationStore::LoadDomainTable() {
  bool fromDatabase = false;
  if (settings_[settings::kAccountStorage] == settings::kStorageDatabase && LoadDatabaseLibrary()) {
    database_.SetConnection(SettingsText(settings::kDatabaseConnection));
    database_.ReloadConfig();
    auto count = database_.DomainCount();
    if (count && *count > 0) {
      const size_t entries = static_cast<size_t>(std::min(*count, kMaxDatabaseDomains));
      if (auto table = database_.Domains(entries)) {
        domains_.Assign(table->first, entries);
        SetDomainCount(static_cast<int>(entries));
        fromDatabase = true;
      }
    }
  }
  if (!fromDatabase) LoadDomainTableFromFiles();
  domains_.RebuildIndex(static_cast<size_t>(DomainCount()));
}

void ConfigurationStore::LoadDomainTableFromFiles() {
  const int32_t stated = static_cast<int32_t>(GetU32(settings_.data(), settings::kDomainCount));
  if (platform_.files != nullptr && platform_.files->FileExists(configFolder_ + "domains.cfg")) {
    auto content = ReadWhole(configFolder_ + "domains.cfg", UINT64_MAX);
    if (!content) {
      // Present but unreadable: nothing to show, and the stated count stays
      // for the file's owner to sort out.
      domains_.Reset(0);
      return;
    }
    const size_t inFile = content->size() / domain_entry::kSize;
    // A count of 0 is taken from the file size. A negative count, or one
    // larger than the file holds, is damage: the file's entries are what
    // there is.
    size_t count = stated > 0 ? static_cast<size_t>(stated) : 0;
    if (count == 0 || count > inFile) count = inFile;
    domains_.Assign(*content, count);
    SetDomainCount(static_cast<int>(count));
    return;
  }
  // Older releases kept the table inside settings.cfg, scrambled with the
  // rest of it: each byte keeps the key position it had there.
  std::string table;
  if (auto content = ReadWhole(configFolder_ + "settings.cfg", UINT64_MAX);
      content && content->size() > settings::kLegacyDomainTable) {
    table = content->substr(settings::kLegacyDomainTable);
  }
  const size_t available = table.size() / domain_entry::kSize;
  const size_t count = std::min<size_t>(stated > 0 ? static_cast<size_t>(stated) : 0, available);
  table.resize(count * domain_entry::kSize);
  Scramble(reinterpret_cast<uint8_t*>(table.data()), table.size(), settings::kLegacyDomainTable % 16);
  domains_.Assign(table, count);
  SetDomainCount(static_cast<int>(count));
}

bool ConfigurationStore::WriteWhole(const std::string& folder, const std::string& name, const std::string& bytes) {
  if (platform_.files == nullptr) return false;
  auto file = platform_.files->CreateForWriting(folder + name);
  if (!file) {
    ForceDirectories(*platform_.files, ExcludeTrailingBackslash(folder));
    file = platform_.files->CreateForWriting(folder + name);
  }
  if (!file) return false;
  const bool written = file->Write(bytes.data(), bytes.size());
  return file->Close() && written;
}

bool ConfigurationStore::SaveConfiguration() {
  bool saved = false;
  try {
    SettingsRecord scrambled = settings_;
    Scramble(scrambled.data(), scrambled.size(), 0);
    saved = WriteWhole(configFolder_, "settings.cfg",
                       std::string(reinterpret_cast<const char*>(scrambled.data()), scrambled.size()));
    const size_t size = std::min(static_cast<size_t>(DomainCount()) * domain_entry::kSize, domains_.Bytes().size());
    if (platform_.files != nullptr) {
      if (auto file = platform_.files->CreateForWriting(configFolder_ + "domains.cfg")) {
        const bool written = file->Write(domains_.Bytes().data(), size);
        saved = (file->Close() && written) || saved;
      }
    }
  } catch (...) {
    // Saving never takes the caller down; the flag tells what happened.
  }
  return saved;
}

void ConfigurationStore::ReleaseDatabaseLibrary() { database_.Release(); }

}  // namespace tovex
