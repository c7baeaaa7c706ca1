#pragma once
// TAdvancedRegistry: the small registry component through which Setup reads
// and writes its records. It addresses one key as a root, an "area" (an
// absolute path such as "\Software\Polvane") and a "section" (a key name,
// which may itself hold backslashes); every value operation works on
// area + "\" + section. It keeps no key open between operations.
//
// Failures are told in two ways, as the callers need them:
// - a key that cannot be opened or created, and a value that cannot be read,
//   raise OnError (silent when no handler is assigned) and the operation
//   gives an empty text, false or KeyUnavailable;
// - a value write that fails after its key was opened comes back as
//   ValueFailed, which the installation record turns into a fatal error box
//   (WriteFailureText gives its text).
// Every write and every failure goes to the setup log.

#include <functional>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace tovex {

struct SetupContext;

// Root keys in the order of the component's stored property.
enum class TRegistryKey {
  hkCLASSES_ROOT,
  hkCURRENT_USER,
  hkLOCAL_MACHINE,
  hkUSERS,
  hkPERFORMANCE_DATA,
  hkCURRENT_CONFIG,
  hkDYN_DATA,
};

RegistryRoot ToRegistryRoot(TRegistryKey key);
// "HKLM", "HKCU"... for log lines.
const char* RootName(RegistryRoot root);

enum class RegistryWrite {
  Written,
  KeyUnavailable,  // the key could not be opened or created; OnError was raised
  ValueFailed,     // the key was open but the value write failed
};

// "Failed to set data for 'Name'": the text of a failing value write.
std::string WriteFailureText(const std::string& valueName);

class TAdvancedRegistry {
 public:
  using ErrorHandler = std::function<void(TAdvancedRegistry&)>;

  TAdvancedRegistry(SetupContext& context, std::string name, TRegistryKey root, std::string area,
                    std::string section);

  const std::string& Name() const { return name_; }
  TRegistryKey RegistryRootKey() const { return rootKey_; }
  void SetRegistryRootKey(TRegistryKey root);
  const std::string& RegistryArea() const { return area_; }
  void SetRegistryArea(std::string area) { area_ = std::move(area); }
  const std::string& RegistrySection() const { return section_; }
  void SetRegistrySection(std::string section) { section_ = std::move(section); }
  ErrorHandler OnError;

  // The key every value operation works on: area, a backslash, section.
  std::string KeyPath() const;

  // Empty when the key or value is missing, on a read failure, or for a value
  // that is not a string; a missing key or a failed read raises OnError.
  std::string ReadString(const std::string& valueName);
  // Whether the 32-bit integer value is non-zero; false when the key or value
  // is missing or the value has another type (a flag stored as "1" is false).
  bool ReadBool(const std::string& valueName);

  RegistryWrite WriteString(const std::string& valueName, const std::string& value);
  RegistryWrite WriteInteger(const std::string& valueName, int32_t value);
  RegistryWrite WriteBool(const std::string& valueName, bool value);

  // Deletes an absolute key path under the current root with everything
  // below it; OnError when that fails.
  bool DeleteKey(const std::string& keyPath);
  // The key's value names, creating the key when missing (OnError when it
  // cannot be created; the list is then empty).
  std::vector<std::string> GetValueNames();

 private:
  // Opens the key without creating it; false (OnError raised) when missing.
  bool OpenExisting();
  RegistryWrite Write(const std::string& valueName, const RegistryValue& value);
  void RaiseError(const std::string& what);
  std::string Describe(const std::string& valueName) const;

  SetupContext& context_;
  std::string name_;
  TRegistryKey rootKey_;
  RegistryRoot root_;  // the re-rooted accessor
  std::string area_;
  std::string section_;
};

// Re-points a component to another area and section for a few reads and
// restores the previous ones when it goes out of scope.
class ScopedRegistryKey {
 public:
  ScopedRegistryKey(TAdvancedRegistry& registry, std::string area, std::string section);
  ~ScopedRegistryKey();
  ScopedRegistryKey(const ScopedRegistryKey&) = delete;
  ScopedRegistryKey& operator=(const ScopedRegistryKey&) = delete;

 private:
  TAdvancedRegistry& registry_;
  std::string area_;
  std::string section_;
};

}  // namespace tovex
