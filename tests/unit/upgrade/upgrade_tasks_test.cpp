// The upgrade task table against the previous versions that matter: which
// commands reach which module, in which order, and when the local
// configuration step runs.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/version.h"
#include "fakes/fake_machine.h"
#include "system/server_table.h"
#include "upgrade/config_store.h"
#include "upgrade/settings_layout.h"
#include "upgrade/upgrade_tasks.h"

namespace tovex {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

class UpgradeTasksTest : public ::testing::Test {
 protected:
  fakes::FakeMachine machine;
  std::vector<std::string> trace;  // "module:command:task" and "config <folder>"

  UpgradeTasksTest() {
    for (int id = 0; id < kServerCount; ++id) {
      machine.services.Add(std::string(kServerTable[id].serviceName), "C:\\Tovex\\x.exe", service::kRunning);
      machine.pipes.Serve("\\\\.\\pipe\\" + std::string(kServerTable[id].serviceName));
    }
  }

  std::vector<std::string> Run(const std::string& previousVersion) {
    trace.clear();
    machine.pipes.delivered.clear();
    EXPECT_TRUE(RunUpgradeTasks(machine.context, previousVersion, "C:\\Tovex\\",
                                [&](SetupContext&, const std::string& folder) {
                                  Flush();
                                  trace.push_back("config " + folder);
                                }));
    Flush();
    return trace;
  }

 private:
  // Moves deliveries so far into the trace, decoded, so that the local step
  // lands between the commands it ran between.
  void Flush() {
    for (const auto& delivery : machine.pipes.delivered) {
      const auto word = [&](size_t at) {
        uint32_t value = 0;
        for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(delivery.bytes[at + i]);
        return value;
      };
      int module = -1;
      for (int id = 0; id < kServerCount; ++id) {
        if (delivery.path == "\\\\.\\pipe\\" + std::string(kServerTable[id].serviceName)) module = id;
      }
      EXPECT_EQ(delivery.bytes.size(), 20u);
      EXPECT_EQ(word(0), 4096u);
      EXPECT_EQ(word(4), 1280u);
      EXPECT_EQ(word(16), 0u);
      trace.push_back(std::to_string(module) + ":" + std::to_string(word(8)) + ":" + std::to_string(word(12)));
    }
    machine.pipes.delivered.clear();
  }
};

const std::vector<std::string> kBroadcast = {"0:257:0", "1:257:0", "3:257:0", "4:257:0", "2:257:0"};

std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Every row's commands after the broadcast, row 1 first.
const std::vector<std::string> kRow1 = {"4:3841:0", "0:2:0"};
const std::vector<std::string> kRows2To13 = {"0:3:1",     "0:4:2",    "0:4:3",   "0:4:4",   "4:3845:5",
                                             "4:3845:6",  "4:3845:8", "0:2:9",   "0:2:10",  "0:4:11",
                                             "4:3845:12", "4:3845:13", "4:3845:14", "0:4:15"};
const std::vector<std::string> kRow14 = {"config C:\\Tovex\\config\\"};
const std::vector<std::string> kRows15And16 = {"0:4:16", "4:3845:17"};

TEST_F(UpgradeTasksTest, CurrentReleaseGetsOnlyTheBroadcast) {
  EXPECT_THAT(Run("8.5.0-7"), ElementsAreArray(kBroadcast));
}

TEST_F(UpgradeTasksTest, VersionsAtAndAroundTheLocalStep) {
  for (const char* version : {"8.3.16", "8.3.16-2", " 8.3.16 "}) {
    SCOPED_TRACE(version);
    EXPECT_THAT(Run(version), ElementsAreArray(Join(kBroadcast, kRows15And16)));
  }
  EXPECT_THAT(Run("8.3.15-9"), ElementsAreArray(Join(Join(kBroadcast, kRow14), kRows15And16)));
}

TEST_F(UpgradeTasksTest, OldReleaseRunsRowsTwoToSixteen) {
  EXPECT_THAT(Run("7.4"), ElementsAreArray(Join(Join(Join(kBroadcast, kRows2To13), kRow14), kRows15And16)));
}

TEST_F(UpgradeTasksTest, UnparsableVersionRunsEveryRow) {
  const auto everything = Join(Join(Join(Join(kBroadcast, kRow1), kRows2To13), kRow14), kRows15And16);
  EXPECT_THAT(Run("abc"), ElementsAreArray(everything));
  EXPECT_THAT(Run("7.1.2"), ElementsAreArray(everything));
  EXPECT_THAT(Run("7.1.3"), ElementsAreArray(Join(Join(Join(kBroadcast, kRows2To13), kRow14), kRows15And16)));
}

// Every row at its edge: a release just below the threshold gets the row and
// all after it; the threshold release itself gets only the rows after it.
TEST_F(UpgradeTasksTest, EveryThresholdJustBelowAndExactlyAt) {
  struct Row {
    const char* below;
    const char* at;
    std::vector<std::string> commands;
  };
  const std::vector<Row> rows = {
      {"7.1.2", "7.1.3", kRow1},
      {"7.4.5", "7.4.6", {"0:3:1", "0:4:2"}},
      {"7.4.6", "7.4.7", {"0:4:3", "0:4:4"}},
      {"7.6.0", "7.6.1", {"4:3845:5"}},
      {"7.6.2", "7.6.3", {"4:3845:6"}},
      {"7.7.1", "7.7.2", {"4:3845:8"}},
      {"8.2.9", "8.2.10", {"0:2:9"}},
      {"8.2.12", "8.2.13", {"0:2:10"}},
      {"8.3.10", "8.3.11", {"0:4:11"}},
      {"8.3.11", "8.3.12", {"4:3845:12"}},
      {"8.3.12", "8.3.13", {"4:3845:13"}},
      {"8.3.13", "8.3.14", {"4:3845:14"}},
      {"8.3.14", "8.3.15", {"0:4:15"}},
      {"8.3.15", "8.3.16", kRow14},
      {"8.3.16", "8.3.17", {"0:4:16"}},
      {"8.3.17", "8.3.18", {"4:3845:17"}},
  };
  ASSERT_EQ(rows.size(), UpgradeTaskTable().size());
  for (size_t row = 0; row < rows.size(); ++row) {
    SCOPED_TRACE(rows[row].at);
    std::vector<std::string> fromThisRow = kBroadcast;
    for (size_t later = row; later < rows.size(); ++later) fromThisRow = Join(fromThisRow, rows[later].commands);
    std::vector<std::string> afterThisRow = kBroadcast;
    for (size_t later = row + 1; later < rows.size(); ++later) afterThisRow = Join(afterThisRow, rows[later].commands);
    EXPECT_THAT(Run(rows[row].below), ElementsAreArray(fromThisRow));
    EXPECT_THAT(Run(rows[row].at), ElementsAreArray(afterThisRow));
  }
}

// Row 14 loads and saves the configuration in the current format; the web
// interface host list (offset 1176) is emptied when its switch (offset
// 1474) is off, and kept when it is on.
TEST(UpgradeResave, TheHostListFollowsItsSwitch) {
  for (const uint8_t hostListOn : {uint8_t{0}, uint8_t{1}}) {
    SCOPED_TRACE(static_cast<int>(hostListOn));
    fakes::FakeMachine machine;
    ConfigurationStore& store = machine.UseConfigurationStore();
    ConfigurationStore old(machine.context.platform);
    old.SetConfigurationFolder("C:\\Tovex\\config\\");
    old.SetSettingsText(settings::kHostName, "mail.old.example");
    old.SetSettingsText(settings::kWebHostList, "webmail.old.example;other.example");
    old.Settings()[settings::kHostListSwitch] = hostListOn;
    ASSERT_TRUE(old.SaveConfiguration());

    ResaveConfiguration(machine.context, "C:\\Tovex\\config\\");
    EXPECT_EQ(store.ConfigurationFolder(), "C:\\Tovex\\config\\");

    ConfigurationStore reader(machine.context.platform);
    reader.SetConfigurationFolder("C:\\Tovex\\config\\");
    ASSERT_TRUE(reader.LoadConfiguration());
    EXPECT_EQ(reader.SettingsText(settings::kHostName), "mail.old.example");
    EXPECT_EQ(reader.Settings()[settings::kHostListSwitch], hostListOn);
    EXPECT_EQ(reader.SettingsText(settings::kWebHostList), hostListOn ? "webmail.old.example;other.example" : "");
  }
}

TEST_F(UpgradeTasksTest, StoppedModulesLeaveOnlyTheLocalStep) {
  for (auto& [name, entry] : machine.services.services) entry.state = service::kStopped;
  EXPECT_THAT(Run("8.3.15"), ElementsAreArray(kRow14));
}

TEST_F(UpgradeTasksTest, TableIsWhatTheModulesExpect) {
  const auto table = UpgradeTaskTable();
  ASSERT_EQ(table.size(), 16u);
  // Thresholds rise strictly, so a release never gets a row twice or out of order.
  for (size_t i = 1; i < table.size(); ++i) {
    EXPECT_FALSE(VersionAtLeast(table[i - 1].threshold, table[i].threshold)) << table[i].threshold;
  }
  // Task numbers rise and are never reused.
  int lastTask = -1;
  for (const auto& row : table) {
    for (const auto& action : row.actions) {
      if (action.kind != UpgradeAction::Kind::ModuleCommand || (action.task == 0 && lastTask <= 0)) continue;
      EXPECT_GT(static_cast<int>(action.task), lastTask) << row.threshold;
      lastTask = static_cast<int>(action.task);
    }
  }
}

}  // namespace
}  // namespace tovex
