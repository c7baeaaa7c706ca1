// The account operations of the configuration store: users.cfg holds a
// domain's accounts as 2848-byte records, each scrambled by itself.

#include <algorithm>

#include "common/setup_log.h"
#include "common/text.h"
#include "platform/files.h"
#include "upgrade/config_store.h"
#include "upgrade/password_cipher.h"

namespace tovex {

namespace {

// users.cfg files are read whole; this bounds what a damaged or hostile file
// can make the store allocate (over 350,000 accounts).
constexpr uint64_t kMaxUsersFile = 1ull << 30;

bool IsUser(const AccountRecord& record) { return record[account::kType] == account::kTypeUser; }

}  // namespace

void ConfigurationStore::EncipherForStorage(AccountRecord& record) const {
  if (settings_[settings::kPasswordEncryption] == 0 || !IsUser(record)) return;
  const std::string password = GetText(record.data(), account::kPassword);
  if (password.empty() || password.compare(0, 2, "~#") == 0) return;
  if (auto stored = EncipherPassword(password)) {
    SetText(record.data(), account::kPassword, *stored);
  } else if (log_ != nullptr) {
    log_->Write("An account password of " + std::to_string(password.size()) +
                " characters is too long to be stored enciphered; it is stored as typed.");
  }
}

void ConfigurationStore::DecipherFromStorage(AccountRecord& record) {
  if (!IsUser(record)) return;
  if (auto password = DecipherPassword(GetText(record.data(), account::kPassword))) {
    SetText(record.data(), account::kPassword, *password);
  }
}

bool ConfigurationStore::SaveAccount(const std::string& domain, const AccountRecord& record, int& position,
                                     const std::string& oldAlias) {
  AccountRecord stored = record;
  EncipherForStorage(stored);
  if (DatabaseMode()) {
    if (auto saved = database_.SaveUsers(domain, stored, position, oldAlias)) {
      position = *saved;
      return true;
    }
    // A failing database call leaves the file store as the result.
  }
  if (platform_.files == nullptr || domain.empty()) return false;
  const std::string folder = DomainFolder(domain);
  std::string content = ReadWhole(folder + "users.cfg", kMaxUsersFile).value_or(std::string());
  const int records = static_cast<int>(content.size() / account::kSize);
  if (position < -1 || position > records) return false;
  const bool append = position == -1 || position == records;
  const int target = append ? records : position;

  Scramble(stored.data(), stored.size(), 0);
  // A partial record at the end (a write cut short) is not an account; the
  // new one takes its place.
  content.resize(static_cast<size_t>(records) * account::kSize);
  const std::string bytes(reinterpret_cast<const char*>(stored.data()), stored.size());
  if (append) {
    content += bytes;
  } else {
    content.replace(static_cast<size_t>(target) * account::kSize, account::kSize, bytes);
  }
  if (!WriteWhole(folder, "users.cfg", content)) return false;
  position = target;
  return true;
}

int ConfigurationStore::FindAccount(const std::string& domain, const std::string& alias) {
  AccountCursor cursor;
  OpenAccounts(domain, cursor);
  int found = -1;
  while (found < 0 && !NextAccount(cursor)) {
    for (const auto& name : Split(GetText(cursor.record.data(), account::kAliases), ";")) {
      if (SameText(Trim(name), alias)) {
        found = cursor.position;
        break;
      }
    }
  }
  CloseAccounts(cursor);
  return found;
}

void ConfigurationStore::OpenAccounts(const std::string& domain, AccountCursor& cursor) {
  CloseAccounts(cursor);
  cursor.domain = domain;
  cursor.database = DatabaseMode();
  if (!cursor.database && platform_.files != nullptr && !domain.empty()) {
    cursor.file = platform_.files->OpenForReading(DomainFolder(domain) + "users.cfg");
  }
}

bool ConfigurationStore::NextAccount(AccountCursor& cursor) {
  AccountRecord record{};
  if (cursor.database) {
    auto filled = database_.Loaded() ? database_.GetUser(cursor.domain, cursor.position + 1, record) : std::nullopt;
    if (!filled || !*filled) return true;
  } else {
    if (!cursor.file) return true;
    size_t filled = 0;
    while (filled < record.size()) {
      size_t got = 0;
      if (!cursor.file->Read(record.data() + filled, record.size() - filled, got) || got == 0) break;
      filled += got;
    }
    // A partial record at the end is not an account.
    if (filled < record.size()) return true;
    Scramble(record.data(), record.size(), 0);
  }
  DecipherFromStorage(record);
  cursor.record = record;
  ++cursor.position;
  return false;
}

void ConfigurationStore::CloseAccounts(AccountCursor& cursor) {
  cursor.file.reset();
  cursor.database = false;
  cursor.position = -1;
}

}  // namespace tovex
