#pragma once
// The registry port over advapi32's ANSI entries. Each method opens the key
// it needs, does one call or a short fixed sequence, and closes the key
// (unique_hkey). The registry calls return their status instead of setting
// the thread's last error, so LastError() is that returned status.
//
// A 64-bit Setup sees the 64-bit registry view; no view flag is passed.

#include <windows.h>

#include "platform/registry.h"

namespace tovex::win32 {

class Win32Registry final : public Registry {
 public:
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
  bool Check(LSTATUS status);
  uint32_t lastError_ = 0;
};

}  // namespace tovex::win32
