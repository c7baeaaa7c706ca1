#include "ui/win32/renderer.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "ui/win32/logo.h"

namespace tovex::ui::win32 {

namespace {

constexpr int kFirstControlId = 100;
constexpr const char* kNameProperty = "TovexName";
constexpr const char* kPanelClass = "TovexPanel";
constexpr UINT kReferenceDpi = 96;
// The dialog font: "MS Shell Dlg 2" is the system's dialog face (Tahoma on
// current systems and under Wine), 8 points at every DPI.
constexpr const char* kDialogFace = "MS Shell Dlg 2";
constexpr int kDialogPoints = 8;
constexpr int kCheckListItemHeight = 18;

UINT WindowDpi(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpi = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  if (getDpi != nullptr && window != nullptr) {
    const UINT dpi = getDpi(window);
    if (dpi != 0) return dpi;
  }
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : kReferenceDpi;
}

std::string WindowText(HWND window) {
  const int length = ::GetWindowTextLengthA(window);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const int got = ::GetWindowTextA(window, text.data(), length + 1);
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return text;
}

}  // namespace

void EnableDpiAwareness() {
  using SetContextFn = BOOL(WINAPI*)(HANDLE);
  HMODULE user32 = ::GetModuleHandleA("user32.dll");
  const auto setContext = reinterpret_cast<SetContextFn>(
      reinterpret_cast<void*>(::GetProcAddress(user32, "SetProcessDpiAwarenessContext")));
  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 is (HANDLE)-4.
  if (setContext != nullptr && setContext(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4)))) return;
  using SetAwareFn = BOOL(WINAPI*)();
  const auto setAware = reinterpret_cast<SetAwareFn>(
      reinterpret_cast<void*>(::GetProcAddress(user32, "SetProcessDPIAware")));
  if (setAware != nullptr) setAware();
}

// One form's window and its controls.
class FormWindow final : public FormView {
 public:
  FormWindow(Win32Renderer& renderer, Form& form) : renderer_(renderer), form_(form) {}
  ~FormWindow() override {
    form_.SetView(nullptr);
    if (window_ != nullptr) ::DestroyWindow(window_);
    DeleteFonts();
    if (whiteBrush_ != nullptr) ::DeleteObject(whiteBrush_);
  }

  HWND Window() const { return window_; }
  Form& GetForm() const { return form_; }

  void Create(HWND owner);
  void ShowCentered();
  void ApplyFocus();

  void PropertyChanged(Component& component, Property property) override;
  void FormCaptionChanged(Form& form) override { ::SetWindowTextA(window_, form.Caption().c_str()); }

  static LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ForwardingSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                             UINT_PTR id, DWORD_PTR data);
  static LRESULT CALLBACK CheckListSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR id, DWORD_PTR data);

 private:
  int Scale(int value) const { return ::MulDiv(value, static_cast<int>(dpi_), kReferenceDpi); }
  RECT ScaledBounds(const Component& component) const;
  Component* ComponentById(int id) const;
  Component* ComponentByWindow(HWND window) const;
  HWND ControlOf(const Component* component) const;
  void CreateFonts();
  void DeleteFonts();
  void CreateControl(Component& component, int index);
  void Relayout();
  void FillList(Component& component);
  void SyncChecks(Component& component);
  void PullChecks(Component& component);
  bool IsStackedPanel(const Component& component) const;
  bool IsFrontOfStack(const Component& component) const;
  bool ShownInWindow(const Component& component) const;
  void UpdateStackVisibility(const Component& component);
  void MoveFocusIfLost(HWND disabled);

  LRESULT HandleCommand(WPARAM wParam, LPARAM lParam);
  LRESULT HandleColor(HDC dc, HWND control, UINT message);
  void DrawItem(const DRAWITEMSTRUCT& item);
  void PaintPanel(HWND panel);
  LRESULT Proc(UINT message, WPARAM wParam, LPARAM lParam);

  Win32Renderer& renderer_;
  Form& form_;
  HWND window_ = nullptr;
  UINT dpi_ = kReferenceDpi;
  HFONT font_ = nullptr;
  HFONT boldFont_ = nullptr;
  HBRUSH whiteBrush_ = nullptr;
  std::vector<HWND> controls_;  // by component index; null for non-visual ones
  int updating_ = 0;            // >0 while the model writes into a control
  HWND savedFocus_ = nullptr;
  bool shownOnce_ = false;

  friend class Win32Renderer;
};

// ---------------------------------------------------------------------------
// Creation and layout

void FormWindow::Create(HWND owner) {
  static bool panelRegistered = false;
  HINSTANCE instance = renderer_.Instance();
  if (!panelRegistered) {
    WNDCLASSEXA panel{};
    panel.cbSize = sizeof panel;
    panel.lpfnWndProc = PanelProc;
    panel.hInstance = instance;
    panel.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    panel.lpszClassName = kPanelClass;
    ::RegisterClassExA(&panel);
    panelRegistered = true;
  }
  WNDCLASSEXA formClass{};
  formClass.cbSize = sizeof formClass;
  if (!::GetClassInfoExA(instance, form_.ClassName().c_str(), &formClass)) {
    formClass = WNDCLASSEXA{};
    formClass.cbSize = sizeof formClass;
    formClass.lpfnWndProc = FormProc;
    formClass.hInstance = instance;
    formClass.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    formClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    formClass.hIcon = ::LoadIconA(instance, "MAINICON");
    formClass.hIconSm = static_cast<HICON>(::LoadImageA(instance, "MAINICON", IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                        ::GetSystemMetrics(SM_CYSMICON), 0));
    formClass.lpszClassName = form_.ClassName().c_str();
    ::RegisterClassExA(&formClass);
  }
  whiteBrush_ = ::CreateSolidBrush(RGB(255, 255, 255));

  // Not resizable: a caption, the system menu, and a minimize box for the
  // main window; the other forms are dialogs owned by it.
  const bool isMain = owner == nullptr;
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | (isMain ? WS_MINIMIZEBOX : 0);
  const DWORD exStyle = WS_EX_CONTROLPARENT | (isMain ? WS_EX_APPWINDOW : WS_EX_DLGMODALFRAME);
  window_ = ::CreateWindowExA(exStyle, form_.ClassName().c_str(), form_.Caption().c_str(), style, CW_USEDEFAULT,
                              CW_USEDEFAULT, 100, 100, owner, nullptr, instance, this);
  if (window_ == nullptr) return;
  ::SetPropA(window_, kNameProperty, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(::GlobalAddAtomA(form_.Name().c_str()))));
  dpi_ = WindowDpi(window_);
  CreateFonts();

  controls_.assign(form_.Components().size(), nullptr);
  for (size_t i = 0; i < form_.Components().size(); ++i) CreateControl(*form_.Components()[i], static_cast<int>(i));
  form_.SetView(this);

  RECT frame{0, 0, Scale(form_.ClientWidth()), Scale(form_.ClientHeight())};
  ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  ::SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

void FormWindow::CreateFonts() {
  DeleteFonts();
  LOGFONTA font{};
  font.lfHeight = -::MulDiv(kDialogPoints, static_cast<int>(dpi_), 72);
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = CLEARTYPE_QUALITY;
  lstrcpynA(font.lfFaceName, kDialogFace, LF_FACESIZE);
  font_ = ::CreateFontIndirectA(&font);
  font.lfWeight = FW_BOLD;
  boldFont_ = ::CreateFontIndirectA(&font);
}

void FormWindow::DeleteFonts() {
  if (font_ != nullptr) ::DeleteObject(font_);
  if (boldFont_ != nullptr) ::DeleteObject(boldFont_);
  font_ = boldFont_ = nullptr;
}

RECT FormWindow::ScaledBounds(const Component& component) const {
  const Rect& b = component.Bounds();
  RECT r{Scale(b.left), Scale(b.top), Scale(b.left + b.width), Scale(b.top + b.height)};
  if (component.GetKind() == Kind::ComboBox || component.GetKind() == Kind::DriveList) {
    r.bottom = r.top + Scale(200);  // the height of the dropped-down list
  }
  return r;
}

bool FormWindow::IsStackedPanel(const Component& component) const {
  if (component.GetKind() != Kind::Panel || component.Parent() != nullptr) return false;
  const Rect& b = component.Bounds();
  for (const auto& other : form_.Components()) {
    const Rect& o = other->Bounds();
    if (other.get() != &component && other->GetKind() == Kind::Panel && other->Parent() == nullptr &&
        o.left == b.left && o.top == b.top && o.width == b.width && o.height == b.height) {
      return true;
    }
  }
  return false;
}

bool FormWindow::IsFrontOfStack(const Component& component) const {
  // The page brought to front last; before any, the last one created.
  const Rect& b = component.Bounds();
  const Component* front = nullptr;
  for (const auto& other : form_.Components()) {
    const Rect& o = other->Bounds();
    if (other->GetKind() == Kind::Panel && other->Parent() == nullptr && o.left == b.left && o.top == b.top &&
        o.width == b.width && o.height == b.height) {
      if (front == nullptr || other->ZOrder() >= front->ZOrder()) front = other.get();
    }
  }
  return front == &component;
}

bool FormWindow::ShownInWindow(const Component& component) const {
  if (!component.Visible()) return false;
  return !IsStackedPanel(component) || IsFrontOfStack(component);
}

void FormWindow::CreateControl(Component& component, int index) {
  const char* windowClass = nullptr;
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  DWORD exStyle = 0;
  const Style& s = component.GetStyle();
  switch (component.GetKind()) {
    case Kind::Label:
      windowClass = "STATIC";
      style |= s.wordWrap ? SS_LEFT : SS_LEFTNOWORDWRAP;
      if (!s.wordWrap) style |= SS_ENDELLIPSIS;
      break;
    case Kind::Button:
      windowClass = "BUTTON";
      style |= WS_TABSTOP | (s.defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
      break;
    case Kind::CheckBox:
      // Not automatic: the model toggles, so a click from outside and a
      // user's click take the same road.
      windowClass = "BUTTON";
      style |= WS_TABSTOP | BS_CHECKBOX;
      break;
    case Kind::RadioButton: {
      windowClass = "BUTTON";
      style |= WS_TABSTOP | BS_RADIOBUTTON;
      bool first = true;
      for (int i = 0; i < index; ++i) {
        const Component& before = *form_.Components()[i];
        if (before.GetKind() == Kind::RadioButton && before.Parent() == component.Parent()) first = false;
      }
      if (first) style |= WS_GROUP;
      break;
    }
    case Kind::GroupBox:
      windowClass = "BUTTON";
      style |= BS_GROUPBOX;
      exStyle |= WS_EX_CONTROLPARENT;
      break;
    case Kind::Panel:
    case Kind::TabSheet:
      windowClass = kPanelClass;
      style |= WS_CLIPCHILDREN;
      exStyle |= WS_EX_CONTROLPARENT;
      break;
    case Kind::Edit:
      windowClass = "EDIT";
      style |= WS_TABSTOP | ES_AUTOHSCROLL | (s.readOnly ? ES_READONLY : 0) | (s.password ? ES_PASSWORD : 0);
      exStyle |= WS_EX_CLIENTEDGE;
      break;
    case Kind::Memo:
      windowClass = "EDIT";
      style |= WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | (s.readOnly ? ES_READONLY : 0);
      if (s.scrollBars) style |= WS_HSCROLL | ES_AUTOHSCROLL;
      exStyle |= WS_EX_CLIENTEDGE;
      break;
    case Kind::CheckListBox:
      windowClass = "LISTBOX";
      // A multiple-selection list whose selected entries are the ticked
      // ones: a click or Space toggles an entry natively, and LB_GETSEL /
      // LB_SETSEL work from another process as well.
      style |= WS_TABSTOP | WS_VSCROLL | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | LBS_MULTIPLESEL |
               LBS_NOINTEGRALHEIGHT;
      exStyle |= WS_EX_CLIENTEDGE;
      break;
    case Kind::ListBox:
    case Kind::DirectoryList:
    case Kind::ListView:
      windowClass = "LISTBOX";
      style |= WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
      exStyle |= WS_EX_CLIENTEDGE;
      break;
    case Kind::ComboBox:
    case Kind::DriveList:
      windowClass = "COMBOBOX";
      style |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
      break;
    case Kind::ProgressBar:
      windowClass = PROGRESS_CLASSA;
      break;
    case Kind::Image:
      windowClass = "STATIC";
      style |= SS_OWNERDRAW;
      break;
    case Kind::Bevel:
      windowClass = "STATIC";
      style |= SS_OWNERDRAW;  // an etched static would size itself
      break;
    case Kind::HeaderList:
      windowClass = WC_HEADERA;
      break;
    case Kind::MenuItem:
      return;  // nothing to draw
  }
  if (ShownInWindow(component)) style |= WS_VISIBLE;
  if (!component.Enabled()) style |= WS_DISABLED;

  HWND parent = window_;
  if (component.Parent() != nullptr) {
    const size_t parentIndex = static_cast<size_t>(std::find_if(form_.Components().begin(), form_.Components().end(),
                                                                [&](const auto& c) { return c.get() == component.Parent(); }) -
                                                   form_.Components().begin());
    if (parentIndex < controls_.size() && controls_[parentIndex] != nullptr) parent = controls_[parentIndex];
  }
  const RECT r = ScaledBounds(component);
  ++updating_;
  HWND control = ::CreateWindowExA(exStyle, windowClass, component.Caption().c_str(), style, r.left, r.top,
                                   r.right - r.left, r.bottom - r.top, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + index)),
                                   renderer_.Instance(), this);
  --updating_;
  if (control == nullptr) return;
  controls_[index] = control;
  ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(s.bold ? boldFont_ : font_), FALSE);
  if (!component.Name().empty()) {
    const ATOM atom = ::GlobalAddAtomA(component.Name().c_str());
    ::SetPropA(control, kNameProperty, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(atom)));
  }
  switch (component.GetKind()) {
    case Kind::GroupBox:
      ::SetWindowSubclass(control, ForwardingSubclass, 1, reinterpret_cast<DWORD_PTR>(this));
      break;
    case Kind::CheckListBox:
      ::SendMessageA(control, LB_SETITEMHEIGHT, 0, Scale(kCheckListItemHeight));
      ::SetWindowSubclass(control, CheckListSubclass, 1, reinterpret_cast<DWORD_PTR>(this));
      FillList(component);
      break;
    case Kind::ListBox:
    case Kind::DirectoryList:
    case Kind::ListView:
    case Kind::ComboBox:
    case Kind::DriveList:
      FillList(component);
      break;
    case Kind::Memo:
    case Kind::Edit:
      ::SendMessageA(control, EM_SETLIMITTEXT, 0, 0);  // licence texts exceed the 32 KB default
      // Common controls 6 would show a dot; the forms' password edits show "*".
      if (s.password) ::SendMessageA(control, EM_SETPASSWORDCHAR, '*', 0);
      ++updating_;
      ::SetWindowTextA(control, component.Text().c_str());
      --updating_;
      break;
    case Kind::CheckBox:
    case Kind::RadioButton:
      ::SendMessageA(control, BM_SETCHECK, component.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
      break;
    case Kind::ProgressBar:
      ::SendMessageA(control, PBM_SETRANGE32, component.Min(), component.Max());
      ::SendMessageA(control, PBM_SETSTEP, component.Step(), 0);
      ::SendMessageA(control, PBM_SETPOS, component.Position(), 0);
      break;
    default:
      break;
  }
}

void FormWindow::Relayout() {
  for (size_t i = 0; i < controls_.size(); ++i) {
    HWND control = controls_[i];
    if (control == nullptr) continue;
    const Component& component = *form_.Components()[i];
    const RECT r = ScaledBounds(component);
    ::SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(component.GetStyle().bold ? boldFont_ : font_), TRUE);
    if (component.GetKind() == Kind::CheckListBox) {
      ::SendMessageA(control, LB_SETITEMHEIGHT, 0, Scale(kCheckListItemHeight));
    }
  }
  ::InvalidateRect(window_, nullptr, TRUE);
}

void FormWindow::ShowCentered() {
  RECT frame;
  ::GetWindowRect(window_, &frame);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  HWND owner = ::GetWindow(window_, GW_OWNER);
  ::GetMonitorInfoA(::MonitorFromWindow(owner != nullptr ? owner : window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& area = monitor.rcWork;
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const int left = area.left + std::max(0L, ((area.right - area.left) - width) / 2);
  const int top = area.top + std::max(0L, ((area.bottom - area.top) - height) / 2);
  ::SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ::ShowWindow(window_, SW_SHOW);
  ::SetForegroundWindow(window_);
  ::UpdateWindow(window_);
}

void FormWindow::ApplyFocus() {
  HWND target = ControlOf(form_.Focused());
  if (target == nullptr || !::IsWindowVisible(target) || !::IsWindowEnabled(target)) {
    target = ::GetNextDlgTabItem(window_, nullptr, FALSE);
  }
  if (target != nullptr) ::SetFocus(target);
}

// ---------------------------------------------------------------------------
// Model to window

Component* FormWindow::ComponentById(int id) const {
  const int index = id - kFirstControlId;
  if (index < 0 || index >= static_cast<int>(form_.Components().size())) return nullptr;
  return form_.Components()[index].get();
}

Component* FormWindow::ComponentByWindow(HWND window) const {
  for (size_t i = 0; i < controls_.size(); ++i) {
    if (controls_[i] == window) return form_.Components()[i].get();
  }
  return nullptr;
}

HWND FormWindow::ControlOf(const Component* component) const {
  if (component == nullptr) return nullptr;
  for (size_t i = 0; i < controls_.size(); ++i) {
    if (form_.Components()[i].get() == component) return controls_[i];
  }
  return nullptr;
}

void FormWindow::FillList(Component& component) {
  HWND control = ControlOf(&component);
  if (control == nullptr) return;
  const bool combo = component.GetKind() == Kind::ComboBox || component.GetKind() == Kind::DriveList;
  ++updating_;
  ::SendMessageA(control, WM_SETREDRAW, FALSE, 0);
  ::SendMessageA(control, combo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
  for (size_t i = 0; i < component.Items().size(); ++i) {
    const LRESULT at = ::SendMessageA(control, combo ? CB_ADDSTRING : LB_ADDSTRING, 0,
                                      reinterpret_cast<LPARAM>(component.Items()[i].c_str()));
    if (component.GetKind() == Kind::CheckListBox) ::SendMessageA(control, LB_SETSEL, component.ItemChecked(i), at);
  }
  if (component.GetKind() == Kind::CheckListBox) {
    ::SendMessageA(control, LB_SETCARETINDEX, std::max(component.ItemIndex(), 0), FALSE);
  } else {
    ::SendMessageA(control, combo ? CB_SETCURSEL : LB_SETCURSEL, component.ItemIndex(), 0);
  }
  ::SendMessageA(control, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(control, nullptr, TRUE);
  --updating_;
}

void FormWindow::SyncChecks(Component& component) {
  HWND control = ControlOf(&component);
  if (control == nullptr) return;
  ++updating_;
  for (size_t i = 0; i < component.Items().size(); ++i) {
    const bool selected = ::SendMessageA(control, LB_GETSEL, i, 0) > 0;
    if (selected != component.ItemChecked(i)) ::SendMessageA(control, LB_SETSEL, component.ItemChecked(i), i);
  }
  --updating_;
  ::InvalidateRect(control, nullptr, FALSE);
}

// The ticks the user (or a driver) set in the list become the model's; a
// list that may not change keeps the model's ticks.
void FormWindow::PullChecks(Component& component) {
  HWND list = ControlOf(&component);
  if (list == nullptr || updating_ != 0) return;
  for (size_t i = 0; i < component.Items().size(); ++i) {
    const bool selected = ::SendMessageA(list, LB_GETSEL, i, 0) > 0;
    if (selected != component.ItemChecked(i) && !component.UserSetItemChecked(i, selected)) SyncChecks(component);
  }
}

void FormWindow::UpdateStackVisibility(const Component& changed) {
  const Rect& b = changed.Bounds();
  for (size_t i = 0; i < controls_.size(); ++i) {
    const Component& other = *form_.Components()[i];
    const Rect& o = other.Bounds();
    if (controls_[i] == nullptr || other.GetKind() != Kind::Panel || other.Parent() != nullptr || o.left != b.left ||
        o.top != b.top || o.width != b.width || o.height != b.height) {
      continue;
    }
    const bool show = ShownInWindow(other);
    if (show != (::IsWindowVisible(controls_[i]) != FALSE)) {
      HWND focus = ::GetFocus();
      const bool hadFocus = !show && focus != nullptr && (focus == controls_[i] || ::IsChild(controls_[i], focus));
      ::ShowWindow(controls_[i], show ? SW_SHOWNA : SW_HIDE);
      if (hadFocus) MoveFocusIfLost(controls_[i]);
    }
  }
}

void FormWindow::MoveFocusIfLost(HWND gone) {
  HWND focus = ::GetFocus();
  if (focus != nullptr && focus != gone && !::IsChild(gone, focus) && ::IsWindowVisible(focus) &&
      ::IsWindowEnabled(focus)) {
    return;
  }
  if (::GetActiveWindow() != window_) return;
  HWND next = ::GetNextDlgTabItem(window_, nullptr, FALSE);
  ::SetFocus(next != nullptr ? next : window_);
}

void FormWindow::PropertyChanged(Component& component, Property property) {
  HWND control = ControlOf(&component);
  if (control == nullptr) return;
  ++updating_;
  switch (property) {
    case Property::Caption:
      if (WindowText(control) != component.Caption()) ::SetWindowTextA(control, component.Caption().c_str());
      break;
    case Property::Enabled: {
      HWND focus = ::GetFocus();
      const bool hadFocus = focus != nullptr && (focus == control || ::IsChild(control, focus));
      ::EnableWindow(control, component.Enabled());
      if (!component.Enabled() && hadFocus) MoveFocusIfLost(control);
      break;
    }
    case Property::Visible: {
      if (IsStackedPanel(component)) {
        UpdateStackVisibility(component);
      } else {
        HWND focus = ::GetFocus();
        const bool hadFocus = focus != nullptr && (focus == control || ::IsChild(control, focus));
        ::ShowWindow(control, component.Visible() ? SW_SHOWNA : SW_HIDE);
        if (!component.Visible() && hadFocus) MoveFocusIfLost(control);
      }
      break;
    }
    case Property::Checked:
      ::SendMessageA(control, BM_SETCHECK, component.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
      break;
    case Property::Items:
    case Property::Columns:
      FillList(component);
      break;
    case Property::ItemChecked:
      SyncChecks(component);
      break;
    case Property::ItemIndex: {
      const bool combo = component.GetKind() == Kind::ComboBox || component.GetKind() == Kind::DriveList;
      if (component.GetKind() == Kind::CheckListBox) {
        ::SendMessageA(control, LB_SETCARETINDEX, std::max(component.ItemIndex(), 0), FALSE);
      } else {
        ::SendMessageA(control, combo ? CB_SETCURSEL : LB_SETCURSEL, component.ItemIndex(), 0);
      }
      break;
    }
    case Property::Range:
      ::SendMessageA(control, PBM_SETRANGE32, component.Min(), component.Max());
      ::SendMessageA(control, PBM_SETSTEP, component.Step(), 0);
      break;
    case Property::Position:
      ::SendMessageA(control, PBM_SETPOS, component.Position(), 0);
      break;
    case Property::ZOrder:
      ::SetWindowPos(control, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      if (IsStackedPanel(component)) UpdateStackVisibility(component);
      break;
    case Property::Focus:
      if (::IsWindowVisible(window_) && ::IsWindowVisible(control) && ::IsWindowEnabled(control)) ::SetFocus(control);
      break;
    case Property::Selection:
      ::SendMessageA(control, EM_SETSEL, 0, -1);
      break;
    case Property::Bounds: {
      const RECT r = ScaledBounds(component);
      ::SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
      break;
    }
    case Property::Hint:
      break;  // hints are carried for the language file; nothing shows them
  }
  --updating_;
}

// ---------------------------------------------------------------------------
// Window to model

LRESULT FormWindow::HandleCommand(WPARAM wParam, LPARAM lParam) {
  Component* component = ComponentById(LOWORD(wParam));
  if (component == nullptr || lParam == 0) return 0;
  const UINT code = HIWORD(wParam);
  switch (component->GetKind()) {
    case Kind::Button:
    case Kind::CheckBox:
    case Kind::RadioButton:
      if (code == BN_CLICKED) component->Click();
      break;
    case Kind::Edit:
    case Kind::Memo:
      if (code == EN_CHANGE && updating_ == 0) {
        const std::string text = WindowText(reinterpret_cast<HWND>(lParam));
        if (text != component->Text() && !component->UserSetText(text)) {
          // A read-only or unreachable edit keeps what the model holds.
          ++updating_;
          ::SetWindowTextA(reinterpret_cast<HWND>(lParam), component->Text().c_str());
          --updating_;
        }
      }
      break;
    case Kind::CheckListBox:
      if (code == LBN_SELCHANGE) PullChecks(*component);
      break;
    case Kind::ListBox:
    case Kind::DirectoryList:
    case Kind::ListView:
      if (code == LBN_SELCHANGE && updating_ == 0) {
        component->UserSetItemIndex(static_cast<int>(::SendMessageA(reinterpret_cast<HWND>(lParam), LB_GETCURSEL, 0, 0)));
      } else if (code == LBN_DBLCLK) {
        component->Click();
      }
      break;
    case Kind::ComboBox:
    case Kind::DriveList:
      if (code == CBN_SELCHANGE && updating_ == 0) {
        component->UserSetItemIndex(static_cast<int>(::SendMessageA(reinterpret_cast<HWND>(lParam), CB_GETCURSEL, 0, 0)));
      }
      break;
    default:
      break;
  }
  return 0;
}

LRESULT FormWindow::HandleColor(HDC dc, HWND control, UINT message) {
  Component* component = ComponentByWindow(control);
  if (component == nullptr) return 0;
  bool white = component->GetStyle().whiteBackground && component->GetKind() != Kind::Panel;
  if (!white && message == WM_CTLCOLORSTATIC && component->Parent() != nullptr &&
      component->Parent()->GetStyle().whiteBackground) {
    white = true;  // labels and pictures on the white title band
  }
  if (!white) return 0;
  ::SetBkColor(dc, RGB(255, 255, 255));
  ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
  return reinterpret_cast<LRESULT>(whiteBrush_);
}

void FormWindow::DrawItem(const DRAWITEMSTRUCT& item) {
  Component* component = ComponentById(static_cast<int>(item.CtlID));
  if (component == nullptr) return;
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  if (component->GetKind() == Kind::Bevel) {
    ::FillRect(dc, &r, ::GetSysColorBrush(COLOR_BTNFACE));
    ::DrawEdge(dc, &r, EDGE_ETCHED, BF_TOP);
    return;
  }
  if (component->GetKind() == Kind::Image) {
    ::FillRect(dc, &r, whiteBrush_);
    DrawProductLogo(dc, r);
    return;
  }
  if (component->GetKind() != Kind::CheckListBox) return;
  const bool enabled = ::IsWindowEnabled(item.hwndItem) != FALSE;
  ::FillRect(dc, &r, ::GetSysColorBrush(COLOR_WINDOW));
  if (item.itemID == static_cast<UINT>(-1)) {
    if (item.itemState & ODS_FOCUS) ::DrawFocusRect(dc, &r);
    return;
  }
  const int box = Scale(13);
  RECT check{r.left + Scale(3), r.top + (r.bottom - r.top - box) / 2, 0, 0};
  check.right = check.left + box;
  check.bottom = check.top + box;
  const bool checked = (item.itemState & ODS_SELECTED) != 0;
  ::DrawFrameControl(dc, &check, DFC_BUTTON,
                     DFCS_BUTTONCHECK | DFCS_FLAT | (checked ? DFCS_CHECKED : 0) | (enabled ? 0 : DFCS_INACTIVE));
  char text[512] = {};
  if (::SendMessageA(item.hwndItem, LB_GETTEXTLEN, item.itemID, 0) < static_cast<LRESULT>(sizeof text)) {
    ::SendMessageA(item.hwndItem, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(text));
  }
  RECT label{check.right + Scale(4), r.top, r.right, r.bottom};
  SIZE extent{};
  ::GetTextExtentPoint32A(dc, text, lstrlenA(text), &extent);
  label.right = std::min<LONG>(r.right, label.left + extent.cx + Scale(4));
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ::GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
  RECT textRect{label.left + Scale(2), label.top, label.right, label.bottom};
  ::DrawTextA(dc, text, -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  if (item.itemState & ODS_FOCUS) ::DrawFocusRect(dc, &label);
}

void FormWindow::PaintPanel(HWND panel) {
  PAINTSTRUCT paint;
  HDC dc = ::BeginPaint(panel, &paint);
  Component* component = ComponentByWindow(panel);
  const bool white = component != nullptr && component->GetStyle().whiteBackground;
  ::FillRect(dc, &paint.rcPaint, white ? whiteBrush_ : ::GetSysColorBrush(COLOR_BTNFACE));
  ::EndPaint(panel, &paint);
}

LRESULT FormWindow::Proc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      return HandleCommand(wParam, lParam);
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
      if (LRESULT brush = HandleColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), message)) return brush;
      return ::DefWindowProcA(window_, message, wParam, lParam);
    case WM_DRAWITEM:
      DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_MEASUREITEM: {
      auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      measure->itemHeight = static_cast<UINT>(Scale(kCheckListItemHeight));
      return TRUE;
    }
    case DM_GETDEFID:
      // Enter presses the form's default button (Next, OK).
      for (size_t i = 0; i < controls_.size(); ++i) {
        const Component& c = *form_.Components()[i];
        if (c.GetKind() == Kind::Button && c.GetStyle().defaultButton && controls_[i] != nullptr) {
          return MAKELRESULT(kFirstControlId + i, DC_HASDEFID);
        }
      }
      return 0;
    case WM_CLOSE:
      form_.UserClose();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = ::GetFocus();
        if (focus != nullptr && ::IsChild(window_, focus)) savedFocus_ = focus;
      } else if (savedFocus_ != nullptr && ::IsWindow(savedFocus_) && ::IsWindowVisible(savedFocus_) &&
                 ::IsWindowEnabled(savedFocus_)) {
        ::SetFocus(savedFocus_);
        return 0;
      }
      break;
    case WM_DPICHANGED: {
      dpi_ = HIWORD(wParam);
      CreateFonts();
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      ::SetWindowPos(window_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      Relayout();
      return 0;
    }
    case WM_DESTROY:
      for (HWND control : controls_) {
        if (control == nullptr) continue;
        if (HANDLE atom = ::RemovePropA(control, kNameProperty)) ::GlobalDeleteAtom(static_cast<ATOM>(reinterpret_cast<UINT_PTR>(atom)));
      }
      if (HANDLE atom = ::RemovePropA(window_, kNameProperty)) ::GlobalDeleteAtom(static_cast<ATOM>(reinterpret_cast<UINT_PTR>(atom)));
      break;
    default:
      break;
  }
  return ::DefWindowProcA(window_, message, wParam, lParam);
}

LRESULT CALLBACK FormWindow::FormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    auto* self = static_cast<FormWindow*>(create->lpCreateParams);
    self->window_ = window;
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<FormWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self == nullptr) return ::DefWindowProcA(window, message, wParam, lParam);
  // Nothing may leave a window procedure; the application's handler has
  // seen every error of an event handler already.
  try {
    return self->Proc(message, wParam, lParam);
  } catch (...) {
    return 0;
  }
}

LRESULT CALLBACK FormWindow::PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<FormWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self != nullptr) {
    switch (message) {
      case WM_COMMAND:
      case WM_NOTIFY:
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORBTN:
      case WM_CTLCOLORLISTBOX:
      case WM_DRAWITEM:
      case WM_MEASUREITEM:
        return ::SendMessageA(self->window_, message, wParam, lParam);
      case WM_ERASEBKGND:
        return TRUE;
      case WM_PAINT:
        self->PaintPanel(window);
        return 0;
      default:
        break;
    }
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK FormWindow::ForwardingSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                DWORD_PTR data) {
  auto* self = reinterpret_cast<FormWindow*>(data);
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
      return ::SendMessageA(self->window_, message, wParam, lParam);
    default:
      return ::DefSubclassProc(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK FormWindow::CheckListSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                               DWORD_PTR data) {
  if (message == kSetItemCheckedMessage) {
    auto* self = reinterpret_cast<FormWindow*>(data);
    try {
      Component* component = self->ComponentByWindow(window);
      if (component != nullptr && wParam < component->Items().size()) {
        component->UserSetItemChecked(wParam, lParam != 0);
      }
    } catch (...) {
    }
    return 0;
  }
  const LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
  switch (message) {
    case WM_KEYDOWN:
    case WM_CHAR:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case LB_SETSEL:
      // Not every way of toggling an entry notifies the parent (LB_SETSEL
      // from another process never does): read the ticks back each time.
      try {
        auto* self = reinterpret_cast<FormWindow*>(data);
        if (Component* component = self->ComponentByWindow(window)) self->PullChecks(*component);
      } catch (...) {
      }
      break;
    default:
      break;
  }
  return result;
}

// ---------------------------------------------------------------------------
// The renderer

Win32Renderer::Win32Renderer(Application& application, HINSTANCE instance)
    : application_(&application), instance_(instance) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES};
  ::InitCommonControlsEx(&controls);
  application.SetHost(this);
}

Win32Renderer::~Win32Renderer() {
  windows_.clear();
  if (application_->Host() == this) application_->SetHost(nullptr);
}

FormWindow& Win32Renderer::WindowFor(Form& form) {
  auto it = windows_.find(&form);
  if (it != windows_.end()) return *it->second;
  auto window = std::make_unique<FormWindow>(*this, form);
  HWND owner = nullptr;
  const auto& forms = application_->Forms();
  if (!forms.empty() && forms.front() != &form) owner = WindowOf(*forms.front());
  window->Create(owner);
  return *windows_.emplace(&form, std::move(window)).first->second;
}

HWND Win32Renderer::WindowOf(Form& form) { return WindowFor(form).Window(); }

void Win32Renderer::Show(Form& form) {
  FormWindow& window = WindowFor(form);
  const bool first = !window.shownOnce_;
  window.shownOnce_ = true;
  // The first show event runs before the window appears, so that a start-up
  // that ends the process (the language export, a command-line action) never
  // shows it, and the window appears with its start-up captions.
  if (first && form.OnShow) application_->Dispatch(form.OnShow);
  window.ShowCentered();
  window.ApplyFocus();
}

void Win32Renderer::Hide(Form& form) {
  auto it = windows_.find(&form);
  if (it != windows_.end() && it->second->Window() != nullptr) ::ShowWindow(it->second->Window(), SW_HIDE);
}

ModalResult Win32Renderer::ShowModal(Form& form) {
  FormWindow& window = WindowFor(form);
  HWND owner = ::GetWindow(window.Window(), GW_OWNER);
  if (owner != nullptr) ::EnableWindow(owner, FALSE);
  form.SetShowing(true);
  window.ShowCentered();
  if (form.OnShow) application_->Dispatch(form.OnShow);
  window.ApplyFocus();
  MSG message;
  bool quit = false;
  int quitCode = 0;
  while (form.GetModalResult() == ModalResult::None && form.Showing()) {
    const BOOL got = ::GetMessageA(&message, nullptr, 0, 0);
    if (got <= 0) {
      quit = true;
      quitCode = static_cast<int>(message.wParam);
      break;
    }
    if (!PreTranslate(message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
    }
  }
  // The owner is enabled before the chooser hides, so that activation
  // returns to the wizard and not to another program.
  if (owner != nullptr) ::EnableWindow(owner, TRUE);
  ::ShowWindow(window.Window(), SW_HIDE);
  form.SetShowing(false);
  if (owner != nullptr) ::SetActiveWindow(owner);
  if (quit) ::PostQuitMessage(quitCode);
  if (form.GetModalResult() == ModalResult::None) form.SetModalResult(ModalResult::Cancel);
  return form.GetModalResult();
}

bool Win32Renderer::PreTranslate(MSG& message) {
  HWND root = message.hwnd != nullptr ? ::GetAncestor(message.hwnd, GA_ROOT) : nullptr;
  if (root == nullptr) return false;
  FormWindow* window = nullptr;
  for (auto& [form, candidate] : windows_) {
    if (candidate->Window() == root) window = candidate.get();
  }
  if (window == nullptr) return false;  // a message box or another window
  if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
    // An open drop-down list closes first, as the user expects.
    char className[16] = {};
    HWND focus = ::GetFocus();
    if (focus != nullptr && ::GetClassNameA(focus, className, sizeof className) && lstrcmpiA(className, "ComboBox") == 0 &&
        ::SendMessageA(focus, CB_GETDROPPEDSTATE, 0, 0)) {
      return false;
    }
    try {
      window->GetForm().PressKey(Key::Escape);
    } catch (...) {
    }
    return true;
  }
  if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN) {
    // Enter presses the default button from anywhere but a push button
    // (which presses itself), an open drop-down list and a memo that takes
    // new lines. A read-only memo inside a page would otherwise swallow it,
    // because it looks for the default button in its panel, not the form.
    HWND focus = ::GetFocus();
    char className[16] = {};
    if (focus != nullptr) ::GetClassNameA(focus, className, sizeof className);
    const LONG style = focus != nullptr ? ::GetWindowLongA(focus, GWL_STYLE) : 0;
    const bool pushButton = lstrcmpiA(className, "Button") == 0 &&
                            ((style & 0x0F) == BS_PUSHBUTTON || (style & 0x0F) == BS_DEFPUSHBUTTON);
    const bool droppedCombo = lstrcmpiA(className, "ComboBox") == 0 && ::SendMessageA(focus, CB_GETDROPPEDSTATE, 0, 0);
    const bool newLines = lstrcmpiA(className, "Edit") == 0 && (style & ES_MULTILINE) && !(style & ES_READONLY);
    if (!pushButton && !droppedCombo && !newLines) {
      try {
        window->GetForm().PressKey(Key::Enter);
      } catch (...) {
      }
      return true;
    }
  }
  return ::IsDialogMessageA(root, &message) != FALSE;
}

int Win32Renderer::Run() {
  MSG message;
  while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (!PreTranslate(message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
    }
  }
  return static_cast<int>(message.wParam);
}

}  // namespace tovex::ui::win32
