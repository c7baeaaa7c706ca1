#pragma once
// The system port for native tools: the host's view, Windows-1252 as the ANSI
// code page.

#include "platform/system.h"

namespace tovex::posix {

class PosixSystem final : public System {
 public:
  PosixSystem(int argc, char** argv);
  bool IsWindowsNT() override { return true; }
  std::string ProgramPath() override { return programPath_; }
  std::vector<std::string> Parameters() override { return parameters_; }
  std::optional<std::string> Environment(const std::string& name) override;
  std::string ErrorText(uint32_t code) override;
  std::string AnsiToUtf8(const std::string& ansi) override;
  std::string Utf8ToAnsi(const std::string& utf8) override;
  [[noreturn]] void EndProcess(uint32_t exitCode) override;

 private:
  std::string programPath_;
  std::vector<std::string> parameters_;
};

}  // namespace tovex::posix
