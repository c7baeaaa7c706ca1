#include "fakes/fake_processes.h"

#include "common/text.h"

namespace tovex::fakes {

uint32_t FakeProcesses::Launch(const std::string& moduleName, bool openable) {
  const uint32_t id = nextId_;
  nextId_ += 4;
  processes[id] = Process{moduleName, openable, true};
  return id;
}

size_t FakeProcesses::CountNamed(const std::string& moduleName) const {
  size_t count = 0;
  for (const auto& [id, process] : processes) count += SameText(process.moduleName, moduleName) ? 1 : 0;
  return count;
}

std::optional<std::vector<uint32_t>> FakeProcesses::ProcessIds() {
  if (libraryMissing) {
    lastError_ = 126;  // ERROR_MOD_NOT_FOUND
    return std::nullopt;
  }
  std::vector<uint32_t> ids;
  for (const auto& [id, process] : processes) ids.push_back(id);
  lastError_ = 0;
  return ids;
}

std::optional<std::string> FakeProcesses::MainModuleName(uint32_t processId) {
  const auto it = processes.find(processId);
  if (it == processes.end()) {
    lastError_ = 87;  // ERROR_INVALID_PARAMETER: no such process
    return std::nullopt;
  }
  if (!it->second.openable) {
    lastError_ = 5;
    return std::nullopt;
  }
  lastError_ = 0;
  return it->second.moduleName;
}

bool FakeProcesses::Terminate(uint32_t processId, uint32_t) {
  const auto it = processes.find(processId);
  if (it == processes.end() || !it->second.terminable) {
    lastError_ = it == processes.end() ? 87 : 5;
    return false;
  }
  processes.erase(it);
  terminated.push_back(processId);
  lastError_ = 0;
  for (auto& listener : onTerminate) listener(processId);
  return true;
}

bool FakeProcesses::EnablePrivilege(const std::string& privilege, bool enable) {
  if (enable) privilegesEnabled.push_back(privilege);
  lastError_ = 0;
  return true;
}

}  // namespace tovex::fakes
