#include "localization/form_translation.h"

#include <string_view>
#include <vector>

#include "common/text.h"
#include "localization/xml.h"
#include "ui/application.h"
#include "ui/form.h"

namespace tovex {

namespace {

enum class Rule { Caption, ComboBox, HeaderList, ListView };

struct ClassRule {
  std::string_view name;     // lower-cased class name
  Rule rule;
  std::string_view written;  // CLASS as written
};

// The list views of the user-interface library share one written class, so
// that a translation is not tied to which list view a form happens to use.
constexpr ClassRule kClassRules[] = {
    {"tlabel", Rule::Caption, "tlabel"},
    {"tradiobutton", Rule::Caption, "tradiobutton"},
    {"tbutton", Rule::Caption, "tbutton"},
    {"tcheckbox", Rule::Caption, "tcheckbox"},
    {"ttabsheet", Rule::Caption, "ttabsheet"},
    {"tgroupbox", Rule::Caption, "tgroupbox"},
    {"tmenuitem", Rule::Caption, "tmenuitem"},
    {"tdynpanel", Rule::Caption, "tdynpanel"},
    {"tcombobox", Rule::ComboBox, "tcombobox"},
    {"tadvancedheaderlist", Rule::HeaderList, "tadvancedheaderlist"},
    {"tcustomlistview", Rule::ListView, "tcustomlistview"},
    {"textlistviewmanagement", Rule::ListView, "tcustomlistview"},
    {"tdfsenhlistview", Rule::ListView, "tcustomlistview"},
    {"tdfsextlistview", Rule::ListView, "tcustomlistview"},
};

// A list view carries at most this many column captions in the file.
constexpr size_t kMaxListViewColumns = 16;

const ClassRule* FindRule(std::string_view className) {
  const std::string lowered = LowerCase(className);
  for (const ClassRule& rule : kClassRules) {
    if (rule.name == lowered) return &rule;
  }
  return nullptr;
}

// Each line followed by CR LF, the whole trimmed: how a list's lines are
// written.
std::string JoinLines(const std::vector<std::string>& lines, size_t limit) {
  std::string text;
  for (size_t i = 0; i < lines.size() && i < limit; ++i) text += lines[i] + "\r\n";
  return Trim(text);
}

// A text as list lines: split at CR LF, LF or CR; a final line break does not
// start another line.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = start;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    lines.push_back(text.substr(start, end - start));
    if (end < text.size() && text[end] == '\r') ++end;
    if (end < text.size() && text[end] == '\n') ++end;
    start = end;
  }
  return lines;
}

std::string WrittenText(const ui::Component& component, Rule rule) {
  switch (rule) {
    case Rule::Caption: return component.Caption();
    case Rule::ComboBox: return JoinLines(component.Items(), SIZE_MAX);
    case Rule::HeaderList: return JoinLines(component.Columns(), SIZE_MAX);
    case Rule::ListView: return JoinLines(component.Columns(), kMaxListViewColumns);
  }
  return std::string();
}

// Header sections and columns take the non-empty trimmed lines in order; a
// line beyond the last column has nowhere to go and is left out.
void ApplyColumns(ui::Component& component, const std::string& text) {
  size_t column = 0;
  for (const std::string& piece : Split(text, "\n")) {
    const std::string caption = Trim(piece);
    if (caption.empty()) continue;
    if (!component.SetColumn(column, caption)) return;
    ++column;
  }
}

void ApplyItem(ui::Component& component, const XmlElement& item, Rule rule) {
  switch (rule) {
    case Rule::Caption:
      component.SetCaption(item.Attribute("CAPTION"));
      break;
    case Rule::ComboBox: {
      std::vector<std::string> lines = SplitLines(item.Attribute("ITEMSTEXT"));
      const bool any = !lines.empty();
      component.SetItems(std::move(lines));
      component.SetItemIndex(any ? 0 : -1);
      break;
    }
    case Rule::HeaderList:
    case Rule::ListView:
      ApplyColumns(component, item.Attribute("ITEMSTEXT"));
      break;
  }
  component.SetHint(item.Attribute("HINT"));
}

}  // namespace

void WriteFormItems(XmlElement& forms, const ui::Application& application) {
  for (const ui::Form* form : application.Forms()) {
    if (form->Name().empty()) continue;
    XmlElement& formElement = forms.AddChild("FORM");
    formElement.AddAttribute("ID", form->ClassName());
    formElement.AddAttribute("CAPTION", form->Caption());
    for (const auto& component : form->Components()) {
      // A component without a name could never be found again on loading.
      if (component->Name().empty()) continue;
      const ClassRule* rule = FindRule(component->ClassName());
      if (rule == nullptr) continue;
      const std::string text = WrittenText(*component, rule->rule);
      if (text.empty()) continue;
      XmlElement& item = formElement.AddChild("ITEM");
      item.AddAttribute("ID", component->Name());
      item.AddAttribute("CLASS", std::string(rule->written));
      item.AddAttribute(rule->rule == Rule::Caption ? "CAPTION" : "ITEMSTEXT", text);
      item.AddAttribute("HINT", component->Hint());
    }
  }
}

void ReadFormItems(const XmlElement* forms, ui::Application& application) {
  if (forms == nullptr) return;
  for (const auto& formElement : forms->Children()) {
    ui::Form* form = application.FindForm(formElement->Attribute("ID"));
    if (form == nullptr) continue;
    form->SetCaption(formElement->Attribute("CAPTION"));
    for (const auto& item : formElement->Children()) {
      const std::string id = item->Attribute("ID");
      if (id.empty()) continue;
      ui::Component* component = form->Find(id);
      if (component == nullptr) continue;
      // The file may claim any class: a text is applied only to the kind of
      // control it was written for.
      const ClassRule* claimed = FindRule(item->Attribute("CLASS"));
      const ClassRule* actual = FindRule(component->ClassName());
      if (claimed == nullptr || actual == nullptr || claimed->written != actual->written) continue;
      ApplyItem(*component, *item, claimed->rule);
    }
  }
}

}  // namespace tovex
