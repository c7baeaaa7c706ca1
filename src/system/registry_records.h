#pragma once
// The registry records of an installation: the installation record under
// HKLM\Software\Polvane\Tovex Mail Server, the uninstall entry in the
// system's list of installed programs, the read-only record of the separate
// web mail product, and the migration of the keys older releases left under
// HKLM\Software\Tovex and HKLM\Software\PWEBMAIL.
//
// Who calls what:
// - start-up (the wizard's hooks): MigrateRegistryRecords(deleteOld = false),
//   then ReadMachineString / ReadMachineBool for each value it reads;
// - installation driver: MigrateRegistryRecords(deleteOld = true), then
//   WriteComponentFlags, before any file is touched;
// - program group (shortcuts.h): WriteInstallationRecord as its last step.

#include <string>

#include "system/advanced_registry.h"

namespace tovex {

struct SetupContext;

inline constexpr const char* kSoftwareArea = "\\Software";
inline constexpr const char* kPolvaneArea = "\\Software\\Polvane";
inline constexpr const char* kServerRecordSection = "Tovex Mail Server";
inline constexpr const char* kWebMailRecordSection = "Polvane Web Mail";
inline constexpr const char* kUninstallArea = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr const char* kShellFoldersArea = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
// The maker's web address as the uninstall entry shows it.
inline constexpr const char* kMakerHost = "www.polvane.com";

// The three registry components of the wizard form, with the property values
// of its definition. The writes below point PathRegistry at the installation
// record for as long as they need it.
struct MainFormRegistries {
  explicit MainFormRegistries(SetupContext& context);
  TAdvancedRegistry AdvancedRegistry;         // HKCU ...\Explorer \ Shell Folders
  TAdvancedRegistry AdvancedRegistryInstall;  // HKLM ...\Uninstall \ Tovex
  TAdvancedRegistry PathRegistry;             // HKLM \Software \ Tovex
};

// Copies the records of older releases into HKLM\Software\Polvane, once: when
// that key exists (even empty) nothing happens. With deleteOld the old keys
// are deleted after a complete copy. Silent; failures go to the setup log.
void MigrateRegistryRecords(SetupContext& context, bool deleteOld);

// The user-details page's fields.
struct UserDetails {
  std::string Name;
  std::string Email;
  std::string Company;
  std::string Country;
};

// Start-up's reads (through the wizard's ReadString and ReadBool hooks): a
// value of a key under the local-machine root, read the way PathRegistry is
// re-pointed for it (the key's parent as area, its last name as section).
// Never reports: a missing key or value, or one of another type, gives an
// empty text or false (a flag stored as the text "1" is false).
std::string ReadMachineString(SetupContext& context, const std::string& key, const std::string& name);
bool ReadMachineBool(SetupContext& context, const std::string& key, const std::string& name);

// Writes the seven component exclusion flags (1 or 0) into the installation
// record from context.flags; the first failure stops the rest silently.
// Returns whether all were written.
bool WriteComponentFlags(SetupContext& context, TAdvancedRegistry& pathRegistry);

// Writes the uninstall entry (DisplayName ... URLInfoAbout) and then the
// installation record (InstallDir, user details, Version) for
// context.InstallPath. A value write that fails shows the fatal
// "Registry error: " box and ends Setup with kExitFatal; a key that cannot be
// created is skipped silently (logged).
void WriteInstallationRecord(SetupContext& context, MainFormRegistries& registries, const UserDetails& user);

}  // namespace tovex
