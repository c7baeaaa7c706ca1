// The registry contract on Wine's real registry, under a key of this
// process below HKCU; the same cases hold the in-memory registry to it.
#include <windows.h>

#include "platform/win32/registry_win32.h"
#include "shared/registry_cases.h"

namespace tovex {
namespace {

std::string FreshKey(Registry& registry, const char* name) {
  const std::string key = std::string("\\Software\\") + name + std::to_string(::GetCurrentProcessId());
  registry.DeleteKey(RegistryRoot::CurrentUser, key);
  return key;
}

TEST(Win32RegistryContract, Keys) {
  win32::Win32Registry registry;
  cases::RegistryKeyCases(registry, RegistryRoot::CurrentUser, FreshKey(registry, "TovexContractKeys"));
}

TEST(Win32RegistryContract, Values) {
  win32::Win32Registry registry;
  cases::RegistryValueCases(registry, RegistryRoot::CurrentUser, FreshKey(registry, "TovexContractValues"));
}

}  // namespace
}  // namespace tovex
