#pragma once
// Services port: the Windows service control manager.
//
// The core opens the manager and the services per operation, with the access
// it needs, and lets the returned objects close their handles when they go
// out of scope; nothing stays open between two operations. Which access was
// asked for matters: a manager opened only to connect, or a service opened
// without the stop right, fails the calls that need more, as Windows does
// (kAccessDenied).
//
// Method names stay clear of the Win32 A/W macros (OpenService,
// CreateService, StartService, ChangeServiceConfig...). Nothing throws. A
// call that fails returns false or nullopt and leaves the Windows error code
// in the LastError() of the object it was called on.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace tovex {

namespace service {
// Current states as the manager reports them; the others are pending or
// paused states.
inline constexpr uint32_t kStopped = 1;
inline constexpr uint32_t kStartPending = 2;
inline constexpr uint32_t kStopPending = 3;
inline constexpr uint32_t kRunning = 4;
// Start types.
inline constexpr int32_t kAutoStart = 2;
inline constexpr int32_t kDemandStart = 3;
inline constexpr int32_t kDisabled = 4;

// Access to the manager.
enum class ManagerAccess { Connect, All };
// Access to one service, as bits.
inline constexpr uint32_t kQueryStatus = 0x0004;   // SERVICE_QUERY_STATUS
inline constexpr uint32_t kQueryConfig = 0x0001;   // SERVICE_QUERY_CONFIG
inline constexpr uint32_t kChangeConfig = 0x0002;  // SERVICE_CHANGE_CONFIG
inline constexpr uint32_t kStart = 0x0010;         // SERVICE_START
inline constexpr uint32_t kStop = 0x0020;          // SERVICE_STOP
inline constexpr uint32_t kAllAccess = 0xF01FF;    // SERVICE_ALL_ACCESS

// Windows error codes the core and the fakes meet.
inline constexpr uint32_t kAccessDenied = 5;
inline constexpr uint32_t kDependentServicesRunning = 1051;
inline constexpr uint32_t kServiceRequestTimeout = 1053;
inline constexpr uint32_t kServiceAlreadyRunning = 1056;
inline constexpr uint32_t kServiceDisabled = 1058;
inline constexpr uint32_t kServiceDoesNotExist = 1060;
inline constexpr uint32_t kServiceCannotAcceptControl = 1061;
inline constexpr uint32_t kServiceNotActive = 1062;
inline constexpr uint32_t kServiceMarkedForDelete = 1072;
inline constexpr uint32_t kServiceExists = 1073;
}  // namespace service

// What CreateServerService asks the manager for: a service that runs in its
// own process under the local system account, with normal error control, no
// group, no dependencies.
struct ServiceDefinition {
  std::string name;
  std::string displayName;
  std::string programPath;  // full path, no arguments
  int32_t startType = service::kAutoStart;
};

// The parts of a service's configuration the core reads.
struct ServiceConfiguration {
  int32_t startType = -1;
  std::string programPath;
  std::string displayName;
};

// One open service handle; closed when destroyed.
class ServiceHandle {
 public:
  virtual ~ServiceHandle() = default;
  // The current state (service::kStopped, kRunning...); nullopt when the
  // status cannot be read.
  virtual std::optional<uint32_t> QueryState() = 0;
  // Starts the service with no arguments and returns without waiting.
  virtual bool Start() = 0;
  // Sends the stop control; returns without waiting.
  virtual bool Stop() = 0;
  // Reads the whole configuration (the fixed part with its strings).
  virtual std::optional<ServiceConfiguration> QueryConfiguration() = 0;
  // Changes the start type and nothing else.
  virtual bool SetStartType(int32_t startType) = 0;
  // Failure actions: reset period 0, no reboot message, no command, one
  // action restarting the service after 0 ms. False with kProcNotFound (127)
  // when the system has no extended configuration call.
  virtual bool SetRestartOnFailure() = 0;
  // Marks the service for deletion; it goes once its last handle is closed.
  virtual bool Remove() = 0;
  virtual uint32_t LastError() const = 0;
};

// One open manager handle; closed when destroyed.
class ServiceManager {
 public:
  virtual ~ServiceManager() = default;
  // nullptr when the service cannot be opened with that access
  // (kServiceDoesNotExist, kAccessDenied...).
  virtual std::unique_ptr<ServiceHandle> Open(const std::string& name, uint32_t access) = 0;
  // Creates the service and returns it opened with all access; nullptr on
  // failure (kServiceExists, kServiceMarkedForDelete...).
  virtual std::unique_ptr<ServiceHandle> Create(const ServiceDefinition& definition) = 0;
  virtual uint32_t LastError() const = 0;
};

class Services {
 public:
  virtual ~Services() = default;
  // nullptr when the manager cannot be opened (kAccessDenied for a user who
  // is not an administrator).
  virtual std::unique_ptr<ServiceManager> OpenManager(service::ManagerAccess access) = 0;
  virtual uint32_t LastError() const = 0;
};

}  // namespace tovex
