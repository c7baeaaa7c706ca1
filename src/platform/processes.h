#pragma once
// Processes port: the running processes, their main module names, forced
// termination and the privileges of Setup's own access token.
//
// The process-status library is loaded on first use and stays loaded until
// the program ends. Nothing throws; failures return false or nullopt and
// leave the Windows error code in LastError().

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tovex {

class Processes {
 public:
  virtual ~Processes() = default;
  // Ids of every running process, however many there are; nullopt when the
  // process-status library cannot be loaded or the enumeration fails.
  virtual std::optional<std::vector<uint32_t>> ProcessIds() = 0;
  // Base name of the process's main module (as the system spells it);
  // nullopt when the process cannot be opened for query and read access or
  // its modules cannot be read.
  virtual std::optional<std::string> MainModuleName(uint32_t processId) = 0;
  // Opens the process with all access and terminates it with the exit code.
  virtual bool Terminate(uint32_t processId, uint32_t exitCode) = 0;
  // Enables (or disables) a privilege such as "SeDebugPrivilege" in the
  // program's own access token; the result of the adjustment.
  virtual bool EnablePrivilege(const std::string& privilege, bool enable) = 0;
  virtual uint32_t LastError() const = 0;
};

}  // namespace tovex
