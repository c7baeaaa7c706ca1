#pragma once
// Operations on one server program. On the Windows NT family each server is a
// Windows service; on the Windows 95 family it is an ordinary program with a
// main window of fixed class and title (the console branch). Every operation
// takes the branch of context.IsWindowsNT.
//
// Service-manager handles are opened per operation and closed before it
// returns. Failures of the manager, of starting, stopping, creating and
// deleting are shown with ReportServiceError and the caller goes on; state
// and start-type queries fail silently.

#include <cstdint>
#include <optional>
#include <string>

namespace tovex {

struct SetupContext;

// The service about to be created, filled from a server table row.
struct ServiceRecord {
  std::string programFile;
  std::string serviceName;
  std::string displayName;
  std::string description;
};

// The current state of a service (service::kStopped, kRunning...); nullopt
// when the manager or the service cannot be opened or the status read.
std::optional<uint32_t> QueryServiceState(SetupContext& context, const std::string& serviceName);

struct ServerDetection {
  bool found = false;
  // The service's state; 0 on the console branch, which knows only whether
  // the window exists.
  uint32_t state = 0;
};
ServerDetection DetectServer(SetupContext& context, int index);

// True when DetectServer finds the server and, on the service branch, it is
// in the given state (on the console branch a found window is enough).
bool ServerFoundIn(SetupContext& context, int index, uint32_t state);

// Starts the server without waiting for it to run.
void StartServer(SetupContext& context, int index);

// Stops the server's own service (or console), or, with a service name, that
// service instead (only the conflicting system SMTP service, stopped with
// index 0). A service still running after 10 seconds has the processes of
// the row's program file terminated.
void StopServer(SetupContext& context, int index, const std::string& serviceName = "");

// Terminates every process whose main module is the file (".exe" appended
// when it has no extension), whoever owns it. The outcome of the last
// termination attempted; false when nothing matched or the processes cannot
// be listed.
bool TerminateProcessesByName(SetupContext& context, const std::string& programFile);

bool EnablePrivilege(SetupContext& context, const std::string& privilege, bool enable);

// Creates the service (automatic start, own process, local system) with the
// record's program file in InstallPath, writes its description to the
// registry whether or not the creation succeeded, and sets the failure
// actions to restart it.
void CreateServerService(SetupContext& context, const ServiceRecord& record);
void DeleteServerService(SetupContext& context, const std::string& serviceName);

// The service's start type, or -1 when it cannot be read. With change set,
// then sets the start type to newStartType, leaving every other setting;
// with change set and newStartType -1 it does nothing and returns -1.
int32_t ServiceStartType(SetupContext& context, const std::string& serviceName, bool change,
                         int32_t newStartType);

// Sets the start type to disabled; silent on every failure.
void DisableService(SetupContext& context, const std::string& serviceName);

// Deletes every server service that exists and is stopped.
void DeleteStoppedServices(SetupContext& context);

// The "Warning" box for a failed service-manager call: the localized prefix,
// the system's text for the code and the localized advice. The caller goes on
// once it is closed. what names the step for the setup log.
void ReportServiceError(SetupContext& context, uint32_t code, const std::string& what);

// The system's message text as ReportServiceError shows it: at most 256
// characters, trailing blanks, control characters and full stops removed.
std::string ServiceErrorText(const std::string& systemText);

}  // namespace tovex
