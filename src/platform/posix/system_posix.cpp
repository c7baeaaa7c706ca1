#include "platform/posix/system_posix.h"

#include <cstdlib>

#include "common/code_page_1252.h"

namespace tovex::posix {

PosixSystem::PosixSystem(int argc, char** argv) {
  if (argc > 0) programPath_ = argv[0];
  for (int i = 1; i < argc; ++i) parameters_.emplace_back(argv[i]);
}

std::optional<std::string> PosixSystem::Environment(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

std::string PosixSystem::ErrorText(uint32_t code) { return "Windows error " + std::to_string(code) + ".\r\n"; }

std::string PosixSystem::AnsiToUtf8(const std::string& ansi) { return Cp1252ToUtf8(ansi); }

std::string PosixSystem::Utf8ToAnsi(const std::string& utf8) { return Utf8ToCp1252(utf8); }

void PosixSystem::EndProcess(uint32_t exitCode) { std::exit(static_cast<int>(exitCode & 0xFF)); }

}  // namespace tovex::posix
