#include "upgrade/upgrade_tasks.h"

#include <array>

#include "common/context.h"
#include "common/setup_log.h"
#include "common/version.h"
#include "system/server_table.h"
#include "upgrade/config_store.h"
#include "upgrade/module_control.h"
#include "upgrade/settings_layout.h"

namespace tovex {

namespace {

using Kind = UpgradeAction::Kind;

constexpr UpgradeAction Smtp(uint32_t command, uint32_t task) { return {Kind::ModuleCommand, kSmtpServer, command, task}; }
constexpr UpgradeAction GroupWare(uint32_t command, uint32_t task) {
  return {Kind::ModuleCommand, kGroupWareServer, command, task};
}
constexpr UpgradeAction kLocalConfiguration{Kind::LocalConfiguration, 0, 0, 0};

// Command codes the modules understand.
constexpr uint32_t kGroupWareConvert = 0xF01;   // 3841
constexpr uint32_t kGroupWareTask = 0xF05;      // 3845

constexpr UpgradeAction kRow1[] = {GroupWare(kGroupWareConvert, 0), Smtp(2, 0)};
constexpr UpgradeAction kRow2[] = {Smtp(3, 1), Smtp(4, 2)};
constexpr UpgradeAction kRow3[] = {Smtp(4, 3), Smtp(4, 4)};
constexpr UpgradeAction kRow4[] = {GroupWare(kGroupWareTask, 5)};
constexpr UpgradeAction kRow5[] = {GroupWare(kGroupWareTask, 6)};
constexpr UpgradeAction kRow6[] = {GroupWare(kGroupWareTask, 8)};
constexpr UpgradeAction kRow7[] = {Smtp(2, 9)};
constexpr UpgradeAction kRow8[] = {Smtp(2, 10)};
constexpr UpgradeAction kRow9[] = {Smtp(4, 11)};
constexpr UpgradeAction kRow10[] = {GroupWare(kGroupWareTask, 12)};
constexpr UpgradeAction kRow11[] = {GroupWare(kGroupWareTask, 13)};
constexpr UpgradeAction kRow12[] = {GroupWare(kGroupWareTask, 14)};
constexpr UpgradeAction kRow13[] = {Smtp(4, 15)};
constexpr UpgradeAction kRow14[] = {kLocalConfiguration};
constexpr UpgradeAction kRow15[] = {Smtp(4, 16)};
constexpr UpgradeAction kRow16[] = {GroupWare(kGroupWareTask, 17)};

constexpr std::array<UpgradeTaskRow, 16> kTable{{
    {"7.1.3", kRow1},   {"7.4.6", kRow2},   {"7.4.7", kRow3},   {"7.6.1", kRow4},
    {"7.6.3", kRow5},   {"7.7.2", kRow6},   {"8.2.10", kRow7},  {"8.2.13", kRow8},
    {"8.3.11", kRow9},  {"8.3.12", kRow10}, {"8.3.13", kRow11}, {"8.3.14", kRow12},
    {"8.3.15", kRow13}, {"8.3.16", kRow14}, {"8.3.17", kRow15}, {"8.3.18", kRow16},
}};

}  // namespace

std::span<const UpgradeTaskRow> UpgradeTaskTable() { return kTable; }

void ResaveConfiguration(SetupContext& context, const std::string& configFolder) {
  ConfigurationStore* store = context.config;
  if (store == nullptr) return;
  store->SetConfigurationFolder(configFolder);
  store->LoadConfiguration();
  store->ReleaseDatabaseLibrary();
  if (store->Settings()[settings::kHostListSwitch] == 0) store->SetSettingsText(settings::kWebHostList, "");
  store->SaveConfiguration();
}

bool RunUpgradeTasks(SetupContext& context, const std::string& previousVersion, const std::string& installDir,
                     const LocalConfigurationStep& localStep) {
  if (context.log != nullptr) context.log->Write("Upgrade tasks for previous version " + previousVersion);
  bool broadcastSent = false;
  for (const UpgradeTaskRow& row : kTable) {
    const bool upToDate = VersionAtLeast(previousVersion, row.threshold);
    if (!broadcastSent) {
      // The modules hear that an upgrade starts before any row acts.
      BroadcastUpgradeStart(context);
      broadcastSent = true;
    }
    if (upToDate) continue;
    for (const UpgradeAction& action : row.actions) {
      if (action.kind == Kind::LocalConfiguration) {
        if (context.log != nullptr) context.log->Write("Upgrade step " + std::string(row.threshold) + ": configuration");
        if (localStep) localStep(context, installDir + "config\\");
      } else {
        SendModuleCommand(context, action.module, kModuleMessage, action.command, action.task);
      }
    }
  }
  return true;
}

}  // namespace tovex
