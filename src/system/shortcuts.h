#pragma once
// The server's program group in the all-users Start menu: one folder named
// after the product with shortcuts to the console, the documents, the tools,
// the uninstallation and the web log-on pages, plus one per server program
// where the servers run as console programs (the Windows 95 family).
//
// Caller: the installation driver, after the files are in place and before
// the services are installed. COM for the link objects is the shell
// adapter's business (see platform/win32/shell_win32.cpp).

#include <functional>
#include <string>
#include <vector>

#include "system/registry_records.h"

namespace tovex {

struct SetupContext;
struct SetupStrings;

struct ProgramGroupShortcut {
  std::string name;       // link file name without ".lnk"
  std::string target;
  std::string arguments;  // empty: none set
  int iconIndex = 0;      // icon group of the target; 0: the target's default icon
};

// Icon groups of setup.exe in resource order: MAINICON 0, UNINSTALLICON 1,
// XICON1 2, XICON2 3.
inline constexpr int kUninstallIconIndex = 1;
inline constexpr int kWebIconIndex = 2;

// The five names of the LinkDesc text, one per line (blanks and the CR of a
// CR LF trimmed). A translation with fewer lines, or an empty line, gives the
// missing names their English defaults instead of an empty link name.
std::vector<std::string> LinkDescNames(const std::string& linkDesc);

// The shortcuts to make, in order: the service branch (isWindowsNT) gets 8,
// the console branch 13; the web mail documentation adds one.
std::vector<ProgramGroupShortcut> ProgramGroupShortcuts(const SetupStrings& strings, const std::string& installDir,
                                                        const std::string& programFileName,
                                                        bool webMailInstalled, bool isWindowsNT);

// Creates or overwrites one link file; false (logged) when the link could not
// be saved. Nothing is shown to the user.
bool CreateShortcut(SetupContext& context, const std::string& target, const std::string& linkPath,
                    const std::string& arguments, int iconIndex);

struct ProgramGroupInputs {
  bool webMailInstalled = false;  // the web mail component was installed in this run
  UserDetails user;               // for the installation record written at the end
  // Shows a phase caption on the Installing page (after handling pending
  // window messages); may be empty in tests.
  std::function<void(const std::string&)> setPhaseCaption;
};

// "Creating Icons...": deletes a per-user group of an earlier installation,
// rebuilds the all-users group (HKLM Shell Folders value named by
// cCommonPrograms) from scratch and fills it, then writes the uninstall entry
// and installation record (WriteInstallationRecord, which may end Setup).
// When the all-users programs folder is not recorded the group goes into the
// current user's programs folder. Leaves AdvancedRegistry at the local-machine
// root. Returns the group folder (empty when no programs folder is known).
std::string CreateProgramGroup(SetupContext& context, MainFormRegistries& registries,
                               const ProgramGroupInputs& inputs);

}  // namespace tovex
