#pragma once
// A service control manager with scripted services, driven by the virtual
// clock: a service may stop at once, stop after a delay, ignore the stop
// control, fail to start; the manager may refuse to open, a service may deny
// access. A running service owns a process in FakeProcesses named after its
// program file; terminating that process stops the service, as on Windows.
//
// Every call that reaches the manager is recorded in calls ("open-manager
// all", "create TovexSMTP", "start TovexSMTP", "stop SMTPSVC"...), so tests
// can compare what happened in which order.

#include <map>
#include <string>
#include <vector>

#include "common/text.h"
#include "platform/services.h"

namespace tovex::fakes {

class FakeClock;
class FakeProcesses;

// Service names are case-insensitive.
struct LessServiceName {
  bool operator()(const std::string& a, const std::string& b) const { return LowerCase(a) < LowerCase(b); }
};

class FakeServices final : public Services {
 public:
  enum class StopBehaviour { AtOnce, AfterDelay, Ignore };

  struct Service {
    std::string displayName;
    std::string programPath;
    int32_t startType = service::kAutoStart;
    uint32_t state = service::kStopped;
    bool restartOnFailure = false;
    bool markedForDelete = false;
    // Script.
    StopBehaviour stopBehaviour = StopBehaviour::AtOnce;
    uint64_t stopDelayMs = 0;       // for AfterDelay
    uint32_t startError = 0;        // StartService fails with this code
    bool diesOnStart = false;       // starts, then stops at once (a failing program)
    uint32_t openError = 0;         // OpenService fails with this code
    uint32_t deleteError = 0;       // DeleteService fails with this code
    uint32_t stopControlError = 0;  // ControlService(STOP) fails with this code
    // Run time.
    uint32_t processId = 0;
    uint64_t stopsAtMs = 0;  // virtual time at which a delayed stop completes
    bool stopping = false;
  };

  FakeServices(FakeClock& clock, FakeProcesses& processes);

  // The manager cannot be opened: with this code for full access, and for
  // connecting too when connectFails.
  uint32_t managerError = 0;
  bool connectFails = false;
  // The system has no extended configuration call (failure actions).
  bool noExtendedConfiguration = false;
  // CreateService fails with this code even for a new name.
  uint32_t createError = 0;

  std::map<std::string, Service, LessServiceName> services;
  std::vector<std::string> calls;

  // An existing service, stopped or running (running launches its process).
  Service& Add(const std::string& name, const std::string& programPath, uint32_t state = service::kStopped,
               int32_t startType = service::kAutoStart);
  Service* Find(const std::string& name);
  bool Exists(const std::string& name) { return Find(name) != nullptr; }
  // Calls that begin with the prefix, in order.
  std::vector<std::string> CallsStartingWith(const std::string& prefix) const;

  std::unique_ptr<ServiceManager> OpenManager(service::ManagerAccess access) override;
  uint32_t LastError() const override { return lastError_; }

  // Used by the manager and handle objects.
  void Run(const std::string& name, Service& entry);
  void Halt(Service& entry);
  FakeClock& clock() { return clock_; }
  FakeProcesses& processes() { return processes_; }

 private:
  void OnAdvance(uint64_t nowMs);

  FakeClock& clock_;
  FakeProcesses& processes_;
  uint32_t lastError_ = 0;
};

}  // namespace tovex::fakes
