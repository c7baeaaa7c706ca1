#include "platform/win32/registry_win32.h"

#include "platform/win32/scoped_handles.h"

namespace tovex::win32 {

namespace {

HKEY RootKey(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RegistryRoot::CurrentUser: return HKEY_CURRENT_USER;
    case RegistryRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
    case RegistryRoot::Users: return HKEY_USERS;
    case RegistryRoot::PerformanceData: return HKEY_PERFORMANCE_DATA;
    case RegistryRoot::CurrentConfig: return HKEY_CURRENT_CONFIG;
    case RegistryRoot::DynData: return HKEY_DYN_DATA;
  }
  return HKEY_LOCAL_MACHINE;
}

// The callers' key paths begin with a backslash ("\Software\Polvane"); the
// registry takes paths relative to the root, and a leading backslash makes
// RegOpenKeyEx fail on Windows.
std::string Relative(const std::string& key) {
  size_t begin = 0, end = key.size();
  while (begin < end && key[begin] == '\\') ++begin;
  while (end > begin && key[end - 1] == '\\') --end;
  return key.substr(begin, end - begin);
}

LSTATUS OpenKey(RegistryRoot root, const std::string& key, REGSAM access, unique_hkey& opened) {
  return ::RegOpenKeyExA(RootKey(root), Relative(key).c_str(), 0, access, opened.put());
}

}  // namespace

bool Win32Registry::Check(LSTATUS status) {
  lastError_ = static_cast<uint32_t>(status);
  return status == ERROR_SUCCESS;
}

bool Win32Registry::KeyExists(RegistryRoot root, const std::string& key) {
  unique_hkey opened;
  return Check(OpenKey(root, key, KEY_READ, opened));
}

bool Win32Registry::CreateKey(RegistryRoot root, const std::string& key) {
  unique_hkey created;
  return Check(::RegCreateKeyExA(RootKey(root), Relative(key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 KEY_READ | KEY_WRITE, nullptr, created.put(), nullptr));
}

bool Win32Registry::DeleteKey(RegistryRoot root, const std::string& key) {
  const std::string relative = Relative(key);
  // An empty path would make RegDeleteTree empty the whole root.
  if (relative.empty()) return Check(ERROR_INVALID_PARAMETER);
  // With a subkey name RegDeleteTree removes the subkey itself too.
  return Check(::RegDeleteTreeA(RootKey(root), relative.c_str()));
}

std::vector<std::string> Win32Registry::SubKeyNames(RegistryRoot root, const std::string& key) {
  std::vector<std::string> names;
  unique_hkey opened;
  if (!Check(OpenKey(root, key, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE, opened))) return names;
  char name[256];  // key names are at most 255 characters
  for (DWORD index = 0;; ++index) {
    DWORD length = sizeof name;
    const LSTATUS status = ::RegEnumKeyExA(opened.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (!Check(status)) break;
    names.emplace_back(name, length);
  }
  return names;
}

std::vector<std::string> Win32Registry::ValueNames(RegistryRoot root, const std::string& key) {
  std::vector<std::string> names;
  unique_hkey opened;
  if (!Check(OpenKey(root, key, KEY_QUERY_VALUE, opened))) return names;
  DWORD longest = 0;
  if (!Check(::RegQueryInfoKeyA(opened.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                &longest, nullptr, nullptr, nullptr)))
    return names;
  std::string name(longest + 1, '\0');
  for (DWORD index = 0;; ++index) {
    DWORD length = static_cast<DWORD>(name.size());
    const LSTATUS status =
        ::RegEnumValueA(opened.get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (!Check(status)) break;
    names.emplace_back(name.data(), length);
  }
  return names;
}

std::optional<RegistryValue> Win32Registry::ReadValue(RegistryRoot root, const std::string& key,
                                                      const std::string& name) {
  unique_hkey opened;
  if (!Check(OpenKey(root, key, KEY_QUERY_VALUE, opened))) return std::nullopt;
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (!Check(::RegQueryValueExA(opened.get(), name.c_str(), nullptr, &type, nullptr, &size))) return std::nullopt;
  std::string data;
  LSTATUS status;
  // The value may grow between the two calls; ERROR_MORE_DATA gives the new size.
  do {
    data.resize(size);
    status = ::RegQueryValueExA(opened.get(), name.c_str(), nullptr, &type,
                                reinterpret_cast<BYTE*>(data.data()), &size);
  } while (status == ERROR_MORE_DATA);
  if (!Check(status)) return std::nullopt;
  data.resize(size);
  RegistryValue value{static_cast<RegistryValueType>(type), std::move(data)};
  if (type == REG_SZ || type == REG_EXPAND_SZ) {
    // Stored strings may or may not carry their terminator; the text ends at
    // the first NUL either way.
    const size_t nul = value.data.find('\0');
    if (nul != std::string::npos) value.data.resize(nul);
  }
  return value;
}

bool Win32Registry::WriteValue(RegistryRoot root, const std::string& key, const std::string& name,
                               const RegistryValue& value) {
  unique_hkey opened;
  if (!Check(OpenKey(root, key, KEY_SET_VALUE, opened))) return false;
  const DWORD type = static_cast<DWORD>(value.type);
  std::string data = value.data;
  if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) data.push_back('\0');
  return Check(::RegSetValueExA(opened.get(), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                static_cast<DWORD>(data.size())));
}

bool Win32Registry::DeleteValue(RegistryRoot root, const std::string& key, const std::string& name) {
  unique_hkey opened;
  if (!Check(OpenKey(root, key, KEY_SET_VALUE, opened))) return false;
  return Check(::RegDeleteValueA(opened.get(), name.c_str()));
}

}  // namespace tovex::win32
