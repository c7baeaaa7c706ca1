#pragma once
// The service phases of an installation run, in the order the installation
// driver calls them:
//
//   SaveStartTypesBeforeUpgrade   (upgrade on NT only)
//   CheckRunningServices          (twice, before any file is replaced)
//   ... files, configuration, program group, installation record ...
//   InstallServices               (create, register COM servers, start)
//   VerifyServicesStarted         (after "Installation Complete")
//   RestoreStartTypesAfterUpgrade (upgrade on NT only)

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "system/server_table.h"

namespace tovex {

struct SetupContext;

// What the phases share over one installation run, and the driver's
// facilities they use.
struct ServiceRun {
  // Set by CheckRunningServices: true when InstallServices is to create the
  // server's service (an existing, stopped one stays as it is).
  std::array<bool, kServerCount> ServiceCreateFlags{true, true, true, true, true};
  // Start types as they were before an upgrade; -1 when none was read.
  std::array<int32_t, kServerCount> SavedStartTypes{-1, -1, -1, -1, -1};

  // The previous installation, from its installation record.
  std::string PreviousVersion;
  std::string PreviousInstallDir;  // cleared once the services were moved
  bool IsUpgrade = false;          // InstallPath + "config\" existed

  // Shows a caption on the Installing page after handling pending messages.
  std::function<void(const std::string&)> SetPhaseCaption;
  // Registers the server's COM libraries of the folder (api.dll, then
  // polvanecom.dll); results are ignored.
  std::function<void(const std::string& folder)> RegisterComServers;
};

// Before the checking phase of an upgrade: remembers each service's start
// type and makes a disabled one automatic for the duration of the run.
void SaveStartTypesBeforeUpgrade(SetupContext& context, ServiceRun& run);
// After the verification: puts the remembered start types back on the
// servers that are installed.
void RestoreStartTypesAfterUpgrade(SetupContext& context, ServiceRun& run);

// Stops running servers, deletes stopped services that are no longer wanted
// or belong to another folder, and decides which services to create.
void CheckRunningServices(SetupContext& context, ServiceRun& run);
// Creates the wanted services, registers the COM servers, starts the servers.
void InstallServices(SetupContext& context, ServiceRun& run);
// Moves the system's SMTP service out of the way and warns about servers
// that are not running.
void VerifyServicesStarted(SetupContext& context, ServiceRun& run);

}  // namespace tovex
