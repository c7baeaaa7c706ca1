#pragma once
// System port: facts about the running program and the operating system, and
// the one way the process ends.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tovex {

class System {
 public:
  virtual ~System() = default;

  // True when the operating system reports the Windows NT platform
  // (platform id 2); false on the Windows 95 family.
  virtual bool IsWindowsNT() = 0;
  // Full path of the running program.
  virtual std::string ProgramPath() = 0;
  // Command-line parameters after the program name, as the C runtime splits
  // them (quotes removed).
  virtual std::vector<std::string> Parameters() = 0;
  virtual std::optional<std::string> Environment(const std::string& name) = 0;

  // The system's message text for a Windows error code, as FormatMessage
  // gives it (with its trailing CR LF and full stop, if any).
  virtual std::string ErrorText(uint32_t code) = 0;

  // Conversions between the Windows ANSI code page and UTF-8.
  virtual std::string AnsiToUtf8(const std::string& ansi) = 0;
  virtual std::string Utf8ToAnsi(const std::string& utf8) = 0;

  // Ends the process with the exit code. The Win32 adapter never returns; the
  // fake throws ProcessEnded so that tests can see the code.
  [[noreturn]] virtual void EndProcess(uint32_t exitCode) = 0;
};

// Thrown by the fake system's EndProcess. Handlers that discard exceptions
// (the wizard's application-wide handler) must let it pass.
struct ProcessEnded {
  uint32_t exitCode;
};

}  // namespace tovex
