// A small window program that keeps the window contract of setup.exe (class
// TMainForm, a "TovexName" property on every control, task-modal message
// boxes owned by the main window, exit codes 0, 1602 and 1603), so that the
// driver is proven on its own. The driver's self-test scenarios run it in
// place of setup.exe.
//
//   /fail    shows an error box and ends with 1603
//   /silent  skips the start-up question
//
// Pages: 0 a name and a check box, 1 two check lists (a list-view with check
// boxes, and an owner-drawn multiple-selection list box like the renderer's,
// whose selected entries are the ticked ones), 2 the end. Finish records what was entered under HKCU\Software\TovexFixture
// and writes done.txt beside the program.

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace {

enum Id { kName = 100, kLatest, kList, kBox, kBack, kNext, kCancel, kCaption, kNameLabel, kMode, kModeLabel };

HWND g_main;
HWND g_caption, g_nameLabel, g_name, g_latest, g_mode, g_modeLabel, g_list, g_box, g_back, g_next, g_cancel;
int g_page = 0;

void Name(HWND window, const char* name) {
  ::SetPropA(window, "TovexName", reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(::GlobalAddAtomA(name))));
}

HWND Control(const char* className, const char* text, DWORD style, int x, int y, int w, int h, int id,
             const char* name) {
  HWND window = ::CreateWindowExA(0, className, text, WS_CHILD | style, x, y, w, h, g_main,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  ::SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), TRUE);
  Name(window, name);
  return window;
}

[[noreturn]] void End(UINT code) { ::ExitProcess(code); }

void ConfirmCancel() {
  if (::MessageBoxA(g_main, "Do you wish to cancel this installation?", "Exit Setup",
                    MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL) == IDYES) {
    End(1602);
  }
}

std::string Text(HWND window) {
  char text[256] = {};
  ::GetWindowTextA(window, text, sizeof text);
  return text;
}

void Validate() {
  if (g_page == 0) ::EnableWindow(g_next, !Text(g_name).empty());
}

void ShowPage() {
  static const char* const kCaptions[] = {"Fixture Welcome", "Fixture Components && Colours", "Fixture Finish"};
  ::SetWindowTextA(g_caption, kCaptions[g_page]);
  const int show0 = g_page == 0 ? SW_SHOW : SW_HIDE;
  const int show1 = g_page == 1 ? SW_SHOW : SW_HIDE;
  for (HWND w : {g_nameLabel, g_name, g_latest, g_mode, g_modeLabel}) ::ShowWindow(w, show0);
  for (HWND w : {g_list, g_box}) ::ShowWindow(w, show1);
  ::ShowWindow(g_back, g_page == 0 ? SW_HIDE : SW_SHOW);
  ::SetWindowTextA(g_next, g_page == 2 ? "&Finish" : "&Next >");
  ::EnableWindow(g_next, TRUE);
  Validate();
  if (g_page == 0 && Text(g_name).empty()) ::SetFocus(g_name);
}

void Finish() {
  HKEY key = nullptr;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\TovexFixture", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
    ::MessageBoxA(g_main, "The fixture could not record its state.", "Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
    End(1603);
  }
  const std::string name = Text(g_name);
  ::RegSetValueExA(key, "Name", 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()), name.size() + 1);
  const DWORD latest = ::SendMessageA(g_latest, BM_GETCHECK, 0, 0) == BST_CHECKED;
  ::RegSetValueExA(key, "Latest", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&latest), sizeof latest);
  std::string components;
  for (int i = 0; i < ListView_GetItemCount(g_list); ++i) {
    if (!ListView_GetCheckState(g_list, i)) continue;
    char text[64] = {};
    ListView_GetItemText(g_list, i, 0, text, sizeof text);
    if (!components.empty()) components += '|';
    components += text;
  }
  ::RegSetValueExA(key, "Components", 0, REG_SZ, reinterpret_cast<const BYTE*>(components.c_str()),
                   components.size() + 1);
  std::string colours;
  for (int i = 0; i < static_cast<int>(::SendMessageA(g_box, LB_GETCOUNT, 0, 0)); ++i) {
    if (::SendMessageA(g_box, LB_GETSEL, i, 0) <= 0) continue;
    char text[64] = {};
    ::SendMessageA(g_box, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
    colours += text;
    colours += '\0';
  }
  colours += '\0';
  ::RegSetValueExA(key, "Colours", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(colours.data()), colours.size());
  ::RegCloseKey(key);

  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string done = path;
  done = done.substr(0, done.find_last_of('\\') + 1) + "done.txt";
  HANDLE file = ::CreateFileA(done.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    ::WriteFile(file, name.data(), name.size(), &written, nullptr);
    ::CloseHandle(file);
  }
  End(0);
}

void DrawCheckItem(const DRAWITEMSTRUCT& item) {
  if (item.itemID == static_cast<UINT>(-1)) return;
  RECT r = item.rcItem;
  const bool ticked = (item.itemState & ODS_SELECTED) != 0;
  ::FillRect(item.hDC, &r, ::GetSysColorBrush(COLOR_WINDOW));
  RECT check{r.left + 2, r.top + 2, r.left + 15, r.top + 15};
  ::DrawFrameControl(item.hDC, &check, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | (ticked ? DFCS_CHECKED : 0));
  char text[64] = {};
  ::SendMessageA(item.hwndItem, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(text));
  RECT label{r.left + 20, r.top, r.right, r.bottom};
  ::SetBkMode(item.hDC, TRANSPARENT);
  ::SetTextColor(item.hDC, ::GetSysColor(COLOR_WINDOWTEXT));
  ::DrawTextA(item.hDC, text, -1, &label, DT_SINGLELINE | DT_VCENTER);
  if (item.itemState & ODS_FOCUS) ::DrawFocusRect(item.hDC, &r);
}

void CreateControls() {
  g_caption = Control("STATIC", "", WS_VISIBLE, 16, 16, 420, 20, kCaption, "PageCaption");
  g_nameLabel = Control("STATIC", "&Name:", 0, 16, 70, 80, 20, kNameLabel, "NameLabel");
  g_name = Control("EDIT", "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 100, 68, 220, 22, kName, "NameEdit");
  g_latest = Control("BUTTON", "Check for new version on the Internet", WS_TABSTOP | BS_AUTOCHECKBOX, 16, 110,
                     300, 20, kLatest, "CheckLatest");
  ::SendMessageA(g_latest, BM_SETCHECK, BST_CHECKED, 0);
  g_mode = Control("COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 16, 150, 140, 120, kMode, "ModeCombo");
  for (const char* mode : {"Basic", "Advanced"}) ::SendMessageA(g_mode, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(mode));
  ::SendMessageA(g_mode, CB_SETCURSEL, 0, 0);
  g_modeLabel = Control("STATIC", "Mode: Basic", 0, 170, 152, 200, 20, kModeLabel, "ModeLabel");

  g_list = Control(WC_LISTVIEWA, "", WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL,
                   16, 60, 200, 120, kList, "ComponentList");
  ListView_SetExtendedListViewStyle(g_list, LVS_EX_CHECKBOXES);
  LVCOLUMNA column{};
  column.mask = LVCF_WIDTH;
  column.cx = 180;
  ListView_InsertColumn(g_list, 0, &column);
  const char* const components[] = {"Alpha", "Beta", "Gamma"};
  for (int i = 0; i < 3; ++i) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = i;
    item.pszText = const_cast<char*>(components[i]);
    ListView_InsertItem(g_list, &item);
    ListView_SetCheckState(g_list, i, i != 1);
  }

  g_box = Control("LISTBOX", "", WS_BORDER | WS_TABSTOP | LBS_OWNERDRAWFIXED | LBS_MULTIPLESEL | LBS_NOTIFY | LBS_HASSTRINGS, 236, 60,
                  200, 120, kBox, "ColourBox");
  for (const char* colour : {"Red", "Green", "Blue"}) {
    const LRESULT index = ::SendMessageA(g_box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(colour));
    ::SendMessageA(g_box, LB_SETSEL, colour[0] == 'R', index);
  }

  g_back = Control("BUTTON", "< &Back", WS_TABSTOP | BS_PUSHBUTTON, 220, 330, 75, 23, kBack, "BackButton");
  g_next = Control("BUTTON", "&Next >", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 295, 330, 75, 23, kNext,
                   "NextButton");
  g_cancel = Control("BUTTON", "&Cancel", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 377, 330, 75, 23, kCancel,
                     "CloseButton");
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kName:
          if (HIWORD(wParam) == EN_CHANGE) Validate();
          return 0;
        case kMode:
          if (HIWORD(wParam) == CBN_SELCHANGE) {
            char mode[32] = {};
            ::SendMessageA(g_mode, CB_GETLBTEXT, ::SendMessageA(g_mode, CB_GETCURSEL, 0, 0),
                           reinterpret_cast<LPARAM>(mode));
            ::SetWindowTextA(g_modeLabel, (std::string("Mode: ") + mode).c_str());
          }
          return 0;
        case kBack:
          if (g_page > 0) --g_page;
          ShowPage();
          return 0;
        case kNext:
          if (g_page == 2) Finish();
          ++g_page;
          ShowPage();
          return 0;
        case kCancel:
          ConfirmCancel();
          return 0;
      }
      break;
    case WM_MEASUREITEM:
      reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = 18;
      return TRUE;
    case WM_DRAWITEM:
      DrawCheckItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_CLOSE:
      ConfirmCancel();  // the close box never closes without asking
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
  ::InitCommonControlsEx(&controls);
  const std::string arguments = commandLine;
  // A run without any window, as an unattended Setup makes one.
  if (arguments.find("/nowindow") != std::string::npos) return 0;

  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = "TMainForm";
  ::RegisterClassA(&windowClass);
  g_main = ::CreateWindowA("TMainForm", "Fixture Setup", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                           100, 100, 471, 402, nullptr, nullptr, instance, nullptr);
  CreateControls();
  ShowPage();
  ::ShowWindow(g_main, show);
  ::UpdateWindow(g_main);

  if (arguments.find("/fail") != std::string::npos) {
    ::MessageBoxA(g_main, "The fixture could not find its files.", "Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
    End(1603);
  }
  if (arguments.find("/silent") == std::string::npos &&
      ::MessageBoxA(g_main, "Start the fixture?", "Fixture Setup", MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL) !=
          IDYES) {
    End(1602);
  }
  ShowPage();  // the question took the focus away

  MSG message;
  while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
    // The window sees Escape before its controls do.
    if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
      ConfirmCancel();
      continue;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  return 0;
}
