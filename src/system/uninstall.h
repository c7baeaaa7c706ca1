#pragma once
// Removal of the server, started with /UNINSTALL once the user confirmed it.
//
// The uninstall entry and the program group start the copy of Setup that lies
// in the installation folder, so the folder of the running program is the
// folder the server was installed in (the base folder). The removal follows
// fixed lists and is partial on purpose: configuration, mail, logs, im.exe,
// the installation record, the data sources, a per-user program group and any
// service that would not stop all stay, so that a later installation into the
// same folder finds them and runs as an upgrade.

#include <string>
#include <vector>

namespace tovex {

struct SetupContext;

// The program files removed from the base folder, in this order: the core
// program files of the installation, then the COM automation library and the
// GroupWare server.
std::vector<std::string> UninstalledProgramFiles();

// The subfolders of the base folder removed with everything in them, in this
// order; the anti-virus engine's folder "avast\" goes last, after the
// engine's own uninstaller ran.
inline constexpr const char* kUninstalledFolders[] = {"doc\\",      "wizards\\", "modules\\", "spam\\", "html\\",
                                                      "api\\",      "tutorial\\", "examples\\", "xml\\", "php\\"};
inline constexpr const char* kEngineFolder = "avast\\";
inline constexpr const char* kEngineSetupFolder = "avast\\setup\\";

// Whether the folder holds an installation of the server: its "config\"
// folder, a server service whose program lies there, or the installation
// record naming it. A folder with none of them (a download folder or a share
// holding Setup beside its archives, whatever else lies there under the
// server's file names) is never emptied: the removal follows fixed lists of
// names and would delete anything so named.
bool HoldsInstallation(SetupContext& context, const std::string& folder);

// Stops the servers, deletes the stopped services, removes the program group,
// the uninstall entry, the COM registrations, the program files and folders
// and the anti-virus engine, then shows the closing information box. Only the
// service operations report failures (their warning box); everything else
// that fails is left as it is and goes to the setup log.
void Uninstall(SetupContext& context);

}  // namespace tovex
