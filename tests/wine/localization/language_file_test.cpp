// The language file on real files, with the system's own code-page
// conversion between the ANSI code page and UTF-8.
#include <windows.h>

#include <gtest/gtest.h>

#include "common/context.h"
#include "common/folders.h"
#include "common/setup_log.h"
#include "localization/language_file.h"
#include "localization/setup_strings.h"
#include "localization/string_table.h"
#include "platform/win32/clock_win32.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/system_win32.h"

namespace tovex {
namespace {

struct RealMachine {
  win32::Win32Files files;
  win32::Win32System system;
  win32::Win32Clock clock;
  SetupLog log{&files, &clock};
  SetupStrings strings;
  TLocalizationStrings table;
  SetupContext context;
  RealMachine() {
    context.platform.files = &files;
    context.platform.system = &system;
    context.platform.clock = &clock;
    context.log = &log;
    context.strings = &strings;
    context.stringTable = &table;
    RegisterSetupStrings(strings, table);
  }
};

// "élève €" in this machine's ANSI code page.
std::string AnsiSample() {
  const wchar_t wide[] = L"\u00E9l\u00E8ve \u20AC";
  char buffer[64] = {};
  const int length = ::WideCharToMultiByte(CP_ACP, 0, wide, -1, buffer, sizeof buffer, nullptr, nullptr);
  return std::string(buffer, length > 0 ? static_cast<size_t>(length - 1) : 0);
}

std::string ReadBytes(const std::string& path) {
  std::string content;
  if (FILE* file = std::fopen(path.c_str(), "rb")) {
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) content.append(buffer, got);
    std::fclose(file);
  }
  return content;
}

TEST(LanguageFileOnRealFiles, Utf8OnDiskAnsiInMemoryAndReplacedWhole) {
  RealMachine first;
  const std::string folder = first.files.TempFolder() + "tovex-lng-" + std::to_string(::GetCurrentProcessId()) + "\\";
  DeleteTree(first.files, folder, "*.*", true);
  const std::string path = folder + "sub\\setup.lng";
  first.strings.cYes = AnsiSample();
  first.strings.cYes.insert(0, 1, '&');
  first.strings.cError = std::string(300, 'e');

  ASSERT_TRUE(SaveLanguageFile(first.context, nullptr, path, true));
  ASSERT_TRUE(SaveLanguageFile(first.context, nullptr, path, true));  // over the existing file
  const std::string bytes = ReadBytes(path);
  EXPECT_NE(bytes.find("VALUE=\"&amp;\xC3\xA9l\xC3\xA8ve \xE2\x82\xAC\""), std::string::npos);
  EXPECT_FALSE(first.files.FileExists(path + ".tmp"));

  RealMachine second;
  ASSERT_TRUE(LoadLanguageFile(second.context, nullptr, path, true));
  EXPECT_EQ(second.strings.cYes, first.strings.cYes);
  EXPECT_EQ(second.strings.cError, first.strings.cError);
  EXPECT_EQ(second.strings.cErrorText, first.strings.cErrorText);
  EXPECT_TRUE(DeleteTree(first.files, folder, "*.*", true));
}

}  // namespace
}  // namespace tovex
