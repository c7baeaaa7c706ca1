#pragma once
// The Win32 renderer of the form toolkit: each form becomes a top-level
// window of its class name ("TMainForm"...), each component a standard
// control (common controls 6) laid out from the 96-dpi reference geometry
// at the window's DPI, in the dialog font. User actions come back to the
// model as the events a headless test raises.
//
// Window contract (what an outside driver may rely on):
// - every control of a named component carries the window property
//   "TovexName", a global atom of the component name (GetPropA, then
//   GlobalGetAtomNameA);
// - buttons, check boxes and radio buttons are BUTTON controls (BM_CLICK);
//   edits and memos EDIT controls (WM_SETTEXT raises the change event);
//   labels STATIC controls; the drive list a COMBOBOX;
// - a check-list box is an owner-drawn multiple-selection LISTBOX whose
//   selected entries are the ticked ones: LB_GETCOUNT / LB_GETTEXT for the
//   entries, LB_GETSEL(i) for the tick; a click or Space on the caret entry
//   (LB_SETCARETINDEX) toggles it, as does posting kSetItemCheckedMessage
//   (wParam index, lParam 0 or 1);
// - panels that stack as pages: only the front one is visible.

#include <windows.h>

#include <map>
#include <memory>

#include "ui/application.h"

namespace tovex::ui::win32 {

// WM_APP + 0x54: sets the check of a check-list entry from outside.
inline constexpr UINT kSetItemCheckedMessage = WM_APP + 0x54;

class FormWindow;

class Win32Renderer final : public FormHost {
 public:
  Win32Renderer(Application& application, HINSTANCE instance);
  ~Win32Renderer() override;

  void Show(Form& form) override;
  void Hide(Form& form) override;
  ModalResult ShowModal(Form& form) override;

  // The window of a form, created on first use.
  HWND WindowOf(Form& form);
  // Runs the message loop until WM_QUIT.
  int Run();
  // Keyboard handling of one message before it is dispatched: the form's key
  // preview, dialog navigation (Tab, arrows, Enter, accelerators). True when
  // the message was consumed.
  bool PreTranslate(MSG& message);

  Application& App() const { return *application_; }
  HINSTANCE Instance() const { return instance_; }

 private:
  FormWindow& WindowFor(Form& form);
  Application* application_;
  HINSTANCE instance_;
  std::map<Form*, std::unique_ptr<FormWindow>> windows_;
};

// Makes the process DPI-aware per monitor where the system offers it (the
// manifest asks for it too; this covers systems that read only the call).
void EnableDpiAwareness();

}  // namespace tovex::ui::win32
