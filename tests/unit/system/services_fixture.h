#pragma once
// A fake machine with the server installed in C:\Tovex\, and small stand-ins
// for the shell (a console program "starts" by opening its window) and the
// registry (service descriptions).

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "fakes/fake_machine.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "system/server_services.h"
#include "system/server_table.h"

namespace tovex::testing {

// Opening a server program through the shell starts its console: the
// window of its row appears.
class ConsoleShell final : public Shell {
 public:
  explicit ConsoleShell(fakes::FakeWindows& windows) : windows_(windows) {}
  struct Opened {
    std::string target, parameters, folder;
  };
  std::vector<Opened> opened;

  bool Open(const std::string& target, const std::string& parameters, const std::string& folder) override {
    opened.push_back({target, parameters, folder});
    for (const ServerRow& row : kServerTable) {
      const std::string file(row.programFile);
      if (target.size() >= file.size() && target.compare(target.size() - file.size(), file.size(), file) == 0) {
        windows_.Open(std::string(row.windowClass), std::string(row.windowTitle));
      }
    }
    return true;
  }
  bool SaveLink(const std::string&, const ShellLink&) override { return false; }
  std::optional<ShellLink> LoadLink(const std::string&) override { return std::nullopt; }
  uint32_t LastError() const override { return 0; }

 private:
  fakes::FakeWindows& windows_;
};

// Keys and string values only: what service creation writes.
class DescriptionRegistry final : public Registry {
 public:
  std::map<std::string, std::map<std::string, std::string>> keys;  // under HKLM
  bool failWrites = false;

  bool KeyExists(RegistryRoot, const std::string& key) override { return keys.count(key) != 0; }
  bool CreateKey(RegistryRoot, const std::string& key) override {
    if (failWrites) return false;
    keys[key];
    return true;
  }
  bool DeleteKey(RegistryRoot, const std::string& key) override { return keys.erase(key) != 0; }
  std::vector<std::string> SubKeyNames(RegistryRoot, const std::string&) override { return {}; }
  std::vector<std::string> ValueNames(RegistryRoot, const std::string&) override { return {}; }
  std::optional<RegistryValue> ReadValue(RegistryRoot, const std::string& key, const std::string& name) override {
    const auto k = keys.find(key);
    if (k == keys.end() || k->second.count(name) == 0) return std::nullopt;
    return RegistryValue{RegistryValueType::String, k->second.at(name)};
  }
  bool WriteValue(RegistryRoot, const std::string& key, const std::string& name,
                  const RegistryValue& value) override {
    if (failWrites || keys.count(key) == 0) return false;
    keys[key][name] = value.data;
    return true;
  }
  bool DeleteValue(RegistryRoot, const std::string&, const std::string&) override { return false; }
  uint32_t LastError() const override { return 0; }

  std::string Description(const std::string& service) {
    const auto value = ReadValue(RegistryRoot::LocalMachine, "\\System\\CurrentControlSet\\Services\\" + service,
                                 "Description");
    return value ? value->data : "";
  }
};

class ServicesTest : public ::testing::Test {
 protected:
  fakes::FakeMachine machine;
  SetupContext& context = machine.context;
  fakes::FakeServices& services = machine.services;
  ConsoleShell shell{machine.windows};
  DescriptionRegistry registry;

  static constexpr const char* kInstallPath = "C:\\Tovex\\";

  ServicesTest() {
    context.InstallPath = kInstallPath;
    context.platform.shell = &shell;
    context.platform.registry = &registry;
    machine.files.AddFolder("C:\\Tovex");
    for (const ServerRow& row : kServerTable) machine.files.AddFile(kInstallPath + std::string(row.programFile), "MZ");
  }

  static std::string Name(int index) { return std::string(kServerTable[index].serviceName); }
  static std::string Program(int index) { return kInstallPath + std::string(kServerTable[index].programFile); }

  // The server's service as an earlier installation left it.
  fakes::FakeServices::Service& Existing(int index, uint32_t state, int32_t startType = service::kAutoStart) {
    return services.Add(Name(index), Program(index), state, startType);
  }
  void AllExisting(uint32_t state) {
    for (int index = 0; index < kServerCount; ++index) Existing(index, state);
  }
  uint32_t StateOf(int index) {
    const auto* entry = services.Find(Name(index));
    return entry == nullptr ? 0 : entry->state;
  }
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const auto& box : machine.user.shown) texts.push_back(box.text);
    return texts;
  }
};

}  // namespace tovex::testing
