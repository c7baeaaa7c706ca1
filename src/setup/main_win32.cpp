// Entry of setup.exe: wires the Win32 adapters and the window renderer into
// one Setup run and hands over to the wizard. Everything else lives in the
// portable core.

#include <windows.h>
#include <winnetwk.h>

#include <string>
#include <vector>

#include "common/context.h"
#include "common/paths.h"
#include "common/setup_log.h"
#include "localization/server_strings.h"
#include "localization/setup_strings.h"
#include "localization/string_table.h"
#include "platform/win32/clock_win32.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/libraries_win32.h"
#include "platform/win32/network_win32.h"
#include "platform/win32/pipes_win32.h"
#include "platform/win32/processes_win32.h"
#include "platform/win32/services_win32.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/shell_win32.h"
#include "platform/win32/windows_win32.h"
#include "platform/win32/system_win32.h"
#include "platform/win32/user_win32.h"
#include "setup/setup_program.h"
#include "setup/unattended.h"
#include "ui/win32/renderer.h"
#include "upgrade/config_store.h"

namespace {

std::vector<std::string> LogicalDrives() {
  std::vector<std::string> drives;
  char buffer[512] = {};
  const DWORD length = ::GetLogicalDriveStringsA(sizeof buffer - 1, buffer);
  if (length == 0 || length >= sizeof buffer) return {"C:"};
  for (const char* drive = buffer; *drive != '\0'; drive += lstrlenA(drive) + 1) {
    drives.emplace_back(drive, 2);  // "C:\" becomes "C:"
  }
  return drives;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  tovex::ui::win32::EnableDpiAwareness();

  tovex::win32::Win32Files files;
  tovex::win32::Win32Clock clock;
  tovex::win32::Win32System system;
  tovex::win32::Win32User user;
  tovex::win32::Win32Shell shell;
  tovex::win32::Win32Libraries libraries;
  tovex::win32::Win32Network network;
  tovex::win32::Win32Services services;
  tovex::win32::Win32Processes processes;
  tovex::win32::Win32Windows windows;
  tovex::win32::Win32Pipes pipes;
  tovex::win32::Win32Registry registry;
  tovex::SetupStrings strings;
  tovex::TLocalizationStrings stringTable;
  tovex::SetupLog log(&files, &clock);

  tovex::SetupContext context;
  context.platform.files = &files;
  context.platform.clock = &clock;
  context.platform.system = &system;
  context.platform.user = &user;
  context.platform.shell = &shell;
  context.platform.libraries = &libraries;
  context.platform.network = &network;
  context.platform.services = &services;
  context.platform.processes = &processes;
  context.platform.windows = &windows;
  context.platform.pipes = &pipes;
  context.platform.registry = &registry;
  context.log = &log;
  context.strings = &strings;
  context.stringTable = &stringTable;
  context.IsWindowsNT = system.IsWindowsNT();
  context.SetupFolder = tovex::ExtractFilePath(system.ProgramPath());
  context.commandLine = tovex::ParseCommandLine(system.Parameters());

  // The installed server's configuration, shared by start-up, the
  // installation and the configuration wizard; "strings.dat" of a loaded
  // configuration folder fills the server's texts of the string table.
  tovex::ServerStrings serverStrings;
  tovex::ConfigurationStore config(context.platform, &log);
  config.ReadServerMessagesInto(stringTable, serverStrings);
  context.config = &config;

  tovex::SetupProgram program(context);

  // An unattended run shows no window at all: the forms stay models that the
  // answers walk through, and every box goes to the setup log.
  if (context.commandLine.withoutWindows) {
    tovex::SilentUser silentUser(context);
    silentUser.decide = tovex::UnattendedDecisions(context);
    context.platform.user = &silentUser;
    program.CreateForms();
    program.ShowMainForm();
    tovex::EndSetup(context, tovex::kExitSuccess);
  }

  tovex::ui::win32::Win32Renderer renderer(program.application, instance);
  program.CreateForms();

  // The windows exist from the start, in the forms' order; the chooser and
  // the configuration wizard stay hidden until they are used.
  HWND mainWindow = renderer.WindowOf(*program.mainForm);
  renderer.WindowOf(*program.browseFolder);
  renderer.WindowOf(*program.wizardForm);
  user.SetMainWindow(mainWindow);
  user.SetMessageFilter([&renderer](MSG& message) { return renderer.PreTranslate(message); });
  program.browseFolder->ListDrives = LogicalDrives;
  program.browseFolder->ConnectNetworkDrive = [&renderer, &program] {
    ::WNetConnectionDialog(renderer.WindowOf(*program.browseFolder), RESOURCETYPE_DISK);
  };

  program.ShowMainForm();
  renderer.Run();
  tovex::EndSetup(context, tovex::kExitSuccess);
}
