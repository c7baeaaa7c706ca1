#pragma once
// Registry port: keys and values of the Windows registry. Each call opens
// what it needs and closes it before returning. Key paths are relative to a
// root and may begin with "\" (ignored). Failures return false or nullopt and
// leave the Windows status code (as the registry calls return it) in
// LastError(); a missing key or value is kFileNotFound (2).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tovex {

// The predefined root keys. The last three exist for completeness of the
// registry component's root-key property; Setup reads and writes only the
// first two. Dynamic data exists only on the Windows 95 family.
enum class RegistryRoot { LocalMachine, CurrentUser, ClassesRoot, Users, PerformanceData, CurrentConfig, DynData };

enum class RegistryValueType : uint32_t {
  None = 0,
  String = 1,        // REG_SZ
  ExpandString = 2,  // REG_EXPAND_SZ
  Binary = 3,        // REG_BINARY
  Integer = 4,       // REG_DWORD
  MultiString = 7,   // REG_MULTI_SZ
};

struct RegistryValue {
  RegistryValueType type = RegistryValueType::None;
  std::string data;  // raw bytes; strings without their terminating NUL
};

class Registry {
 public:
  virtual ~Registry() = default;

  virtual bool KeyExists(RegistryRoot root, const std::string& key) = 0;
  // Creates the key and any missing parents; true when it exists afterwards.
  virtual bool CreateKey(RegistryRoot root, const std::string& key) = 0;
  // Deletes a key with everything below it.
  virtual bool DeleteKey(RegistryRoot root, const std::string& key) = 0;
  virtual std::vector<std::string> SubKeyNames(RegistryRoot root, const std::string& key) = 0;
  virtual std::vector<std::string> ValueNames(RegistryRoot root, const std::string& key) = 0;

  // nullopt when the key or value is missing or cannot be read.
  virtual std::optional<RegistryValue> ReadValue(RegistryRoot root, const std::string& key,
                                                 const std::string& name) = 0;
  // Writes into an existing key (CreateKey first).
  virtual bool WriteValue(RegistryRoot root, const std::string& key, const std::string& name,
                          const RegistryValue& value) = 0;
  virtual bool DeleteValue(RegistryRoot root, const std::string& key, const std::string& name) = 0;

  virtual uint32_t LastError() const = 0;
};

}  // namespace tovex
