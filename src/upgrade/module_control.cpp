#include "upgrade/module_control.h"

#include <mutex>
#include <string>

#include "common/context.h"
#include "common/setup_log.h"
#include "platform/pipes.h"
#include "platform/services.h"
#include "platform/windows_port.h"
#include "system/server_services.h"
#include "system/server_table.h"

namespace tovex {

namespace {

// Serialises the busy-pipe wait: only one caller at a time waits for a free
// instance and retries.
std::mutex busyPipeLock;

const ServerRow& Module(int id) { return kServerTable.at(static_cast<size_t>(id)); }

std::string PipePath(int id) { return "\\\\.\\pipe\\" + std::string(Module(id).serviceName); }

WindowId ModuleWindow(SetupContext& context, int id) {
  const ServerRow& row = Module(id);
  return context.platform.windows->FindTopLevel(std::string(row.windowClass), std::string(row.windowTitle));
}

void PutLittleEndian(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

std::string Describe(int id, uint32_t message, uint32_t first, uint32_t second) {
  return std::string(Module(id).serviceName) + " (" + std::to_string(message) + ", " + std::to_string(first) + ", " +
         std::to_string(second) + ")";
}

int SendThroughPipe(SetupContext& context, int id, uint32_t message, uint32_t first, uint32_t second) {
  Pipes& pipes = *context.platform.pipes;
  const std::string path = PipePath(id);
  auto connection = pipes.Connect(path);
  if (!connection && pipes.LastError() == pipe::kPipeBusy) {
    const std::lock_guard<std::mutex> hold(busyPipeLock);
    if (pipes.WaitForFree(path, kBusyPipeWaitMs)) connection = pipes.Connect(path);
  }
  if (!connection) {
    if (context.log != nullptr) {
      context.log->Write("Module command dropped, pipe not available: " + Describe(id, message, first, second));
    }
    return 0;
  }
  const auto request = ModuleRequest(message, first, second);
  size_t sent = 0;
  while (sent < request.size()) {
    size_t written = 0;
    // A write that takes nothing would repeat forever; count it as failed.
    if (!connection->Write(request.data() + sent, request.size() - sent, written) || written == 0) {
      if (context.log != nullptr) {
        context.log->Write("Module command not delivered, write failed: " + Describe(id, message, first, second));
      }
      return 0;
    }
    sent += written;
  }
  if (context.log != nullptr) context.log->Write("Module command sent: " + Describe(id, message, first, second));
  return 1;
}

}  // namespace

std::array<uint8_t, kModuleRequestSize> ModuleRequest(uint32_t message, uint32_t first, uint32_t second) {
  std::array<uint8_t, kModuleRequestSize> request{};
  PutLittleEndian(&request[0], kDeliverRequest);
  PutLittleEndian(&request[4], message);
  PutLittleEndian(&request[8], first);
  PutLittleEndian(&request[12], second);
  return request;
}

bool IsModuleRunning(SetupContext& context, int id) {
  if (context.IsWindowsNT &&
      QueryServiceState(context, std::string(Module(id).serviceName)) == service::kRunning) {
    return true;
  }
  return ModuleWindow(context, id) != 0;
}

int SendModuleCommand(SetupContext& context, int id, uint32_t message, uint32_t first, uint32_t second) {
  if (context.IsWindowsNT) {
    if (!IsModuleRunning(context, id)) return 0;
    return SendThroughPipe(context, id, message, first, second);
  }
  const WindowId window = ModuleWindow(context, id);
  if (window != 0) context.platform.windows->Send(window, message, first, static_cast<intptr_t>(second));
  return 1;
}

intptr_t SendModuleWindowMessage(SetupContext& context, int id, uint32_t message, uintptr_t first, intptr_t second) {
  const WindowId window = ModuleWindow(context, id);
  if (window == 0) return 0;
  return context.platform.windows->Send(window, message, first, second);
}

void BroadcastUpgradeStart(SetupContext& context) {
  for (const int id : {kSmtpServer, kPop3Server, kImServer, kGroupWareServer, kControlServer}) {
    SendModuleCommand(context, id, kModuleMessage, kUpgradeStartCommand, 0);
  }
}

void NotifyModulesReload(SetupContext& context, bool includeControl) {
  for (const int id : {kSmtpServer, kPop3Server, kImServer, kGroupWareServer}) {
    SendModuleWindowMessage(context, id, kModuleMessage, 0, 0);
  }
  if (includeControl) SendModuleWindowMessage(context, kControlServer, kModuleMessage, 0, 0);
}

}  // namespace tovex
