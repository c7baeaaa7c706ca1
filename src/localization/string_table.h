#pragma once
// TLocalizationStrings: maps keys to the program's text variables, so that a
// language file can replace texts by key without the rest of the program
// knowing. Keys are stored lower-cased; registering a key twice gives two
// entries and look-ups use the first. Entries are never removed except by
// clearing the whole table.

#include <string>
#include <string_view>
#include <vector>

namespace tovex {

class TLocalizationStrings {
 public:
  struct Entry {
    std::string key;     // lower-cased
    std::string* value;  // the program's text variable
  };

  // Appends an entry; the variable must outlive the table.
  void RegisterString(std::string_view key, std::string& value);
  // Assigns the value to the first entry with the key (compared lower-cased);
  // an unknown key is ignored.
  void SetLocalizedString(std::string_view key, const std::string& value);
  // The first entry with the key, or nullptr.
  const Entry* Find(std::string_view key) const;

  const std::vector<Entry>& Entries() const { return entries_; }
  void Clear() { entries_.clear(); }

 private:
  std::vector<Entry> entries_;
};

}  // namespace tovex
