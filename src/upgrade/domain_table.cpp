#include "upgrade/domain_table.h"

#include <algorithm>
#include <cstring>

namespace tovex {

void DomainTable::Reset(size_t entries) {
  bytes_.assign(entries * domain_entry::kSize, '\0');
  index_.clear();
}

void DomainTable::Assign(std::string_view bytes, size_t entries) {
  Reset(entries);
  std::memcpy(bytes_.data(), bytes.data(), std::min(bytes.size(), bytes_.size()));
}

void DomainTable::Grow(size_t extraEntries) { bytes_.resize(bytes_.size() + extraEntries * domain_entry::kSize, '\0'); }

std::string DomainTable::Name(size_t entry) const {
  if (entry >= Capacity()) return std::string();
  const auto* record = reinterpret_cast<const uint8_t*>(bytes_.data()) + entry * domain_entry::kSize;
  // A damaged length byte would reach the binding flag or the next entry.
  const size_t length = std::min<size_t>(record[0], domain_entry::kMaxNameLength);
  return std::string(reinterpret_cast<const char*>(record + 1), length);
}

void DomainTable::SetName(size_t entry, std::string_view name) {
  if (entry >= Capacity()) return;
  auto* record = reinterpret_cast<uint8_t*>(bytes_.data()) + entry * domain_entry::kSize;
  const size_t length = std::min(name.size(), domain_entry::kMaxNameLength);
  std::memset(record, 0, domain_entry::kBindingFlag);
  record[0] = static_cast<uint8_t>(length);
  std::memcpy(record + 1, name.data(), length);
}

bool DomainTable::BindingFlag(size_t entry) const {
  if (entry >= Capacity()) return false;
  return bytes_[entry * domain_entry::kSize + domain_entry::kBindingFlag] != 0;
}

void DomainTable::SetBindingFlag(size_t entry, bool bound) {
  if (entry >= Capacity()) return;
  bytes_[entry * domain_entry::kSize + domain_entry::kBindingFlag] = bound ? 1 : 0;
}

void DomainTable::RebuildIndex(size_t count) {
  index_.clear();
  count = std::min(count, Capacity());
  for (size_t entry = 0; entry < count; ++entry) {
    const std::string name = Name(entry);
    if (!name.empty()) index_.emplace(name, entry + 1);
  }
}

void DomainTable::IndexName(const std::string& lowerName, size_t entry) {
  if (!lowerName.empty()) index_[lowerName] = entry + 1;
}

void DomainTable::UnindexName(const std::string& lowerName) { index_.erase(lowerName); }

int DomainTable::Find(const std::string& lowerName) const {
  auto it = index_.find(lowerName);
  return it == index_.end() ? -1 : static_cast<int>(it->second - 1);
}

}  // namespace tovex
