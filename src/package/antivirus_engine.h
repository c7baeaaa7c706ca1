#pragma once
// The anti-virus vendor's setup library "setiface.dll": a closed component
// delivered inside "setupav.dat". Setup loads it by path with the current
// directory set to its folder (it finds its companions relative to it) and
// calls two of its entries; their results are logged, never acted on.

#include <cstdint>
#include <string>

namespace tovex {

struct SetupContext;

inline constexpr const char* kEngineSetupLibrary = "setiface.dll";
inline constexpr const char* kEngineProduct = "Polvane";
// setifaceUpdateFiles reports success with this status word.
inline constexpr uint32_t kEngineUpdateDone = 0x20000000;

// The entries of the library, as the vendor names them.
namespace setiface {
inline constexpr const char* kInstallProgram = "setifaceInstallProgram";
inline constexpr const char* kUpdatePackages = "setifaceUpdatePackages";
inline constexpr const char* kUpdateFiles = "setifaceUpdateFiles";
inline constexpr const char* kUninstallProgram = "setifaceUninstallProgram";
inline constexpr const char* kGimmePathToSetifaceVpu = "setifaceGimmePathToSetifaceVpu";
inline constexpr const char* kGetPartVersions = "setifaceGetPartVersions";
inline constexpr const char* kCheckUpdate = "setifaceCheckUpdate";
}  // namespace setiface

// Loads the library from libraryFolder and runs the vendor's installer
// (libraryFolder + "avastoem.exe") into targetFolder (given without a
// trailing backslash). True when the library reported success (0).
bool RunEngineInstaller(SetupContext& context, const std::string& libraryFolder, const std::string& targetFolder);

// Loads the library from libraryFolder and updates the engine's files with
// "/overwrite". True when it returned 0 with the status kEngineUpdateDone.
bool RunEngineFileUpdate(SetupContext& context, const std::string& libraryFolder);

// Loads the library from libraryFolder and runs the vendor's uninstaller for
// the product (a reserved null pointer, mode 2). True when it returned 0 with
// the status kEngineUpdateDone; the uninstallation does not act on it.
bool RunEngineUninstaller(SetupContext& context, const std::string& libraryFolder);

}  // namespace tovex
