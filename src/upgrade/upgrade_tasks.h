#pragma once
// The upgrade task table: for every release threshold newer than the
// previously installed release, the numbered conversion steps the running
// modules are told to perform. The conversions themselves live in the
// modules; one step (8.3.16) is Setup's own: the configuration is loaded and
// saved again in the current format.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace tovex {

struct SetupContext;

struct UpgradeAction {
  enum class Kind { ModuleCommand, LocalConfiguration };
  Kind kind = Kind::ModuleCommand;
  int module = 0;        // module id (0 SMTP ... 4 GroupWare)
  uint32_t command = 0;  // first parameter of message 1280
  uint32_t task = 0;     // second parameter
};

struct UpgradeTaskRow {
  std::string_view threshold;  // due when the previous release is older
  std::span<const UpgradeAction> actions;
};

// The table, in the order it runs. A new release appends rows with higher
// thresholds and the next free task numbers (7 was never used).
std::span<const UpgradeTaskRow> UpgradeTaskTable();

// The local configuration step, given the configuration folder
// (installDir + "config\"): load the whole configuration, release the
// account database library, clear the web interface host list when its
// switch is off, save. Failures are ignored.
using LocalConfigurationStep = std::function<void(SetupContext& context, const std::string& configFolder)>;

// The local configuration step on the context's configuration store (the
// step above); without a store it does nothing.
void ResaveConfiguration(SetupContext& context, const std::string& configFolder);

// Sends the upgrade start to every module once, then the actions of every
// due row, in table order. Called only when the previous version text is not
// empty. Always true; nothing is reported.
bool RunUpgradeTasks(SetupContext& context, const std::string& previousVersion, const std::string& installDir,
                     const LocalConfigurationStep& localStep);

}  // namespace tovex
