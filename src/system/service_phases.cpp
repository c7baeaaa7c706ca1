#include "system/service_phases.h"

#include "common/context.h"
#include "common/setup_log.h"
#include "common/text.h"
#include "common/version.h"
#include "localization/setup_strings.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/services.h"
#include "platform/user.h"
#include "system/server_services.h"

namespace tovex {

namespace {

// The pause after stopping servers and after moving the system's SMTP
// service aside, so that the programs have let go of their files and ports.
constexpr uint32_t kSettleMs = 1500;
// Releases before this one kept the groupware server as calendar.exe.
constexpr std::string_view kCurrentGroupWareRelease = "8.1.7";

std::string Text(std::string_view view) { return std::string(view); }

std::string WithBackslash(std::string folder) {
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

void Caption(ServiceRun& run, const std::string& text) {
  if (run.SetPhaseCaption) run.SetPhaseCaption(text);
}

bool Applies(SetupContext& context, const ServiceRun& run) { return run.IsUpgrade && context.IsWindowsNT; }

void DeleteIfStopped(SetupContext& context, int index) {
  if (ServerFoundIn(context, index, service::kStopped)) {
    DeleteServerService(context, Text(kServerTable[index].serviceName));
  }
}

}  // namespace

void SaveStartTypesBeforeUpgrade(SetupContext& context, ServiceRun& run) {
  if (!Applies(context, run)) return;
  for (int index = 0; index < kServerCount; ++index) {
    const std::string name = Text(kServerTable[index].serviceName);
    run.SavedStartTypes[index] = ServiceStartType(context, name, false, -1);
    if (run.SavedStartTypes[index] == service::kDisabled) {
      // A disabled service cannot be started or stopped cleanly by the run;
      // it is disabled again at the end.
      ServiceStartType(context, name, true, service::kAutoStart);
    }
  }
}

void RestoreStartTypesAfterUpgrade(SetupContext& context, ServiceRun& run) {
  if (!Applies(context, run)) return;
  for (int index = 0; index < kServerCount; ++index) {
    if (IsServerExcluded(context.flags, index)) continue;
    ServiceStartType(context, Text(kServerTable[index].serviceName), true, run.SavedStartTypes[index]);
  }
}

void CheckRunningServices(SetupContext& context, ServiceRun& run) {
  Caption(run, context.strings->cChecking);
  run.ServiceCreateFlags.fill(true);

  for (int index = 0; index < kServerCount; ++index) {
    for (int attempt = 0; attempt < 2; ++attempt) {
      if (ServerFoundIn(context, index, service::kRunning)) StopServer(context, index);
    }
  }
  context.platform.user->ProcessMessages();
  context.platform.clock->Sleep(kSettleMs);

  if (!context.IsWindowsNT) return;

  const ComponentFlags& flags = context.flags;
  if (flags.NoInstallMail) {
    DeleteIfStopped(context, kSmtpServer);
    DeleteIfStopped(context, kPop3Server);
  }
  if (flags.NoInstallControl) DeleteIfStopped(context, kControlServer);
  if (flags.NoInstallIM) DeleteIfStopped(context, kImServer);

  const bool groupWareOutdated =
      !run.PreviousVersion.empty() && !VersionAtLeast(run.PreviousVersion, kCurrentGroupWareRelease);
  if ((flags.NoInstallCalendar || groupWareOutdated) && ServerFoundIn(context, kGroupWareServer, service::kStopped)) {
    DeleteServerService(context, Text(kServerTable[kGroupWareServer].serviceName));
    if (groupWareOutdated) context.platform.files->Delete(context.InstallPath + "calendar.exe");
  }

  // Services of another folder point to the old programs: delete the stopped
  // ones so that they are created again for the new folder. Only once per
  // run; the second checking run finds the folder cleared.
  if (!run.PreviousInstallDir.empty() &&
      !SameText(WithBackslash(run.PreviousInstallDir), WithBackslash(context.InstallPath))) {
    if (context.log != nullptr) {
      context.log->Write("Installation folder changed from " + run.PreviousInstallDir + "; recreating the services");
    }
    DeleteStoppedServices(context);
    run.PreviousInstallDir.clear();
  }

  for (int index = 0; index < kServerCount; ++index) {
    if (ServerFoundIn(context, index, service::kStopped)) run.ServiceCreateFlags[index] = false;
  }
}

void InstallServices(SetupContext& context, ServiceRun& run) {
  if (context.IsWindowsNT) {
    Caption(run, context.strings->cInstalling);
    for (int index = 0; index < kServerCount; ++index) {
      if (!run.ServiceCreateFlags[index] || IsServerExcluded(context.flags, index)) continue;
      const ServerRow& row = kServerTable[index];
      ServiceRecord record{Text(row.programFile), Text(row.serviceName), Text(row.displayName), Text(row.description)};
      CreateServerService(context, record);
    }
  }

  if (run.RegisterComServers) run.RegisterComServers(context.InstallPath);

  Caption(run, context.strings->cStarting);
  for (int index = 0; index < kServerCount; ++index) {
    if (run.SavedStartTypes[index] == service::kDisabled || IsServerExcluded(context.flags, index)) continue;
    StartServer(context, index);
  }
  Caption(run, context.strings->cFinishing);
}

void VerifyServicesStarted(SetupContext& context, ServiceRun& run) {
  if (context.IsWindowsNT) {
    // The system's own SMTP service holds server 0's port: stop and disable
    // it, then give the SMTP server another start.
    const ServerDetection smtp = DetectServer(context, kSmtpServer);
    if (smtp.found && smtp.state != service::kRunning &&
        QueryServiceState(context, Text(kConflictingSmtpService)) == service::kRunning) {
      if (context.log != nullptr) context.log->Write("The system SMTP service holds the SMTP port; disabling it");
      StopServer(context, kSmtpServer, Text(kConflictingSmtpService));
      DisableService(context, Text(kConflictingSmtpService));
      StartServer(context, kSmtpServer);
      context.platform.clock->Sleep(kSettleMs);
    }
  }

  // The groupware server is neither checked nor reported.
  constexpr int kCheckedServers = 4;
  std::string notRunning;
  for (int index = 0; index < kCheckedServers; ++index) {
    const bool up = IsServerExcluded(context.flags, index) || ServerFoundIn(context, index, service::kRunning);
    // A service that was disabled before the upgrade was not started on
    // purpose; it is no failure and is not listed.
    if (up || run.SavedStartTypes[index] == service::kDisabled) continue;
    notRunning += Text(kServerTable[index].displayName) + "\r\n";
  }
  if (notRunning.empty()) return;

  if (context.log != nullptr) context.log->Write("Servers not running after the installation: " + notRunning);
  context.platform.user->ShowMessage(FormatText(context.strings->cNotRunning, {notRunning}), kWarningCaption,
                                     MessageButtons::Ok, MessageIcon::Warning);
}

}  // namespace tovex
