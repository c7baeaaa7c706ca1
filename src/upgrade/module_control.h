#pragma once
// The control channel to the running server modules (the servers of the
// server table, by the same ids). On the NT family a command goes to the
// module's named pipe "\\.\pipe\" + service name; otherwise, and for the
// window messages, to the module's main window found by class and caption.
// Nothing here reports to the user: a module that does not run, a missing
// window or pipe, or a failed write drops the command silently.

#include <array>
#include <cstddef>
#include <cstdint>

namespace tovex {

struct SetupContext;

// The message code of every command Setup sends.
inline constexpr uint32_t kModuleMessage = 1280;  // 0x500
// Command codes.
inline constexpr uint32_t kUpgradeStartCommand = 257;  // 0x101

// The 20-byte pipe request, little-endian 32-bit integers:
//   0  request code 4096 (0x1000: deliver; 0x1003 would ask for an answer)
//   4  message code
//   8  first parameter (the command code)
//  12  second parameter (the task number, or 0)
//  16  unassigned, always zero
inline constexpr uint32_t kDeliverRequest = 0x1000;
inline constexpr size_t kModuleRequestSize = 20;
std::array<uint8_t, kModuleRequestSize> ModuleRequest(uint32_t message, uint32_t first, uint32_t second);

// How long a busy pipe is waited for before the command is dropped.
inline constexpr uint32_t kBusyPipeWaitMs = 10000;

// NT family: the module's service runs, or else its window exists; other
// systems: its window exists.
bool IsModuleRunning(SetupContext& context, int id);
// Delivers one command; 1 when delivered, 0 when not.
int SendModuleCommand(SetupContext& context, int id, uint32_t message, uint32_t first, uint32_t second);
// Sends the message synchronously to the module's window on every system;
// the window's answer, or 0 when there is no window.
intptr_t SendModuleWindowMessage(SetupContext& context, int id, uint32_t message, uintptr_t first, intptr_t second);

// Command 257 to modules 0, 1, 3, 4 and 2, in this order.
void BroadcastUpgradeStart(SetupContext& context);
// Message 1280 (0, 0) to the windows of modules 0, 1, 3 and 4, then 2 when
// includeControl is set.
void NotifyModulesReload(SetupContext& context, bool includeControl);

}  // namespace tovex
