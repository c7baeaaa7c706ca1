#pragma once
// The form toolkit: the windows of Setup as plain data that the wizard's code
// and the tests work on, and that a renderer (ui/win32/) turns into real
// windows.
//
// A Form owns its components in creation order; each component has a class
// name ("TLabel", "TButton"...), a name unique within its form, a parent (the
// form itself or a panel / group box of the same form), a caption or text, a
// hint, a tag, enabled / visible / checked states, items, and event handlers.
// The language file walks forms and components generically by class name and
// name, so nothing here knows about particular forms.
//
// Events. Setting a property from code never raises an event. The user's
// actions do: Click(), UserSetText(), UserSetItemChecked()... are what a
// click, typing or a key raises, whether they come from the renderer or from a
// test driving a form headlessly. An exception that escapes a handler goes to
// the Application's exception handler (see application.h), never further.
//
// Geometry is the reference layout at 96 pixels per inch, relative to the
// parent's client area; renderers scale it to the monitor's DPI.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tovex::ui {

class Form;
class Application;

// The kind of control a component is drawn as. The class name is what the
// language file sees; the kind is what a renderer needs.
enum class Kind {
  Label,          // TLabel: static text, word-wrapped in its bounds
  Button,         // TButton
  CheckBox,       // TCheckBox
  RadioButton,    // TRadioButton: exclusive among the radio buttons of one parent
  GroupBox,       // TGroupBox: a framed caption, parent of other controls
  Panel,          // TPanel: a plain container, parent of other controls
  Edit,           // TEdit: single-line text
  Memo,           // TMemo: multi-line text
  CheckListBox,   // TCheckListBox: items, each with a check box
  ListBox,        // TListBox
  ComboBox,       // TComboBox: a drop-down list of items
  ProgressBar,    // TProgressBar: Min, Max, Position
  Image,          // TImage: a picture drawn by the renderer (ImageId)
  Bevel,          // TBevel: a divider line
  DirectoryList,  // TDirectoryListBox: the folders of the current path
  DriveList,      // TDriveComboBox: the drives of the machine
  ListView,       // TListView: columns (Columns) and rows (Items)
  HeaderList,     // a header control: its sections are Columns
  MenuItem,       // TMenuItem: non-visual; caption and hint only
  TabSheet,       // TTabSheet
};

// Reference geometry at 96 dpi, relative to the parent's client area.
struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// What a component looks like beyond its kind.
struct Style {
  bool readOnly = false;       // Edit, Memo
  bool whiteBackground = false;// Memo, Panel
  bool scrollBars = false;     // Memo: both scroll bars
  bool wordWrap = true;        // Label, Memo
  bool bold = false;           // Label
  bool defaultButton = false;  // Button: Enter presses it
  bool cancelButton = false;   // Button: Escape presses it
  bool password = false;       // Edit
  bool raised = false;         // Panel: a 3-D border
};

// The result a modal form closes with.
enum class ModalResult { None, Ok, Cancel, Yes, No };

// A property whose change a renderer must show.
enum class Property {
  Caption, Hint, Enabled, Visible, Checked, Items, ItemChecked, ItemIndex,
  Columns, Position, Range, ZOrder, Focus, Selection, Bounds,
};

class Component;

// A renderer's view of a form: told about every property change so that the
// window follows the model. Headless use has no view.
class FormView {
 public:
  virtual ~FormView() = default;
  virtual void PropertyChanged(Component& component, Property property) = 0;
  virtual void FormCaptionChanged(Form& form) = 0;
};

class Component {
 public:
  using Handler = std::function<void(Component& sender)>;

  Component(Form& owner, Kind kind, std::string className, std::string name, Component* parent, Rect bounds);
  Component(const Component&) = delete;
  Component& operator=(const Component&) = delete;

  Form& Owner() const { return *owner_; }
  Kind GetKind() const { return kind_; }
  const std::string& ClassName() const { return className_; }
  const std::string& Name() const { return name_; }
  // The panel or group box that holds it; nullptr for the form's client area.
  Component* Parent() const { return parent_; }
  const Rect& Bounds() const { return bounds_; }
  void SetBounds(Rect bounds);

  // Caption of labels, buttons, check boxes, group boxes and panels; the text
  // of edits and memos (memos with CR LF between lines).
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  const std::string& Text() const { return caption_; }
  void SetText(const std::string& text) { SetCaption(text); }

  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& hint);
  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  // Enabled and visible up to the form: what a user could reach.
  bool IsUsable() const;

  // Check boxes and radio buttons. Checking a radio button unchecks the other
  // radio buttons of the same parent.
  bool Checked() const { return checked_; }
  void SetChecked(bool checked);

  // Lists (check-list box, list box, combo box, list view rows).
  const std::vector<std::string>& Items() const { return items_; }
  void SetItems(std::vector<std::string> items);
  bool ItemChecked(size_t index) const;
  void SetItemChecked(size_t index, bool checked);
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int index);

  // Column captions of a list view, sections of a header list. Setting a
  // column that does not exist fails (the caller decides what that means).
  const std::vector<std::string>& Columns() const { return columns_; }
  void SetColumns(std::vector<std::string> columns);
  bool SetColumn(size_t index, const std::string& caption);

  // Progress bars.
  int Min() const { return min_; }
  int Max() const { return max_; }
  void SetRange(int min, int max);
  int Position() const { return position_; }
  void SetPosition(int position);
  int Step() const { return step_; }
  void SetStep(int step) { step_ = step; }
  void StepIt();

  // Images: which picture the renderer draws.
  const std::string& ImageId() const { return imageId_; }
  void SetImageId(std::string id) { imageId_ = std::move(id); }

  Style& GetStyle() { return style_; }
  const Style& GetStyle() const { return style_; }

  // Stacking among siblings: the component brought to front last is on top.
  void BringToFront();
  uint32_t ZOrder() const { return zOrder_; }

  // Keyboard focus and the selection of an edit.
  void SetFocus();
  bool Focused() const;
  void SelectAll();
  bool AllSelected() const { return allSelected_; }

  // Event handlers.
  Handler OnClick;
  Handler OnChange;

  // What the user does. Each raises the event a real click or keystroke
  // would; a disabled or hidden control (or one inside a disabled or hidden
  // parent) ignores them, as a window does.
  //   Click: a button is pressed; a check box toggles; a radio button becomes
  //   checked; then OnClick.
  bool Click();
  //   The user changed the text of an edit: OnChange.
  bool UserSetText(const std::string& text);
  //   The user ticked or cleared a list entry: OnClickCheck semantics, no event.
  bool UserSetItemChecked(size_t index, bool checked);
  //   The user selected a list entry: OnChange.
  bool UserSetItemIndex(int index);

 private:
  friend class Form;
  void Changed(Property property);

  Form* owner_;
  Kind kind_;
  std::string className_;
  std::string name_;
  Component* parent_;
  Rect bounds_;
  std::string caption_;
  std::string hint_;
  int tag_ = 0;
  bool enabled_ = true;
  bool visible_ = true;
  bool checked_ = false;
  std::vector<std::string> items_;
  std::vector<bool> itemChecked_;
  int itemIndex_ = -1;
  std::vector<std::string> columns_;
  int min_ = 0;
  int max_ = 100;
  int position_ = 0;
  int step_ = 1;
  std::string imageId_;
  Style style_;
  uint32_t zOrder_ = 0;
  bool allSelected_ = false;
};

// Keys a form previews before its controls.
enum class Key { Escape, Enter, Tab, Other };

class Form {
 public:
  // className: "TMainForm"...; name: the form's component name ("MainForm").
  Form(Application& application, std::string className, std::string name, int clientWidth, int clientHeight);
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  Application& App() const { return *application_; }
  const std::string& ClassName() const { return className_; }
  const std::string& Name() const { return name_; }
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  int ClientWidth() const { return clientWidth_; }
  int ClientHeight() const { return clientHeight_; }

  // Creates a component owned by this form, appended to the creation order.
  // The name must be unique in the form (empty names are allowed for
  // decoration that nothing refers to).
  Component& Add(Kind kind, const std::string& name, Component* parent, Rect bounds,
                 const std::string& caption = "");
  // As Add, under a class name other than the kind's default (a list view
  // class of a particular library, say); the language file sees this name.
  Component& AddOfClass(Kind kind, const std::string& className, const std::string& name, Component* parent,
                        Rect bounds, const std::string& caption = "");
  // Every owned component in creation order (all of them, not only direct
  // children of the form).
  const std::vector<std::unique_ptr<Component>>& Components() const { return components_; }
  // The first component with exactly this name, or nullptr.
  Component* Find(const std::string& name) const;
  // As Find, for names the form's own code is sure of.
  Component& Get(const std::string& name) const;

  Component* Focused() const { return focused_; }
  void SetFocused(Component* component);

  // Modal state: ShowModal (Application) runs until ModalResult is set.
  ModalResult GetModalResult() const { return modalResult_; }
  void SetModalResult(ModalResult result) { modalResult_ = result; }
  bool Showing() const { return showing_; }

  // Hooks of the form's own code.
  std::function<void()> OnShow;  // each time the form is shown
  // Asked when the user closes the window (close box, system menu, Alt+F4);
  // return false to refuse.
  std::function<bool()> OnCloseQuery;
  // Previews keys before the focused control (KeyPreview); return true when
  // the key was consumed.
  std::function<bool(Key)> OnKeyPreview;

  // What the user does at form level; each goes through the exception
  // handler of the application. Returns whether the key was consumed.
  bool PressKey(Key key);
  void UserClose();

  // The renderer attached to this form, if any.
  FormView* View() const { return view_; }
  void SetView(FormView* view) { view_ = view; }

  // Called by Application when the form is shown or hidden.
  void SetShowing(bool showing);

 private:
  friend class Component;
  uint32_t NextZOrder() { return ++zCounter_; }

  Application* application_;
  std::string className_;
  std::string name_;
  std::string caption_;
  int clientWidth_;
  int clientHeight_;
  std::vector<std::unique_ptr<Component>> components_;
  Component* focused_ = nullptr;
  ModalResult modalResult_ = ModalResult::None;
  bool showing_ = false;
  FormView* view_ = nullptr;
  uint32_t zCounter_ = 0;
};

// The class name of each kind ("TLabel" for Kind::Label).
const char* DefaultClassName(Kind kind);

}  // namespace tovex::ui
