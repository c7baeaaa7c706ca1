#pragma once
// The entries of a check list in another process: a list-view control with
// check boxes, or a list box in which a selected entry is a ticked one.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace drive {

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
  // the list-view's item state (LVN_ITEMCHANGED), or a space on the list
  // box's caret entry.
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
