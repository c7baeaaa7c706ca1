#pragma once
// SetupContext: the program-wide values of one Setup run, handed to every part
// instead of living in mutable globals. Members keep the names the rest of
// the documentation uses for them.

#include <string>

#include "common/command_line.h"
#include "platform/platform.h"

namespace tovex {

class SetupLog;
class TLocalizationStrings;
struct SetupStrings;
class ConfigurationStore;

// Exit codes of setup.exe, the values deployment tools already know from
// Windows Installer.
inline constexpr uint32_t kExitSuccess = 0;      // the run did what was asked
inline constexpr uint32_t kExitCancelled = 1602; // declined or cancelled
inline constexpr uint32_t kExitFatal = 1603;     // a fatal error was shown
inline constexpr uint32_t kExitNotInstalled = 1605;        // nothing to remove where asked
inline constexpr uint32_t kExitInvalidCommandLine = 1639;  // a parameter Setup does not know

struct ComponentFlags {
  bool NoInstallMail = false;      // SMTP and POP3/IMAP
  bool NoInstallControl = false;   // control, web and FTP
  bool NoInstallWebMail = false;
  bool NoInstallIAS = false;       // anti-spam
  bool NoInstallAV = false;        // anti-virus engine
  bool NoInstallCalendar = false;  // groupware
  bool NoInstallIM = false;        // instant messaging and VoIP
};

struct SetupContext {
  Platform platform;
  SetupLog* log = nullptr;
  SetupStrings* strings = nullptr;          // the texts
  TLocalizationStrings* stringTable = nullptr;
  ConfigurationStore* config = nullptr;     // settings record and domain table

  std::string InstallPath;     // ends with a backslash once set
  std::string SetupFolder;     // folder of the running program, with backslash
  CommandLine commandLine;     // read once at the entry
  ComponentFlags flags;
  bool IsWindowsNT = true;
};

// Writes the exit to the log and ends the process through the system port.
[[noreturn]] void EndSetup(SetupContext& context, uint32_t exitCode);

}  // namespace tovex
