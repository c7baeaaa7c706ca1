#pragma once
// The entries of a check list in another process: the renderer's check list
// (a multiple-selection list box whose selected entries are the ticked ones,
// see "Window contract" in tests/wine/README.md), or a list-view control
// with check boxes.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace drive {

// The entries of a list box or a combo box of another process.
std::optional<std::vector<std::string>> ListEntries(HWND control);
// The entry whose text matches (accelerators and blanks as elsewhere), or
// failing that a decimal index; otherwise seen lists the entries.
std::optional<int> FindEntry(const std::vector<std::string>& items, const std::string& item, std::string& seen);

class CheckList {
 public:
  // The process handle needs VM operation, read and write access: a
  // list-view's item texts and states travel through structures in the
  // owning process's memory.
  CheckList(HANDLE process, HWND control);

  static bool IsCheckList(HWND control);

  std::optional<std::vector<std::string>> Items() const;
  std::optional<bool> IsChecked(int index) const;
  // Changes the entry as a user would, so that the program hears of it:
  // Space on the list box's entry (the caret moved to it first), or the
  // list-view's item state (LVN_ITEMCHANGED).
  bool SetChecked(int index, bool checked) const;
  // The entry whose text matches (accelerators and blanks as elsewhere), or
  // failing that a decimal index.
  std::optional<int> Find(const std::string& item, std::string& seen) const;

 private:
  bool IsListView() const;
  HANDLE process_;
  HWND control_;
};

}  // namespace drive
