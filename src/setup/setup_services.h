#pragma once
// The parts of Setup that the wizard calls but that live elsewhere: the
// registry records, the configuration store, the uninstallation, the language
// file, the installation driver, the new-version check and the finish
// actions. Each is a replaceable hook; the defaults below do nothing and
// report nothing recorded, so the wizard runs on its own. Whoever builds a
// part assigns its hooks in SetupProgram's constructor (setup_program.cpp),
// where the language file, info.xml and the new-version check are wired
// already; tests replace single hooks.
//
// A hook may throw; the wizard treats that like the failure of the operation
// (ignored where the start-up ignores errors, discarded by the application's
// handler inside event handlers). Ending the process goes through EndSetup.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace tovex {

struct SetupContext;

// Registry places the start-up reads, all under HKEY_LOCAL_MACHINE.
inline constexpr const char* kInstallationRecordKey = "\\Software\\Polvane\\Tovex Mail Server";
inline constexpr const char* kWebMailRecordKey = "\\Software\\Polvane\\Polvane Web Mail";
inline constexpr const char* kWindowsCurrentVersionKey = "\\Software\\Microsoft\\Windows\\CurrentVersion";

struct SetupServices {
  // --- Registry records ---
  // Moves records of the old registry layout to their new place; deleteOld
  // removes the old keys afterwards. Default: nothing to migrate.
  std::function<void(bool deleteOld)> MigrateRegistryRecords = [](bool) {};
  // A string value under HKEY_LOCAL_MACHINE; empty when the key or value is
  // missing. Default: nothing recorded.
  std::function<std::string(const std::string& key, const std::string& name)> ReadString =
      [](const std::string&, const std::string&) { return std::string(); };
  // A Boolean value (integer 0 or 1); false when missing. Default: false.
  std::function<bool(const std::string& key, const std::string& name)> ReadBool =
      [](const std::string&, const std::string&) { return false; };

  // --- Configuration store of the installed server ---
  // Finds the configuration of this machine's installation (the InstallDir
  // option when it names one, or the program's folder) and prepares to read
  // it.
  std::function<void()> InitConfigurationStore = [] {};
  std::function<void(const std::string& folder)> SetConfigurationFolder = [](const std::string&) {};
  std::function<void()> LoadConfiguration = [] {};
  std::function<void()> ReleaseDatabaseLibrary = [] {};
  // Fields of the loaded settings record: the administration console's
  // layout file ("basic.xml", "advanced.xml"), the web administration port
  // and the server host list (entries separated by ";").
  std::function<std::string()> ConsoleMode = [] { return std::string(); };
  std::function<uint16_t()> WebAdminPort = [] { return uint16_t{0}; };
  std::function<std::string()> ServerHostList = [] { return std::string(); };

  // --- Uninstallation --- (its messages are owned by the wizard window)
  // Whether the folder holds an installation that /UNINSTALL may remove.
  // Default: it does.
  std::function<bool(const std::string& folder)> HoldsInstallation = [](const std::string&) { return true; };
  std::function<void()> Uninstall = [] {};

  // --- Language file ---
  // Loads or writes "setup.lng" (strings and form texts); false on failure.
  std::function<bool(const std::string& path)> LoadLanguageFile = [](const std::string&) { return false; };
  std::function<bool(const std::string& path)> SaveLanguageFile = [](const std::string&) { return false; };

  // --- Products information ---
  // The address of the products document from "info.xml" (element
  // PRODUCTSXML under the root); empty when there is none.
  std::function<std::string(const std::string& infoXmlPath)> ReadProductsUrl =
      [](const std::string&) { return std::string(); };

  // --- Wizard page actions ---
  std::function<void()> CheckForNewVersion = [] {};  // entering page 1
  std::function<void()> RunInstallation = [] {};     // entering page 6
  // Entering page 8; it ends the process. Default: ends with success.
  std::function<void()> RunFinishActions;
  // The post-install configuration wizard (TWizardForm, shown modally, and
  // the first domain and administrator it asks for); the finish actions call
  // it while "Run Installation Wizard" is ticked. Default: does nothing.
  std::function<void()> RunConfigurationWizard = [] {};
};

}  // namespace tovex
