#include "check_list.h"

#include <commctrl.h>

#include <algorithm>
#include <cstddef>

#include "text_match.h"
#include "ui_probe.h"

namespace drive {

namespace {

constexpr int kTextCapacity = 512;

// A block of memory in the other process, freed when it goes.
class RemoteBlock {
 public:
  RemoteBlock(HANDLE process, size_t size)
      : process_(process),
        address_(::VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}
  ~RemoteBlock() {
    if (address_ != nullptr) ::VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  }
  RemoteBlock(const RemoteBlock&) = delete;
  RemoteBlock& operator=(const RemoteBlock&) = delete;

  explicit operator bool() const { return address_ != nullptr; }
  char* at(size_t offset) const { return static_cast<char*>(address_) + offset; }
  bool Write(size_t offset, const void* data, size_t size) const {
    return ::WriteProcessMemory(process_, at(offset), data, size, nullptr) != FALSE;
  }
  bool Read(size_t offset, void* data, size_t size) const {
    return ::ReadProcessMemory(process_, at(offset), data, size, nullptr) != FALSE;
  }

 private:
  HANDLE process_;
  void* address_;
};

bool IsListBoxClass(HWND control) { return _stricmp(ClassName(control).c_str(), "ListBox") == 0; }
bool IsListViewClass(HWND control) { return _stricmp(ClassName(control).c_str(), WC_LISTVIEWA) == 0; }

}  // namespace

std::optional<std::vector<std::string>> ListEntries(HWND control) {
  const bool combo = _stricmp(ClassName(control).c_str(), "ComboBox") == 0;
  const auto count = Query(control, combo ? CB_GETCOUNT : LB_GETCOUNT);
  if (!count || *count < 0) return std::nullopt;
  std::vector<std::string> items;
  for (int i = 0; i < static_cast<int>(*count); ++i) {
    const auto length = Query(control, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, i);
    if (!length || *length < 0) return std::nullopt;
    // The system carries the entry's text between the processes; Wine hands
    // the ANSI form back as UTF-16, so ask in UTF-16 to begin with.
    std::wstring wide(static_cast<size_t>(*length) + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(control, combo ? CB_GETLBTEXT : LB_GETTEXT, i, reinterpret_cast<LPARAM>(wide.data()),
                               SMTO_ABORTIFHUNG, kAnswerMs, &copied) ||
        static_cast<LRESULT>(copied) < 0) {
      return std::nullopt;
    }
    wide.resize(std::min<size_t>(copied, wide.size()));
    std::string text(wide.size() * 2 + 1, '\0');
    const int bytes = ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), text.data(),
                                            static_cast<int>(text.size()), nullptr, nullptr);
    text.resize(bytes > 0 ? bytes : 0);
    items.push_back(text);
  }
  return items;
}

std::optional<int> FindEntry(const std::vector<std::string>& items, const std::string& item, std::string& seen) {
  seen.clear();
  for (size_t i = 0; i < items.size(); ++i) {
    if (CaptionMatches(item, items[i])) return static_cast<int>(i);
    if (!seen.empty()) seen += ", ";
    seen += "'" + items[i] + "'";
  }
  if (!item.empty() && item.size() < 6 && item.find_first_not_of("0123456789") == std::string::npos) {
    const int index = std::stoi(item);
    if (index < static_cast<int>(items.size())) return index;
  }
  seen = "entries " + (seen.empty() ? std::string("none") : seen);
  return std::nullopt;
}

CheckList::CheckList(HANDLE process, HWND control) : process_(process), control_(control) {}

bool CheckList::IsCheckList(HWND control) { return IsListBoxClass(control) || IsListViewClass(control); }

bool CheckList::IsListView() const { return IsListViewClass(control_); }

std::optional<std::vector<std::string>> CheckList::Items() const {
  std::vector<std::string> items;
  if (IsListView()) {
    const auto count = Query(control_, LVM_GETITEMCOUNT);
    if (!count) return std::nullopt;
    RemoteBlock block(process_, sizeof(LVITEMA) + kTextCapacity);
    if (!block) return std::nullopt;
    for (int i = 0; i < static_cast<int>(*count); ++i) {
      LVITEMA item{};
      item.mask = LVIF_TEXT;
      item.iItem = i;
      item.pszText = block.at(sizeof(LVITEMA));
      item.cchTextMax = kTextCapacity;
      if (!block.Write(0, &item, sizeof item)) return std::nullopt;
      const auto length = Query(control_, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(block.at(0)));
      if (!length) return std::nullopt;
      std::string text(kTextCapacity, '\0');
      if (!block.Read(sizeof(LVITEMA), text.data(), text.size())) return std::nullopt;
      text.resize(text.find('\0'));
      items.push_back(text);
    }
    return items;
  }
  return ListEntries(control_);
}

std::optional<bool> CheckList::IsChecked(int index) const {
  if (IsListView()) {
    const auto state = Query(control_, LVM_GETITEMSTATE, index, LVIS_STATEIMAGEMASK);
    if (!state) return std::nullopt;
    // State image 1 is the empty box, 2 the ticked one.
    return ((*state & LVIS_STATEIMAGEMASK) >> 12) == 2;
  }
  // The renderer's check list is a multiple-selection list box whose
  // selected entries are the ticked ones.
  const auto selected = Query(control_, LB_GETSEL, index);
  if (!selected || *selected == LB_ERR) return std::nullopt;
  return *selected > 0;
}

bool CheckList::SetChecked(int index, bool checked) const {
  if (IsListView()) {
    RemoteBlock block(process_, sizeof(LVITEMA));
    if (!block) return false;
    LVITEMA item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    if (!block.Write(0, &item, sizeof item)) return false;
    return Query(control_, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(block.at(0))).has_value();
  }
  const auto current = IsChecked(index);
  if (!current) return false;
  if (*current == checked) return true;
  // As a user does with the keyboard: the caret to the entry, then Space,
  // which toggles it in a multiple-selection list.
  if (!Query(control_, LB_SETCARETINDEX, index, FALSE)) return false;
  const LPARAM scan = static_cast<LPARAM>(::MapVirtualKeyA(VK_SPACE, MAPVK_VK_TO_VSC)) << 16;
  return ::PostMessageA(control_, WM_KEYDOWN, VK_SPACE, 1 | scan) &&
         ::PostMessageA(control_, WM_KEYUP, VK_SPACE, 1 | scan | 0xC0000000);
}

std::optional<int> CheckList::Find(const std::string& item, std::string& seen) const {
  const auto items = Items();
  if (!items) {
    seen = "the list does not answer";
    return std::nullopt;
  }
  return FindEntry(*items, item, seen);
}

}  // namespace drive
