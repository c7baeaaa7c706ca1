#include "fakes/fake_system.h"

#include "common/code_page_1252.h"

namespace tovex::fakes {

std::optional<std::string> FakeSystem::Environment(const std::string& name) {
  auto it = environment.find(name);
  if (it == environment.end()) return std::nullopt;
  return it->second;
}

std::string FakeSystem::ErrorText(uint32_t code) {
  // The English system texts, as FormatMessage returns them.
  static const std::map<uint32_t, std::string> kTexts = {
      {0, "The operation completed successfully.\r\n"},
      {2, "The system cannot find the file specified.\r\n"},
      {3, "The system cannot find the path specified.\r\n"},
      {5, "Access is denied.\r\n"},
      {32, "The process cannot access the file because it is being used by another process.\r\n"},
      {80, "The file exists.\r\n"},
      {112, "There is not enough space on the disk.\r\n"},
      {183, "Cannot create a file when that file already exists.\r\n"},
      {1056, "An instance of the service is already running.\r\n"},
      {1060, "The specified service does not exist as an installed service.\r\n"},
      {1061, "The service cannot accept control messages at this time.\r\n"},
      {1062, "The service has not been started.\r\n"},
      {1072, "The specified service has been marked for deletion.\r\n"},
      {1073, "The specified service already exists.\r\n"},
  };
  auto it = kTexts.find(code);
  return it != kTexts.end() ? it->second : "Unknown error " + std::to_string(code) + ".\r\n";
}

std::string FakeSystem::AnsiToUtf8(const std::string& ansi) { return Cp1252ToUtf8(ansi); }

std::string FakeSystem::Utf8ToAnsi(const std::string& utf8) { return Utf8ToCp1252(utf8); }

}  // namespace tovex::fakes
