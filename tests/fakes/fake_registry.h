#pragma once
// An in-memory registry: one tree per root, key and value names compared
// ignoring case (spelling kept as first written), values listed in the order
// they were created, and failures a test can inject per key (and value) and
// operation.

#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/registry.h"

namespace tovex::fakes {

class FakeRegistry final : public Registry {
 public:
  // Open covers KeyExists and the opening done by reads and listings.
  enum class Op { Open, Create, Delete, Read, Write, List };

  // Test set-up; keys (and parents) are created as needed.
  void AddKey(RegistryRoot root, const std::string& key);
  void SetString(RegistryRoot root, const std::string& key, const std::string& name, const std::string& value);
  void SetInteger(RegistryRoot root, const std::string& key, const std::string& name, uint32_t value);
  void SetBinary(RegistryRoot root, const std::string& key, const std::string& name, const std::string& bytes);
  void SetValue(RegistryRoot root, const std::string& key, const std::string& name, const RegistryValue& value);

  // Every later operation of this kind on the key fails with the code, until
  // cleared. With a value name only that value's reads or writes fail.
  void FailOn(Op op, RegistryRoot root, const std::string& key, uint32_t code, const std::string& valueName = "");
  void ClearFailures() { failures_.clear(); }

  // Inspection.
  bool HasKey(RegistryRoot root, const std::string& key) const;
  std::optional<RegistryValue> Value(RegistryRoot root, const std::string& key, const std::string& name) const;
  std::optional<std::string> String(RegistryRoot root, const std::string& key, const std::string& name) const;
  // Every successful value write, as "key\name" in the spelling passed.
  std::vector<std::string> writes;

  bool KeyExists(RegistryRoot root, const std::string& key) override;
  bool CreateKey(RegistryRoot root, const std::string& key) override;
  bool DeleteKey(RegistryRoot root, const std::string& key) override;
  std::vector<std::string> SubKeyNames(RegistryRoot root, const std::string& key) override;
  std::vector<std::string> ValueNames(RegistryRoot root, const std::string& key) override;
  std::optional<RegistryValue> ReadValue(RegistryRoot root, const std::string& key, const std::string& name) override;
  bool WriteValue(RegistryRoot root, const std::string& key, const std::string& name,
                  const RegistryValue& value) override;
  bool DeleteValue(RegistryRoot root, const std::string& key, const std::string& name) override;
  uint32_t LastError() const override { return lastError_; }

 private:
  struct Key {
    std::string spelling;
    std::vector<std::pair<std::string, RegistryValue>> values;  // creation order
  };
  using KeyId = std::pair<RegistryRoot, std::string>;  // upper-cased path without outer "\"

  static std::string Normalize(const std::string& key);
  static KeyId Id(RegistryRoot root, const std::string& key);
  Key* Find(RegistryRoot root, const std::string& key);
  const Key* Find(RegistryRoot root, const std::string& key) const;
  Key& Make(RegistryRoot root, const std::string& key);
  bool Injected(Op op, RegistryRoot root, const std::string& key, const std::string& name = "");
  bool Fail(uint32_t code);

  std::map<KeyId, Key> keys_;
  std::map<std::tuple<Op, RegistryRoot, std::string, std::string>, uint32_t> failures_;
  uint32_t lastError_ = 0;
};

}  // namespace tovex::fakes
