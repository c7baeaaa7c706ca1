#pragma once
// Running processes as a test wants them: ids with main module names, some
// that cannot be opened, a process-status library that may be missing.
// Terminations are recorded and reported to listeners (a service whose
// program is killed stops).

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/processes.h"

namespace tovex::fakes {

class FakeProcesses final : public Processes {
 public:
  struct Process {
    std::string moduleName;
    bool openable = true;     // false: access denied for query and read
    bool terminable = true;   // false: access denied for termination
  };

  std::map<uint32_t, Process> processes;
  bool libraryMissing = false;
  std::vector<uint32_t> terminated;              // in order
  std::vector<std::string> privilegesEnabled;     // every EnablePrivilege(.., true)
  std::vector<std::function<void(uint32_t)>> onTerminate;

  // Adds a process and returns its id.
  uint32_t Launch(const std::string& moduleName, bool openable = true);
  bool IsRunning(uint32_t id) const { return processes.count(id) != 0; }
  size_t CountNamed(const std::string& moduleName) const;

  std::optional<std::vector<uint32_t>> ProcessIds() override;
  std::optional<std::string> MainModuleName(uint32_t processId) override;
  bool Terminate(uint32_t processId, uint32_t exitCode) override;
  bool EnablePrivilege(const std::string& privilege, bool enable) override;
  uint32_t LastError() const override { return lastError_; }

 private:
  uint32_t nextId_ = 1000;
  uint32_t lastError_ = 0;
};

}  // namespace tovex::fakes
