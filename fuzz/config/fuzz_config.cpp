// The configuration store on any bytes. Input: two little-endian 16-bit
// lengths, then the plain bytes of settings.cfg and domains.cfg of those
// lengths, then the plain bytes of users.cfg (records are scrambled before
// they are stored, so the fuzzer works on the values the store sees). The
// users bytes also serve as subdomains.dat and the first domain's bind.dat.
//
// Besides crashes and undefined behaviour it checks that a load, a save, a
// second load and a second save give the same bytes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fakes/fake_files.h"
#include "upgrade/config_report.h"
#include "upgrade/config_store.h"

using namespace tovex;

namespace {

constexpr char kConfig[] = "C:\\Mail\\config\\";

std::string Scrambled(std::string bytes, size_t record) {
  for (size_t at = 0; at < bytes.size(); at += record) {
    Scramble(reinterpret_cast<uint8_t*>(bytes.data()) + at, std::min(record, bytes.size() - at), 0);
  }
  return bytes;
}

ConfigurationStore* NewStore(fakes::FakeFiles& files) {
  Platform platform;
  platform.files = &files;
  auto* store = new ConfigurationStore(platform);
  store->random = [] { return 7u; };
  store->SetConfigurationFolder(kConfig);
  store->SetRootFolder("C:\\Mail\\");
  return store;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  size_t settingsSize = data[0] | (data[1] << 8);
  size_t domainsSize = data[2] | (data[3] << 8);
  std::string rest(reinterpret_cast<const char*>(data + 4), size - 4);
  settingsSize = std::min(settingsSize, rest.size());
  const std::string settingsBytes = rest.substr(0, settingsSize);
  rest.erase(0, settingsSize);
  domainsSize = std::min(domainsSize, rest.size());
  const std::string domainsBytes = rest.substr(0, domainsSize);
  const std::string usersBytes = rest.substr(domainsSize);

  fakes::FakeFiles files;
  if (!settingsBytes.empty()) files.AddFile(std::string(kConfig) + "settings.cfg", Scrambled(settingsBytes, settings::kSize));
  // An odd first length byte leaves domains.cfg out: the older table inside
  // settings.cfg is read instead.
  if ((data[2] & 1) == 0) files.AddFile(std::string(kConfig) + "domains.cfg", domainsBytes);
  files.AddFile(std::string(kConfig) + "subdomains.dat", usersBytes);

  std::unique_ptr<ConfigurationStore> store(NewStore(files));
  store->LoadConfiguration();
  const std::string first = store->DomainName(0);
  if (!first.empty() && first.find_first_of("\\/:*?\"<>|") == std::string::npos && first != "." && first != "..") {
    files.AddFile(store->DomainFolder(first) + "users.cfg", Scrambled(usersBytes, account::kSize));
    files.AddFile(store->DomainFolder(first) + "bind.dat", usersBytes.substr(0, 64));
  }

  // Round trip: save, load into a fresh store, save again.
  store->SaveConfiguration();
  const auto savedSettings = files.Content(std::string(kConfig) + "settings.cfg");
  const auto savedDomains = files.Content(std::string(kConfig) + "domains.cfg");
  {
    std::unique_ptr<ConfigurationStore> again(NewStore(files));
    again->LoadConfiguration();
    again->SaveConfiguration();
    if (files.Content(std::string(kConfig) + "settings.cfg") != savedSettings ||
        files.Content(std::string(kConfig) + "domains.cfg") != savedDomains) {
      std::abort();
    }
  }

  // Every operation over what was loaded.
  store->Settings()[settings::kAllowAddressLiterals] = 1;
  store->DomainExists("[192.0.2.1]");
  store->DomainExists("a.b." + first);
  store->DomainExists(usersBytes.substr(0, 40));
  const int count = store->DomainCount();
  for (int i = 0; i < std::min(count, 4); ++i) {
    AccountCursor cursor;
    store->OpenAccounts(store->DomainName(i), cursor);
    for (int n = 0; n < 64 && !store->NextAccount(cursor); ++n) {
    }
    store->CloseAccounts(cursor);
    store->FindAccount(store->DomainName(i), "admin");
  }
  store->AddDomainName(domainsBytes.substr(0, 120), 2);
  DomainRecord record{};
  store->SaveDomainRecord(record, store->DomainCount() - 1);
  store->MakeDomainPrimary(store->DomainCount() - 1);
  store->Settings()[settings::kPasswordEncryption] = 1;
  AccountRecord user{};
  SetText(user.data(), account::kPassword, usersBytes.substr(0, 127));
  int position = -1;
  store->SaveAccount(store->DomainName(0), user, position, "");
  store->SaveConfiguration();
  ConfigurationReport(files, nullptr, kConfig);
  return 0;
}
