// Fuzz target: the XML reader with the language file's options, and the
// "strings.dat" reader. Besides not crashing, hanging or leaking, reading what
// the writer wrote must give the same tree: writing it again gives the same
// bytes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/code_page_1252.h"
#include "localization/server_strings.h"
#include "localization/xml.h"
#include "platform/system.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CodePage codePage;
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  tovex::XmlReadOptions limited;
  limited.maxAttributeBytes = 255;
  const tovex::XmlDocument document = tovex::ParseXml(input, codePage, limited);
  if (const tovex::XmlElement* root = document.Root()) {
    const std::string written = tovex::WriteXml(*root, codePage);
    const tovex::XmlDocument again = tovex::ParseXml(written, codePage);
    if (!again.complete || again.Root() == nullptr) std::abort();
    if (tovex::WriteXml(*again.Root(), codePage) != written) std::abort();
  }

  tovex::ParseServerStrings(input, &codePage);
  return 0;
}
