#include "system/server_services.h"

#include <vector>

#include "common/context.h"
#include "common/setup_log.h"
#include "common/text.h"
#include "localization/setup_strings.h"
#include "platform/clock.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/services.h"
#include "platform/shell.h"
#include "platform/system.h"
#include "platform/user.h"
#include "platform/windows_port.h"
#include "platform/files.h"
#include "system/server_table.h"

namespace tovex {

namespace {

// How long a stopping server gets before its program is terminated, and how
// often it is asked meanwhile.
constexpr uint64_t kStopTimeoutMs = 10000;
constexpr uint32_t kPollMs = 10;

constexpr const char* kDebugPrivilege = "SeDebugPrivilege";
constexpr const char* kServicesKey = "\\System\\CurrentControlSet\\Services\\";

const ServerRow& Row(int index) { return kServerTable.at(static_cast<size_t>(index)); }

std::string Text(std::string_view view) { return std::string(view); }

void Log(SetupContext& context, const std::string& line) {
  if (context.log != nullptr) context.log->Write(line);
}

void LogFailure(SetupContext& context, const std::string& what, uint32_t code) {
  if (context.log != nullptr) context.log->Failure(what, code, context.platform.system->ErrorText(code));
}

std::unique_ptr<ServiceManager> OpenManagerOrReport(SetupContext& context, const std::string& what) {
  auto manager = context.platform.services->OpenManager(service::ManagerAccess::All);
  if (!manager) ReportServiceError(context, context.platform.services->LastError(), what + ": opening the service manager");
  return manager;
}

// Waits for the console program's window to go, at most the stop timeout.
void WaitForWindowToClose(SetupContext& context, WindowId window) {
  Clock& clock = *context.platform.clock;
  const uint64_t deadline = clock.MonotonicMs() + kStopTimeoutMs;
  for (;;) {
    if (!context.platform.windows->Exists(window)) return;
    if (clock.MonotonicMs() > deadline) return;
    clock.Sleep(kPollMs);
  }
}

void StopConsole(SetupContext& context, int index) {
  const ServerRow& row = Row(index);
  Windows& windows = *context.platform.windows;
  const WindowId window = windows.FindTopLevel(Text(row.windowClass), Text(row.windowTitle));
  if (window == 0) return;
  Log(context, "Closing the " + Text(row.windowTitle) + " console");
  windows.Send(window, kCloseMessage, 0, 0);
  WaitForWindowToClose(context, window);
}

}  // namespace

std::optional<uint32_t> QueryServiceState(SetupContext& context, const std::string& serviceName) {
  auto manager = context.platform.services->OpenManager(service::ManagerAccess::Connect);
  if (!manager) return std::nullopt;
  auto handle = manager->Open(serviceName, service::kQueryStatus);
  if (!handle) return std::nullopt;
  return handle->QueryState();
}

ServerDetection DetectServer(SetupContext& context, int index) {
  const ServerRow& row = Row(index);
  ServerDetection detection;
  if (context.IsWindowsNT) {
    if (const auto state = QueryServiceState(context, Text(row.serviceName))) {
      detection.found = true;
      detection.state = *state;
    }
  } else {
    detection.found = context.platform.windows->FindTopLevel(Text(row.windowClass), Text(row.windowTitle)) != 0;
  }
  return detection;
}

bool ServerFoundIn(SetupContext& context, int index, uint32_t state) {
  const ServerDetection detection = DetectServer(context, index);
  return detection.found && (!context.IsWindowsNT || detection.state == state);
}

void StartServer(SetupContext& context, int index) {
  const ServerRow& row = Row(index);
  if (!context.IsWindowsNT) {
    const std::string program = context.InstallPath + Text(row.programFile);
    if (!context.platform.files->FileExists(program)) return;
    Log(context, "Starting " + program);
    context.platform.shell->Open(program, "", context.InstallPath);
    return;
  }
  const std::string name = Text(row.serviceName);
  auto manager = OpenManagerOrReport(context, "Starting service " + name);
  if (!manager) return;
  auto handle = manager->Open(name, service::kStart);
  if (!handle) {
    ReportServiceError(context, manager->LastError(), "Starting service " + name + ": opening it");
    return;
  }
  if (!handle->Start()) {
    ReportServiceError(context, handle->LastError(), "Starting service " + name);
    return;
  }
  Log(context, "Service " + name + " started");
}

void StopServer(SetupContext& context, int index, const std::string& serviceName) {
  if (!context.IsWindowsNT) {
    StopConsole(context, index);
    return;
  }
  const ServerRow& row = Row(index);
  const std::string name = serviceName.empty() ? Text(row.serviceName) : serviceName;
  auto manager = OpenManagerOrReport(context, "Stopping service " + name);
  if (!manager) return;
  auto handle = manager->Open(name, service::kStop | service::kQueryStatus);
  if (!handle) return;  // nothing there to stop
  if (!handle->Stop()) {
    ReportServiceError(context, handle->LastError(), "Stopping service " + name);
    return;
  }
  Log(context, "Stopping service " + name);
  Clock& clock = *context.platform.clock;
  const uint64_t deadline = clock.MonotonicMs() + kStopTimeoutMs;
  std::optional<uint32_t> state;
  for (;;) {
    state = handle->QueryState();
    if (state == service::kStopped) break;
    if (clock.MonotonicMs() > deadline) break;
    clock.Sleep(kPollMs);
  }
  if (state != service::kStopped) {
    // The server ignored the stop control: end its program by force. Whether
    // that worked is not reported; the checking phase looks again.
    Log(context, "Service " + name + " did not stop within 10 seconds; terminating " + Text(row.programFile));
    TerminateProcessesByName(context, Text(row.programFile));
  } else {
    Log(context, "Service " + name + " stopped");
  }
}

bool EnablePrivilege(SetupContext& context, const std::string& privilege, bool enable) {
  return context.platform.processes->EnablePrivilege(privilege, enable);
}

bool TerminateProcessesByName(SetupContext& context, const std::string& programFile) {
  Processes& processes = *context.platform.processes;
  const auto ids = processes.ProcessIds();
  if (!ids) {
    LogFailure(context, "Listing the running processes", processes.LastError());
    return false;
  }
  EnablePrivilege(context, kDebugPrivilege, true);
  std::string wanted = LowerCase(programFile);
  if (wanted.find('.') == std::string::npos) wanted += ".exe";

  std::vector<uint32_t> matches;
  for (const uint32_t id : *ids) {
    const auto name = processes.MainModuleName(id);
    if (name && LowerCase(*name) == wanted) matches.push_back(id);
  }
  bool result = false;
  for (const uint32_t id : matches) {
    EnablePrivilege(context, kDebugPrivilege, true);
    result = processes.Terminate(id, 0);
    if (result) {
      Log(context, "Terminated process " + std::to_string(id) + " (" + wanted + ")");
    } else {
      LogFailure(context, "Terminating process " + std::to_string(id) + " (" + wanted + ")", processes.LastError());
    }
  }
  return result;
}

void CreateServerService(SetupContext& context, const ServiceRecord& record) {
  auto manager = OpenManagerOrReport(context, "Creating service " + record.serviceName);
  if (!manager) return;
  ServiceDefinition definition;
  definition.name = record.serviceName;
  definition.displayName = record.displayName;
  definition.programPath = context.InstallPath + record.programFile;
  definition.startType = service::kAutoStart;
  auto handle = manager->Create(definition);
  const uint32_t createError = handle ? 0 : manager->LastError();

  // The description is written whether or not the creation worked, so an
  // existing service gets it refreshed. Failures here do not matter.
  if (Registry* registry = context.platform.registry) {
    const std::string key = kServicesKey + record.serviceName;
    if (registry->CreateKey(RegistryRoot::LocalMachine, key)) {
      registry->WriteValue(RegistryRoot::LocalMachine, key, "Description",
                           RegistryValue{RegistryValueType::String, record.description});
    }
  }

  if (handle) {
    if (!handle->SetRestartOnFailure()) {
      LogFailure(context, "Setting the failure actions of service " + record.serviceName, handle->LastError());
    }
    Log(context, "Service " + record.serviceName + " created for " + definition.programPath);
  } else {
    ReportServiceError(context, createError, "Creating service " + record.serviceName);
  }
}

void DeleteServerService(SetupContext& context, const std::string& serviceName) {
  auto manager = OpenManagerOrReport(context, "Deleting service " + serviceName);
  if (!manager) return;
  auto handle = manager->Open(serviceName, service::kAllAccess);
  if (!handle) return;
  if (!handle->Remove()) {
    ReportServiceError(context, handle->LastError(), "Deleting service " + serviceName);
    return;
  }
  Log(context, "Service " + serviceName + " deleted");
}

int32_t ServiceStartType(SetupContext& context, const std::string& serviceName, bool change,
                         int32_t newStartType) {
  if (change && newStartType == -1) return -1;
  auto manager = context.platform.services->OpenManager(service::ManagerAccess::Connect);
  if (!manager) return -1;
  auto handle = manager->Open(serviceName, service::kQueryConfig | service::kChangeConfig);
  if (!handle) return -1;
  const auto configuration = handle->QueryConfiguration();
  if (!configuration) return -1;
  if (change) {
    if (handle->SetStartType(newStartType)) {
      Log(context, "Service " + serviceName + ": start type " + std::to_string(configuration->startType) + " -> " +
                       std::to_string(newStartType));
    } else {
      LogFailure(context, "Setting the start type of service " + serviceName, handle->LastError());
    }
  }
  return configuration->startType;
}

void DisableService(SetupContext& context, const std::string& serviceName) {
  auto manager = context.platform.services->OpenManager(service::ManagerAccess::All);
  if (!manager) return;
  auto handle = manager->Open(serviceName, service::kAllAccess);
  if (!handle) return;
  if (handle->SetStartType(service::kDisabled)) {
    Log(context, "Service " + serviceName + " disabled");
  } else {
    LogFailure(context, "Disabling service " + serviceName, handle->LastError());
  }
}

void DeleteStoppedServices(SetupContext& context) {
  for (int index = 0; index < kServerCount; ++index) {
    const ServerDetection detection = DetectServer(context, index);
    if (detection.found && detection.state == service::kStopped) {
      DeleteServerService(context, Text(Row(index).serviceName));
    }
  }
}

std::string ServiceErrorText(const std::string& systemText) {
  std::string text = systemText.substr(0, 256);
  while (!text.empty()) {
    const unsigned char last = static_cast<unsigned char>(text.back());
    if (last > ' ' && last != '.') break;
    text.pop_back();
  }
  return text;
}

void ReportServiceError(SetupContext& context, uint32_t code, const std::string& what) {
  const std::string systemText = context.platform.system->ErrorText(code);
  if (context.log != nullptr) context.log->Failure(what, code, systemText);
  const SetupStrings& strings = *context.strings;
  context.platform.user->ShowMessage(strings.cServiceError + ServiceErrorText(systemText) + strings.cErrorText,
                                     kWarningCaption, MessageButtons::Ok, MessageIcon::Warning);
}

}  // namespace tovex
