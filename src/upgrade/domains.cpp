// The domain operations of the configuration store: lookup with the
// server's mapping rules, adding a domain, its record, its IP binding and
// making a domain primary.

#include <algorithm>
#include <cstdlib>

#include "common/folders.h"
#include "common/paths.h"
#include "common/text.h"
#include "platform/files.h"
#include "upgrade/config_store.h"

namespace tovex {

namespace {

constexpr uint64_t kMaxTextFile = 1 << 20;

// A name that can stand as one folder below the configuration folder.
bool IsFolderName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find_first_of("\\/:*?\"<>|") == std::string::npos;
}

// "[a.b.c.d]" with four decimal parts of 0 to 255: the address, else empty.
std::string AddressLiteral(const std::string& name) {
  if (name.size() < 9 || name.front() != '[' || name.back() != ']') return std::string();
  const std::string address = name.substr(1, name.size() - 2);
  const auto parts = Split(address, ".");
  if (parts.size() != 4) return std::string();
  for (const auto& part : parts) {
    if (part.empty() || part.size() > 3 || part.find_first_not_of("0123456789") != std::string::npos) {
      return std::string();
    }
    if (std::atoi(part.c_str()) > 255) return std::string();
  }
  return address;
}

}  // namespace

std::string ConfigurationStore::DomainFolder(const std::string& name) const {
  return configFolder_ + LowerCase(name) + "\\";
}

std::string ConfigurationStore::DomainName(int index) const {
  if (index < 0 || index >= DomainCount()) return std::string();
  return domains_.Name(static_cast<size_t>(index));
}

bool ConfigurationStore::DomainBindingFlag(int index) const {
  if (index < 0 || index >= DomainCount()) return false;
  return domains_.BindingFlag(static_cast<size_t>(index));
}

bool ConfigurationStore::DomainExists(const std::string& name) { return MapDomain(name) >= 0; }

// subdomains.dat, a text file in the configuration folder: one mapping per
// line, "subdomain=domain"; empty lines and lines starting with "#" or ";"
// are skipped; both sides are trimmed and compared ignoring case. A
// subdomain "*.example.com" stands for every name ending in ".example.com".
// The domain on the right must be in the table itself.
int ConfigurationStore::MapDomain(const std::string& name) {
  const std::string lower = LowerCase(name);
  if (const int entry = domains_.Find(lower); entry >= 0 && entry < DomainCount()) return entry;

  // An address literal maps onto the domain bound to that address, else onto
  // the primary domain; only when the settings allow literals.
  if (settings_[settings::kAllowAddressLiterals] != 0 && DomainCount() > 0) {
    const std::string address = AddressLiteral(lower);
    if (!address.empty()) {
      for (int entry = 0; entry < DomainCount(); ++entry) {
        if (DomainBindingFlag(entry) && DomainBinding(DomainName(entry)) == address) return entry;
      }
      return 0;
    }
  }

  if (platform_.files == nullptr || !platform_.files->FileExists(configFolder_ + "subdomains.dat")) return -1;
  auto content = ReadWhole(configFolder_ + "subdomains.dat", kMaxTextFile);
  if (!content) return -1;
  for (std::string line : Split(*content, "\n")) {
    line = Trim(line);
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    const size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string sub = LowerCase(Trim(line.substr(0, equals)));
    const std::string target = LowerCase(Trim(line.substr(equals + 1)));
    const bool matches = sub == lower || (sub.size() > 2 && sub.compare(0, 2, "*.") == 0 && lower.size() > sub.size() - 1 &&
                                          lower.compare(lower.size() - (sub.size() - 1), sub.size() - 1, sub, 1) == 0);
    if (!matches) continue;
    if (const int entry = domains_.Find(target); entry >= 0 && entry < DomainCount()) return entry;
  }
  return -1;
}

void ConfigurationStore::AddDomainName(const std::string& name, int count) {
  const size_t entry = static_cast<size_t>(DomainCount());
  if (entry >= domains_.Capacity()) domains_.Grow(static_cast<size_t>(std::max(count, 1)));
  const std::string lower = LowerCase(name).substr(0, domain_entry::kMaxNameLength);
  domains_.SetName(entry, lower);
  domains_.SetBindingFlag(entry, false);
  domains_.IndexName(lower, entry);
  SetDomainCount(static_cast<int>(entry) + 1);
}

bool ConfigurationStore::CreateDomainInDatabase(const std::string& name) {
  if (!DatabaseMode()) return true;
  return database_.AddDomain(name);
}

bool ConfigurationStore::SaveDomainRecord(const DomainRecord& record, int index) {
  const std::string name = DomainName(index);
  if (!IsFolderName(name)) return false;
  if (DatabaseMode()) database_.SetDomain(name, record);
  DomainRecord scrambled = record;
  Scramble(scrambled.data(), scrambled.size(), 0);
  return WriteWhole(DomainFolder(name), "domain.cfg",
                    std::string(reinterpret_cast<const char*>(scrambled.data()), scrambled.size()));
}

std::optional<DomainRecord> ConfigurationStore::ReadDomainRecord(int index) {
  const std::string name = DomainName(index);
  if (!IsFolderName(name)) return std::nullopt;
  auto content = ReadWhole(DomainFolder(name) + "domain.cfg", domain_record::kSize);
  if (!content) return std::nullopt;
  DomainRecord record{};
  std::copy(content->begin(), content->end(), record.begin());
  Scramble(record.data(), content->size(), 0);
  return record;
}

std::string ConfigurationStore::DomainBinding(const std::string& name) {
  if (!IsFolderName(name)) return std::string();
  auto content = ReadWhole(DomainFolder(name) + "bind.dat", kMaxTextFile);
  if (!content) return std::string();
  return Trim(content->substr(0, content->find_first_of("\r\n")));
}

// Stores a binding for the domain now in `entry`: its own bind.dat (deleted
// for an empty binding), the database and the entry's flag.
void ConfigurationStore::WriteBinding(size_t entry, const std::string& binding) {
  const std::string name = domains_.Name(entry);
  domains_.SetBindingFlag(entry, !binding.empty());
  if (DatabaseMode()) database_.SetDomainIP(name, binding);
  if (!IsFolderName(name) || platform_.files == nullptr) return;
  const std::string folder = DomainFolder(name);
  if (binding.empty()) {
    if (platform_.files->FileExists(folder + "bind.dat")) platform_.files->Delete(folder + "bind.dat");
    return;
  }
  // The binding stays with its domain, so a bind.dat that already says so is
  // left untouched with whatever further lines it carries.
  if (DomainBinding(name) == binding) return;
  WriteWhole(folder, "bind.dat", binding + "\r\n");
}

void ConfigurationStore::MakeDomainPrimary(int index) {
  if (index < 0 || index >= DomainCount()) return;
  const size_t entry = static_cast<size_t>(index);
  const std::string primary = domains_.Name(0);
  const std::string moving = domains_.Name(entry);
  const std::string primaryBinding = DomainBinding(primary);
  const std::string movingBinding = DomainBinding(moving);

  domains_.UnindexName(primary);
  domains_.UnindexName(moving);
  domains_.SetName(0, moving);
  domains_.SetName(entry, primary);
  domains_.IndexName(primary, entry);
  domains_.IndexName(moving, 0);

  WriteBinding(0, movingBinding);
  WriteBinding(entry, primaryBinding);
  if (DatabaseMode()) database_.MakeDomainPrimary(domains_.Name(0));
}

}  // namespace tovex
