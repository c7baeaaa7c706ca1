#include "localization/string_table.h"

#include "common/text.h"

namespace tovex {

void TLocalizationStrings::RegisterString(std::string_view key, std::string& value) {
  entries_.push_back(Entry{LowerCase(key), &value});
}

const TLocalizationStrings::Entry* TLocalizationStrings::Find(std::string_view key) const {
  const std::string lowered = LowerCase(key);
  for (const Entry& entry : entries_) {
    if (entry.key == lowered) return &entry;
  }
  return nullptr;
}

void TLocalizationStrings::SetLocalizedString(std::string_view key, const std::string& value) {
  if (const Entry* entry = Find(key)) *entry->value = value;
}

}  // namespace tovex
