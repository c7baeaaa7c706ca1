#include "system/advanced_registry.h"

#include <cstring>

#include "common/context.h"
#include "common/setup_log.h"
#include "platform/files.h"
#include "platform/system.h"

namespace tovex {

RegistryRoot ToRegistryRoot(TRegistryKey key) {
  switch (key) {
    case TRegistryKey::hkCLASSES_ROOT: return RegistryRoot::ClassesRoot;
    case TRegistryKey::hkCURRENT_USER: return RegistryRoot::CurrentUser;
    case TRegistryKey::hkLOCAL_MACHINE: return RegistryRoot::LocalMachine;
    case TRegistryKey::hkUSERS: return RegistryRoot::Users;
    case TRegistryKey::hkPERFORMANCE_DATA: return RegistryRoot::PerformanceData;
    case TRegistryKey::hkCURRENT_CONFIG: return RegistryRoot::CurrentConfig;
    case TRegistryKey::hkDYN_DATA: return RegistryRoot::DynData;
  }
  return RegistryRoot::LocalMachine;
}

const char* RootName(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::LocalMachine: return "HKLM";
    case RegistryRoot::CurrentUser: return "HKCU";
    case RegistryRoot::ClassesRoot: return "HKCR";
    case RegistryRoot::Users: return "HKU";
    case RegistryRoot::PerformanceData: return "HKPD";
    case RegistryRoot::CurrentConfig: return "HKCC";
    case RegistryRoot::DynData: return "HKDD";
  }
  return "?";
}

std::string WriteFailureText(const std::string& valueName) { return "Failed to set data for '" + valueName + "'"; }

TAdvancedRegistry::TAdvancedRegistry(SetupContext& context, std::string name, TRegistryKey root, std::string area,
                                     std::string section)
    : context_(context),
      name_(std::move(name)),
      rootKey_(root),
      root_(ToRegistryRoot(root)),
      area_(std::move(area)),
      section_(std::move(section)) {}

void TAdvancedRegistry::SetRegistryRootKey(TRegistryKey root) {
  rootKey_ = root;
  root_ = ToRegistryRoot(root);
}

std::string TAdvancedRegistry::KeyPath() const { return area_ + "\\" + section_; }

std::string TAdvancedRegistry::Describe(const std::string& valueName) const {
  std::string text = std::string(RootName(root_)) + KeyPath();
  if (!valueName.empty()) text += " value " + valueName;
  return text;
}

void TAdvancedRegistry::RaiseError(const std::string& what) {
  const uint32_t code = context_.platform.registry->LastError();
  if (context_.log != nullptr) {
    const std::string text = context_.platform.system != nullptr ? context_.platform.system->ErrorText(code) : "";
    context_.log->Failure(what, code, text);
  }
  if (OnError) OnError(*this);
}

bool TAdvancedRegistry::OpenExisting() {
  if (context_.platform.registry->KeyExists(root_, KeyPath())) return true;
  // A missing key is the usual case on a first installation; it is logged
  // only when something else went wrong.
  if (context_.platform.registry->LastError() == oserr::kFileNotFound) {
    if (OnError) OnError(*this);
  } else {
    RaiseError("Opening registry key " + Describe(""));
  }
  return false;
}

std::string TAdvancedRegistry::ReadString(const std::string& valueName) {
  if (!OpenExisting()) return {};
  Registry& registry = *context_.platform.registry;
  auto value = registry.ReadValue(root_, KeyPath(), valueName);
  if (!value) {
    if (registry.LastError() != oserr::kFileNotFound) RaiseError("Reading registry " + Describe(valueName));
    return {};
  }
  if (value->type != RegistryValueType::String && value->type != RegistryValueType::ExpandString) {
    RaiseError("Reading registry " + Describe(valueName) + " (not a text)");
    return {};
  }
  return value->data;
}

bool TAdvancedRegistry::ReadBool(const std::string& valueName) {
  if (!OpenExisting()) return false;
  Registry& registry = *context_.platform.registry;
  auto value = registry.ReadValue(root_, KeyPath(), valueName);
  if (!value) {
    if (registry.LastError() != oserr::kFileNotFound) RaiseError("Reading registry " + Describe(valueName));
    return false;
  }
  if (value->type != RegistryValueType::Integer || value->data.size() < 4) {
    RaiseError("Reading registry " + Describe(valueName) + " (not a 32-bit integer)");
    return false;
  }
  uint32_t number = 0;
  std::memcpy(&number, value->data.data(), 4);
  return number != 0;
}

RegistryWrite TAdvancedRegistry::Write(const std::string& valueName, const RegistryValue& value) {
  Registry& registry = *context_.platform.registry;
  if (!registry.CreateKey(root_, KeyPath())) {
    RaiseError("Creating registry key " + Describe(""));
    return RegistryWrite::KeyUnavailable;
  }
  if (!registry.WriteValue(root_, KeyPath(), valueName, value)) {
    const uint32_t code = registry.LastError();
    if (context_.log != nullptr) {
      context_.log->Failure("Writing registry " + Describe(valueName), code,
                            context_.platform.system != nullptr ? context_.platform.system->ErrorText(code) : "");
    }
    return RegistryWrite::ValueFailed;
  }
  if (context_.log != nullptr) context_.log->Write("Registry: wrote " + Describe(valueName));
  return RegistryWrite::Written;
}

RegistryWrite TAdvancedRegistry::WriteString(const std::string& valueName, const std::string& value) {
  return Write(valueName, RegistryValue{RegistryValueType::String, value});
}

RegistryWrite TAdvancedRegistry::WriteInteger(const std::string& valueName, int32_t value) {
  std::string bytes(4, '\0');
  const uint32_t number = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFF);  // REG_DWORD is little-endian
  return Write(valueName, RegistryValue{RegistryValueType::Integer, bytes});
}

RegistryWrite TAdvancedRegistry::WriteBool(const std::string& valueName, bool value) {
  return WriteInteger(valueName, value ? 1 : 0);
}

bool TAdvancedRegistry::DeleteKey(const std::string& keyPath) {
  if (context_.platform.registry->DeleteKey(root_, keyPath)) {
    if (context_.log != nullptr) context_.log->Write(std::string("Registry: deleted ") + RootName(root_) + keyPath);
    return true;
  }
  RaiseError(std::string("Deleting registry key ") + RootName(root_) + keyPath);
  return false;
}

std::vector<std::string> TAdvancedRegistry::GetValueNames() {
  Registry& registry = *context_.platform.registry;
  if (!registry.CreateKey(root_, KeyPath())) {
    RaiseError("Creating registry key " + Describe(""));
    return {};
  }
  return registry.ValueNames(root_, KeyPath());
}

ScopedRegistryKey::ScopedRegistryKey(TAdvancedRegistry& registry, std::string area, std::string section)
    : registry_(registry), area_(registry.RegistryArea()), section_(registry.RegistrySection()) {
  registry_.SetRegistryArea(std::move(area));
  registry_.SetRegistrySection(std::move(section));
}

ScopedRegistryKey::~ScopedRegistryKey() {
  registry_.SetRegistryArea(std::move(area_));
  registry_.SetRegistrySection(std::move(section_));
}

}  // namespace tovex
