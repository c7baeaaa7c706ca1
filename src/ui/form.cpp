#include "ui/form.h"

#include <stdexcept>

#include "ui/application.h"

namespace tovex::ui {

const char* DefaultClassName(Kind kind) {
  switch (kind) {
    case Kind::Label: return "TLabel";
    case Kind::Button: return "TButton";
    case Kind::CheckBox: return "TCheckBox";
    case Kind::RadioButton: return "TRadioButton";
    case Kind::GroupBox: return "TGroupBox";
    case Kind::Panel: return "TPanel";
    case Kind::Edit: return "TEdit";
    case Kind::Memo: return "TMemo";
    case Kind::CheckListBox: return "TCheckListBox";
    case Kind::ListBox: return "TListBox";
    case Kind::ComboBox: return "TComboBox";
    case Kind::ProgressBar: return "TProgressBar";
    case Kind::Image: return "TImage";
    case Kind::Bevel: return "TBevel";
    case Kind::DirectoryList: return "TDirectoryListBox";
    case Kind::DriveList: return "TDriveComboBox";
    case Kind::ListView: return "TListView";
    case Kind::HeaderList: return "THeaderControl";
    case Kind::MenuItem: return "TMenuItem";
    case Kind::TabSheet: return "TTabSheet";
  }
  return "TComponent";
}

// --- Component ---

Component::Component(Form& owner, Kind kind, std::string className, std::string name, Component* parent,
                     Rect bounds)
    : owner_(&owner), kind_(kind), className_(std::move(className)), name_(std::move(name)), parent_(parent),
      bounds_(bounds) {}

void Component::Changed(Property property) {
  if (FormView* view = owner_->View()) view->PropertyChanged(*this, property);
}

void Component::SetBounds(Rect bounds) {
  bounds_ = bounds;
  Changed(Property::Bounds);
}

void Component::SetCaption(const std::string& caption) {
  if (caption_ == caption) return;
  caption_ = caption;
  allSelected_ = false;
  Changed(Property::Caption);
}

void Component::SetHint(const std::string& hint) {
  hint_ = hint;
  Changed(Property::Hint);
}

void Component::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  Changed(Property::Enabled);
}

void Component::SetVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  Changed(Property::Visible);
}

bool Component::IsUsable() const {
  for (const Component* c = this; c != nullptr; c = c->parent_) {
    if (!c->enabled_ || !c->visible_) return false;
  }
  return true;
}

void Component::SetChecked(bool checked) {
  if (checked && kind_ == Kind::RadioButton) {
    for (const auto& other : owner_->Components()) {
      if (other.get() != this && other->kind_ == Kind::RadioButton && other->parent_ == parent_ &&
          other->checked_) {
        other->checked_ = false;
        other->Changed(Property::Checked);
      }
    }
  }
  if (checked_ == checked) return;
  checked_ = checked;
  Changed(Property::Checked);
}

void Component::SetItems(std::vector<std::string> items) {
  items_ = std::move(items);
  itemChecked_.assign(items_.size(), false);
  itemIndex_ = -1;
  Changed(Property::Items);
}

bool Component::ItemChecked(size_t index) const { return index < itemChecked_.size() && itemChecked_[index]; }

void Component::SetItemChecked(size_t index, bool checked) {
  if (index >= itemChecked_.size()) throw std::out_of_range("list index out of bounds");
  itemChecked_[index] = checked;
  Changed(Property::ItemChecked);
}

void Component::SetItemIndex(int index) {
  if (index < -1 || index >= static_cast<int>(items_.size())) throw std::out_of_range("list index out of bounds");
  itemIndex_ = index;
  Changed(Property::ItemIndex);
}

void Component::SetColumns(std::vector<std::string> columns) {
  columns_ = std::move(columns);
  Changed(Property::Columns);
}

bool Component::SetColumn(size_t index, const std::string& caption) {
  if (index >= columns_.size()) return false;
  columns_[index] = caption;
  Changed(Property::Columns);
  return true;
}

void Component::SetRange(int min, int max) {
  min_ = min;
  max_ = max;
  Changed(Property::Range);
  SetPosition(position_);
}

void Component::SetPosition(int position) {
  if (position < min_) position = min_;
  if (position > max_) position = max_;
  position_ = position;
  Changed(Property::Position);
}

void Component::StepIt() {
  // A progress bar that reaches its end starts again from the beginning, as
  // the common control does.
  int next = position_ + step_;
  if (next > max_) next = min_ + (next - max_);
  SetPosition(next);
}

void Component::BringToFront() {
  zOrder_ = owner_->NextZOrder();
  Changed(Property::ZOrder);
}

void Component::SetFocus() { owner_->SetFocused(this); }

bool Component::Focused() const { return owner_->Focused() == this; }

void Component::SelectAll() {
  allSelected_ = true;
  Changed(Property::Selection);
}

bool Component::Click() {
  if (!IsUsable()) return false;
  switch (kind_) {
    case Kind::CheckBox: SetChecked(!checked_); break;
    case Kind::RadioButton: SetChecked(true); break;
    default: break;
  }
  if (OnClick) owner_->App().Dispatch([this] { OnClick(*this); });
  return true;
}

bool Component::UserSetText(const std::string& text) {
  if (!IsUsable() || style_.readOnly) return false;
  caption_ = text;
  allSelected_ = false;
  Changed(Property::Caption);
  if (OnChange) owner_->App().Dispatch([this] { OnChange(*this); });
  return true;
}

bool Component::UserSetItemChecked(size_t index, bool checked) {
  if (!IsUsable() || index >= itemChecked_.size()) return false;
  SetItemChecked(index, checked);
  return true;
}

bool Component::UserSetItemIndex(int index) {
  if (!IsUsable() || index < -1 || index >= static_cast<int>(items_.size())) return false;
  SetItemIndex(index);
  if (OnChange) owner_->App().Dispatch([this] { OnChange(*this); });
  return true;
}

// --- Form ---

Form::Form(Application& application, std::string className, std::string name, int clientWidth, int clientHeight)
    : application_(&application), className_(std::move(className)), name_(std::move(name)),
      clientWidth_(clientWidth), clientHeight_(clientHeight) {
  application_->AddForm(*this);
}

Form::~Form() { application_->RemoveForm(*this); }

void Form::SetCaption(const std::string& caption) {
  caption_ = caption;
  if (view_ != nullptr) view_->FormCaptionChanged(*this);
}

Component& Form::Add(Kind kind, const std::string& name, Component* parent, Rect bounds, const std::string& caption) {
  if (!name.empty() && Find(name) != nullptr) throw std::logic_error("duplicate component name " + name);
  components_.push_back(std::make_unique<Component>(*this, kind, DefaultClassName(kind), name, parent, bounds));
  Component& component = *components_.back();
  component.caption_ = caption;
  if (kind == Kind::ProgressBar) component.max_ = 100;
  return component;
}

Component& Form::AddOfClass(Kind kind, const std::string& className, const std::string& name, Component* parent,
                            Rect bounds, const std::string& caption) {
  Component& component = Add(kind, name, parent, bounds, caption);
  component.className_ = className;
  return component;
}

Component* Form::Find(const std::string& name) const {
  for (const auto& component : components_) {
    if (component->Name() == name) return component.get();
  }
  return nullptr;
}

Component& Form::Get(const std::string& name) const {
  Component* component = Find(name);
  if (component == nullptr) throw std::logic_error("no component " + name + " in " + className_);
  return *component;
}

void Form::SetFocused(Component* component) {
  if (focused_ == component) return;
  focused_ = component;
  if (component != nullptr) component->Changed(Property::Focus);
}

bool Form::PressKey(Key key) {
  bool consumed = false;
  if (OnKeyPreview) application_->Dispatch([&] { consumed = OnKeyPreview(key); });
  if (consumed) return true;
  // What a dialog does with the key when the form left it alone.
  if (key == Key::Enter || key == Key::Escape) {
    for (const auto& component : components_) {
      const Style& style = component->GetStyle();
      if (component->GetKind() == Kind::Button && component->IsUsable() &&
          ((key == Key::Enter && style.defaultButton) || (key == Key::Escape && style.cancelButton))) {
        component->Click();
        return true;
      }
    }
  }
  return false;
}

void Form::UserClose() {
  bool allowed = true;
  if (OnCloseQuery) application_->Dispatch([&] { allowed = OnCloseQuery(); });
  if (!allowed) return;
  if (modalResult_ == ModalResult::None) modalResult_ = ModalResult::Cancel;
  application_->Hide(*this);
}

void Form::SetShowing(bool showing) { showing_ = showing; }

// --- Application ---

void Application::AddForm(Form& form) { forms_.push_back(&form); }

void Application::RemoveForm(Form& form) { std::erase(forms_, &form); }

Form* Application::FindForm(const std::string& className) const {
  for (Form* form : forms_) {
    if (form->ClassName() == className) return form;
  }
  return nullptr;
}

void Application::Show(Form& form) {
  const bool wasShowing = form.Showing();
  form.SetShowing(true);
  if (host_ != nullptr) {
    host_->Show(form);
  } else if (!wasShowing && form.OnShow) {
    Dispatch(form.OnShow);
  }
}

void Application::Hide(Form& form) {
  form.SetShowing(false);
  if (host_ != nullptr) host_->Hide(form);
}

ModalResult Application::ShowModal(Form& form) {
  form.SetModalResult(ModalResult::None);
  if (host_ != nullptr) return host_->ShowModal(form);
  form.SetShowing(true);
  if (form.OnShow) Dispatch(form.OnShow);
  if (ModalScript) ModalScript(form);
  form.SetShowing(false);
  if (form.GetModalResult() == ModalResult::None) form.SetModalResult(ModalResult::Cancel);
  return form.GetModalResult();
}

}  // namespace tovex::ui
