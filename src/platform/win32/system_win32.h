#pragma once
#include "platform/system.h"

namespace tovex::win32 {

class Win32System final : public System {
 public:
  bool IsWindowsNT() override;
  std::string ProgramPath() override;
  std::vector<std::string> Parameters() override;
  std::optional<std::string> Environment(const std::string& name) override;
  std::string ErrorText(uint32_t code) override;
  std::string AnsiToUtf8(const std::string& ansi) override;
  std::string Utf8ToAnsi(const std::string& utf8) override;
  [[noreturn]] void EndProcess(uint32_t exitCode) override;
};

}  // namespace tovex::win32
