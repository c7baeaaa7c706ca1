#pragma once
// The system as a test wants it: a program path, parameters, environment,
// Windows-1252 conversions, error texts in the system's wording for the codes
// tests meet, and EndProcess throwing ProcessEnded.

#include <map>

#include "platform/system.h"

namespace tovex::fakes {

class FakeSystem final : public System {
 public:
  bool windowsNT = true;
  std::string programPath = "C:\\Setup\\setup.exe";
  std::vector<std::string> parameters;
  std::map<std::string, std::string> environment;

  bool IsWindowsNT() override { return windowsNT; }
  std::string ProgramPath() override { return programPath; }
  std::vector<std::string> Parameters() override { return parameters; }
  std::optional<std::string> Environment(const std::string& name) override;
  std::string ErrorText(uint32_t code) override;
  std::string AnsiToUtf8(const std::string& ansi) override;
  std::string Utf8ToAnsi(const std::string& utf8) override;
  [[noreturn]] void EndProcess(uint32_t exitCode) override { throw ProcessEnded{exitCode}; }
};

}  // namespace tovex::fakes
