#pragma once
// The domain table as domains.cfg holds it: entries of 96 bytes (a name of
// up to 94 characters and the binding flag), entry 0 the primary domain,
// with a name index from lower-case name to entry number. The table's
// capacity in entries may exceed the domain count kept in the settings.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "upgrade/settings_layout.h"

namespace tovex {

class DomainTable {
 public:
  // Zeroed entries; the previous content is dropped.
  void Reset(size_t entries);
  // The raw bytes of whole entries (a partial last entry is zero-filled).
  void Assign(std::string_view bytes, size_t entries);
  void Grow(size_t extraEntries);

  size_t Capacity() const { return bytes_.size() / domain_entry::kSize; }
  const std::string& Bytes() const { return bytes_; }
  char* Data() { return bytes_.data(); }

  // Entries outside the table give an empty name and no binding.
  std::string Name(size_t entry) const;
  // Stores the name (cut to 94 characters, the rest of the name field
  // zeroed); the caller lower-cases it and keeps the index up to date.
  void SetName(size_t entry, std::string_view name);
  bool BindingFlag(size_t entry) const;
  void SetBindingFlag(size_t entry, bool bound);

  // The index over the first `count` entries; the first entry of a name wins.
  void RebuildIndex(size_t count);
  void IndexName(const std::string& lowerName, size_t entry);
  void UnindexName(const std::string& lowerName);
  // Entry of a lower-case name, or -1.
  int Find(const std::string& lowerName) const;

 private:
  std::string bytes_;
  std::map<std::string, size_t> index_;  // name to entry number + 1, as the server keeps it
};

}  // namespace tovex
