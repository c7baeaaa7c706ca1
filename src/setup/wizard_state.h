#pragma once
// The run's values that the wizard form keeps beside its controls.

#include <cstdint>
#include <string>

namespace tovex {

struct WizardState {
  uint8_t PageIndex = 0;           // the wizard page shown (0 to 8)
  std::string PreviousVersion;     // Version of the installation record
  std::string PreviousInstallDir;  // InstallDir of the installation record
  std::string ProductsUrl;         // products document of the new-version check
  bool IsUpgrade = false;          // InstallPath + "config\" existed at installation
  std::string ExtractionFolder;    // where setup.Dat is unpacked
  bool OldWebMailFound = false;
  bool RemoveOldAntivirus = false;
};

// The wizard's pages, by PageIndex.
namespace page {
inline constexpr uint8_t kWelcome = 0;
inline constexpr uint8_t kLicense = 1;
inline constexpr uint8_t kCredentials = 2;
inline constexpr uint8_t kSetupType = 3;
inline constexpr uint8_t kComponents = 4;
inline constexpr uint8_t kInstallFolder = 5;
inline constexpr uint8_t kInstalling = 6;
inline constexpr uint8_t kFinished = 7;
inline constexpr uint8_t kFinishActions = 8;
}  // namespace page

}  // namespace tovex
