#include "fakes/fake_registry.h"

#include <cstring>

#include "common/text.h"
#include "platform/files.h"

namespace tovex::fakes {

std::string FakeRegistry::Normalize(const std::string& key) {
  size_t begin = 0, end = key.size();
  while (begin < end && key[begin] == '\\') ++begin;
  while (end > begin && key[end - 1] == '\\') --end;
  return key.substr(begin, end - begin);
}

FakeRegistry::KeyId FakeRegistry::Id(RegistryRoot root, const std::string& key) {
  return {root, UpperCase(Normalize(key))};
}

FakeRegistry::Key* FakeRegistry::Find(RegistryRoot root, const std::string& key) {
  auto found = keys_.find(Id(root, key));
  return found == keys_.end() ? nullptr : &found->second;
}

const FakeRegistry::Key* FakeRegistry::Find(RegistryRoot root, const std::string& key) const {
  auto found = keys_.find(Id(root, key));
  return found == keys_.end() ? nullptr : &found->second;
}

FakeRegistry::Key& FakeRegistry::Make(RegistryRoot root, const std::string& key) {
  const std::string path = Normalize(key);
  // Parents first, so that every prefix of an existing key exists too.
  for (size_t slash = path.find('\\'); slash != std::string::npos; slash = path.find('\\', slash + 1)) {
    Key& parent = keys_[Id(root, path.substr(0, slash))];
    if (parent.spelling.empty()) parent.spelling = path.substr(0, slash);
  }
  Key& made = keys_[Id(root, path)];
  if (made.spelling.empty()) made.spelling = path;
  return made;
}

bool FakeRegistry::Fail(uint32_t code) {
  lastError_ = code;
  return false;
}

bool FakeRegistry::Injected(Op op, RegistryRoot root, const std::string& key, const std::string& name) {
  const std::string id = UpperCase(Normalize(key));
  for (const std::string& value : {UpperCase(name), std::string()}) {
    auto found = failures_.find({op, root, id, value});
    if (found != failures_.end()) return !Fail(found->second);
  }
  return false;
}

void FakeRegistry::AddKey(RegistryRoot root, const std::string& key) { Make(root, key); }

void FakeRegistry::SetValue(RegistryRoot root, const std::string& key, const std::string& name,
                            const RegistryValue& value) {
  Key& target = Make(root, key);
  for (auto& [existing, stored] : target.values) {
    if (SameText(existing, name)) {
      stored = value;
      return;
    }
  }
  target.values.emplace_back(name, value);
}

void FakeRegistry::SetString(RegistryRoot root, const std::string& key, const std::string& name,
                             const std::string& value) {
  SetValue(root, key, name, RegistryValue{RegistryValueType::String, value});
}

void FakeRegistry::SetInteger(RegistryRoot root, const std::string& key, const std::string& name, uint32_t value) {
  std::string bytes(4, '\0');
  std::memcpy(bytes.data(), &value, 4);  // little-endian like the machine it fakes
  SetValue(root, key, name, RegistryValue{RegistryValueType::Integer, bytes});
}

void FakeRegistry::SetBinary(RegistryRoot root, const std::string& key, const std::string& name,
                             const std::string& bytes) {
  SetValue(root, key, name, RegistryValue{RegistryValueType::Binary, bytes});
}

void FakeRegistry::FailOn(Op op, RegistryRoot root, const std::string& key, uint32_t code,
                          const std::string& valueName) {
  failures_[{op, root, UpperCase(Normalize(key)), UpperCase(valueName)}] = code;
}

bool FakeRegistry::HasKey(RegistryRoot root, const std::string& key) const {
  return Normalize(key).empty() || Find(root, key) != nullptr;
}

std::optional<RegistryValue> FakeRegistry::Value(RegistryRoot root, const std::string& key,
                                                 const std::string& name) const {
  const Key* found = Find(root, key);
  if (found == nullptr) return std::nullopt;
  for (const auto& [existing, value] : found->values) {
    if (SameText(existing, name)) return value;
  }
  return std::nullopt;
}

std::optional<std::string> FakeRegistry::String(RegistryRoot root, const std::string& key,
                                                const std::string& name) const {
  auto value = Value(root, key, name);
  if (!value || value->type != RegistryValueType::String) return std::nullopt;
  return value->data;
}

bool FakeRegistry::KeyExists(RegistryRoot root, const std::string& key) {
  if (Injected(Op::Open, root, key)) return false;
  if (HasKey(root, key)) return true;
  return Fail(oserr::kFileNotFound);
}

bool FakeRegistry::CreateKey(RegistryRoot root, const std::string& key) {
  if (Injected(Op::Create, root, key)) return false;
  Make(root, key);
  return true;
}

bool FakeRegistry::DeleteKey(RegistryRoot root, const std::string& key) {
  if (Injected(Op::Delete, root, key)) return false;
  const KeyId id = Id(root, key);
  if (id.second.empty() || keys_.find(id) == keys_.end()) return Fail(oserr::kFileNotFound);
  const std::string below = id.second + "\\";
  for (auto it = keys_.begin(); it != keys_.end();) {
    const bool inside = it->first.first == root &&
                        (it->first.second == id.second || it->first.second.compare(0, below.size(), below) == 0);
    it = inside ? keys_.erase(it) : std::next(it);
  }
  return true;
}

std::vector<std::string> FakeRegistry::SubKeyNames(RegistryRoot root, const std::string& key) {
  std::vector<std::string> names;
  if (Injected(Op::List, root, key)) return names;
  if (!HasKey(root, key)) {
    Fail(oserr::kFileNotFound);
    return names;
  }
  const std::string parent = UpperCase(Normalize(key));
  const std::string prefix = parent.empty() ? "" : parent + "\\";
  for (const auto& [id, stored] : keys_) {
    if (id.first != root || id.second.size() <= prefix.size() || id.second.compare(0, prefix.size(), prefix) != 0)
      continue;
    const std::string rest = stored.spelling.substr(prefix.size());
    if (rest.find('\\') == std::string::npos) names.push_back(rest);
  }
  return names;
}

std::vector<std::string> FakeRegistry::ValueNames(RegistryRoot root, const std::string& key) {
  std::vector<std::string> names;
  if (Injected(Op::List, root, key)) return names;
  const Key* found = Find(root, key);
  if (found == nullptr) {
    Fail(oserr::kFileNotFound);
    return names;
  }
  for (const auto& entry : found->values) names.push_back(entry.first);
  return names;
}

std::optional<RegistryValue> FakeRegistry::ReadValue(RegistryRoot root, const std::string& key,
                                                     const std::string& name) {
  if (Injected(Op::Open, root, key) || Injected(Op::Read, root, key, name)) return std::nullopt;
  auto value = Value(root, key, name);
  if (!value) Fail(oserr::kFileNotFound);
  return value;
}

bool FakeRegistry::WriteValue(RegistryRoot root, const std::string& key, const std::string& name,
                              const RegistryValue& value) {
  if (Injected(Op::Write, root, key, name)) return false;
  if (Find(root, key) == nullptr) return Fail(oserr::kFileNotFound);
  SetValue(root, key, name, value);
  writes.push_back(Normalize(key) + "\\" + name);
  return true;
}

bool FakeRegistry::DeleteValue(RegistryRoot root, const std::string& key, const std::string& name) {
  if (Injected(Op::Write, root, key, name)) return false;
  Key* found = Find(root, key);
  if (found == nullptr) return Fail(oserr::kFileNotFound);
  for (auto it = found->values.begin(); it != found->values.end(); ++it) {
    if (SameText(it->first, name)) {
      found->values.erase(it);
      return true;
    }
  }
  return Fail(oserr::kFileNotFound);
}

}  // namespace tovex::fakes
