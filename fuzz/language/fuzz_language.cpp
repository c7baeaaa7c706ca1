// Fuzz target: any bytes as "setup.lng" and as "strings.dat".
//
// The language file is read with the reader's options and applied to a small
// program (forms of every translated kind and the setup's string table).
// Besides not crashing, hanging or leaking: reading what the writer wrote
// gives the same tree, and a language file written after applying the input,
// applied to a fresh program and written again, gives the same bytes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "common/code_page_1252.h"
#include "localization/form_translation.h"
#include "localization/language_file.h"
#include "localization/server_strings.h"
#include "localization/setup_strings.h"
#include "localization/string_table.h"
#include "localization/xml.h"
#include "platform/system.h"
#include "ui/application.h"
#include "ui/form.h"

namespace {

// Only the code-page conversions are reached.
class CodePage final : public tovex::System {
 public:
  bool IsWindowsNT() override { return true; }
  std::string ProgramPath() override { return {}; }
  std::vector<std::string> Parameters() override { return {}; }
  std::optional<std::string> Environment(const std::string&) override { return std::nullopt; }
  std::string ErrorText(uint32_t) override { return {}; }
  std::string AnsiToUtf8(const std::string& ansi) override { return tovex::Cp1252ToUtf8(ansi); }
  std::string Utf8ToAnsi(const std::string& utf8) override { return tovex::Utf8ToCp1252(utf8); }
  [[noreturn]] void EndProcess(uint32_t) override { std::abort(); }
};

using tovex::ui::Kind;

struct Program {
  tovex::ui::Application app;
  tovex::ui::Form main{app, "TMainForm", "MainForm", 400, 300};
  tovex::ui::Form wizard{app, "TWizardForm", "WizardForm", 400, 300};
  tovex::SetupStrings strings;
  tovex::TLocalizationStrings table;
  Program() {
    main.Add(Kind::Label, "Title", nullptr, {}, "Welcome");
    main.Add(Kind::Button, "NextButton", nullptr, {}, "&Next >");
    main.Add(Kind::CheckBox, "Check", nullptr, {}, "Tick").SetHint("hint");
    main.Add(Kind::Edit, "Edit", nullptr, {}, "not translated");
    main.Add(Kind::ComboBox, "Combo", nullptr, {}).SetItems({"One", "Two"});
    std::vector<std::string> columns;
    for (int i = 0; i < 20; ++i) columns.push_back("C" + std::to_string(i));
    main.AddOfClass(Kind::ListView, "TDFSEnhListView", "List", nullptr, {}).SetColumns(columns);
    main.AddOfClass(Kind::HeaderList, "TAdvancedHeaderList", "Header", nullptr, {}).SetColumns({"A", "B", "C"});
    main.Add(Kind::MenuItem, "Menu", nullptr, {}, "&File");
    wizard.Add(Kind::Label, "DomainLabel", nullptr, {}, "Domain:");
    tovex::RegisterSetupStrings(strings, table);
  }

  void Apply(const tovex::XmlDocument& document) {
    const tovex::XmlElement* top = document.Child("APPLICATION");
    if (top == nullptr) return;
    tovex::ReadFormItems(top->Child("FORMS"), app);
    const tovex::XmlElement* strings = top->Child("STRINGS");
    tovex::ReadStringItems(strings != nullptr ? strings->Child("STRING") : nullptr, table);
  }

  std::string Write(tovex::System& codePage) {
    tovex::XmlElement root("APPLICATION");
    tovex::WriteFormItems(root.AddChild("FORMS"), app);
    tovex::XmlElement& string = root.AddChild("STRINGS").AddChild("STRING");
    string.AddAttribute("ID", "TStrings");
    tovex::WriteStringItems(string, table, codePage);
    tovex::XmlWriteOptions options;
    options.maxAttributeBytes = tovex::kMaxLanguageAttributeBytes;
    return tovex::WriteXml(root, codePage, options);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CodePage codePage;
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  tovex::XmlReadOptions limited;
  limited.maxAttributeBytes = tovex::kMaxLanguageAttributeBytes;
  const tovex::XmlDocument document = tovex::ParseXml(input, codePage, limited);
  if (const tovex::XmlElement* root = document.Root()) {
    const std::string written = tovex::WriteXml(*root, codePage);
    const tovex::XmlDocument again = tovex::ParseXml(written, codePage);
    if (!again.complete || again.Root() == nullptr) std::abort();
    if (tovex::WriteXml(*again.Root(), codePage) != written) std::abort();
  }

  auto first = std::make_unique<Program>();
  first->Apply(document);
  const std::string saved = first->Write(codePage);
  auto fresh = std::make_unique<Program>();
  const tovex::XmlDocument reread = tovex::ParseXml(saved, codePage, limited);
  if (!reread.complete) std::abort();
  fresh->Apply(reread);
  if (fresh->Write(codePage) != saved) std::abort();

  tovex::ParseServerStrings(input, &codePage);
  return 0;
}
