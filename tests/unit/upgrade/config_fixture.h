#pragma once
// A fake machine with a configuration store whose folder is
// C:\Tovex\config\, and helpers that build the server's files.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_machine.h"
#include "upgrade/config_store.h"

namespace tovex::testing {

inline constexpr char kConfig[] = "C:\\Tovex\\config\\";

inline std::string Bytes(const uint8_t* data, size_t size) { return std::string(reinterpret_cast<const char*>(data), size); }

template <size_t N>
std::string Scrambled(std::array<uint8_t, N> record) {
  Scramble(record.data(), record.size(), 0);
  return Bytes(record.data(), record.size());
}

template <size_t N>
std::array<uint8_t, N> Unscrambled(const std::string& bytes, size_t at = 0) {
  std::array<uint8_t, N> record{};
  std::copy(bytes.begin() + static_cast<ptrdiff_t>(at), bytes.begin() + static_cast<ptrdiff_t>(at + N), record.begin());
  Scramble(record.data(), N, 0);
  return record;
}

// domains.cfg bytes for the names, with the binding flags given.
inline std::string DomainsFile(const std::vector<std::string>& names, const std::vector<bool>& bound = {}) {
  std::string bytes(names.size() * domain_entry::kSize, '\0');
  for (size_t i = 0; i < names.size(); ++i) {
    bytes[i * 96] = static_cast<char>(names[i].size());
    bytes.replace(i * 96 + 1, names[i].size(), names[i]);
    if (i < bound.size() && bound[i]) bytes[i * 96 + 95] = 1;
  }
  return bytes;
}

inline SettingsRecord SettingsWithCount(int32_t count) {
  SettingsRecord record = DefaultSettingsRecord();
  SetU32(record.data(), settings::kDomainCount, static_cast<uint32_t>(count));
  return record;
}

inline AccountRecord UserAccount(const std::string& user, const std::string& password) {
  AccountRecord record{};
  record[account::kType] = account::kTypeUser;
  SetText(record.data(), account::kAliases, user);
  SetText(record.data(), account::kUserName, user);
  SetText(record.data(), account::kPassword, password);
  return record;
}

class ConfigStoreTest : public ::testing::Test {
 protected:
  ConfigStoreTest() {
    machine.network.dnsServers = {"192.0.2.53", "198.51.100.53"};
    store.random = [] { return 12345u; };
    store.SetConfigurationFolder(kConfig);
    store.SetRootFolder("C:\\Tovex\\");
  }
  std::string File(const std::string& name) { return machine.files.Content(std::string(kConfig) + name).value_or("<missing>"); }
  void Put(const std::string& name, const std::string& bytes) { machine.files.AddFile(std::string(kConfig) + name, bytes); }
  bool Exists(const std::string& name) { return machine.files.FileExists(std::string(kConfig) + name); }

  fakes::FakeMachine machine;
  ConfigurationStore store{machine.context.platform, &machine.log};
};

}  // namespace tovex::testing
