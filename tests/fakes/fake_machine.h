#pragma once
// One fake Windows machine: every fake port, wired into a SetupContext with
// the English texts, a string table and a setup log. Tests build one per case.

#include <memory>

#include "common/context.h"
#include "common/setup_log.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_files.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_pipes.h"
#include "fakes/fake_processes.h"
#include "fakes/fake_services.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_libraries.h"
#include "fakes/fake_network.h"
#include "fakes/fake_system.h"
#include "fakes/fake_user.h"
#include "fakes/fake_windows.h"
#include "localization/setup_strings.h"
#include "localization/string_table.h"
#include "upgrade/config_store.h"

namespace tovex::fakes {

struct FakeMachine {
  FakeFiles files;
  FakeClock clock;
  FakeSystem system;
  FakeUser user;
  FakeShell shell;
  FakeProcesses processes;
  FakeServices services{clock, processes};
  FakeWindows windows{clock};
  FakePipes pipes{clock};
  FakeRegistry registry;
  FakeLibraries libraries;
  FakeNetwork network{clock};

  SetupStrings strings;
  TLocalizationStrings stringTable;
  SetupLog log{&files, &clock};
  SetupContext context;

  FakeMachine() {
    context.platform.files = &files;
    context.platform.clock = &clock;
    context.platform.system = &system;
    context.platform.user = &user;
    context.platform.shell = &shell;
    context.platform.processes = &processes;
    context.platform.services = &services;
    context.platform.windows = &windows;
    context.platform.pipes = &pipes;
    context.platform.registry = &registry;
    context.platform.libraries = &libraries;
    context.platform.network = &network;
    context.log = &log;
    context.strings = &strings;
    context.stringTable = &stringTable;
    context.SetupFolder = "C:\\Setup\\";
    files.AddFolder("C:\\Setup");
    files.AddFolder("C:\\Temp");
  }
  // The configuration store on this machine's ports, wired into the context
  // (context.config); made on demand, since most tests do without one.
  std::unique_ptr<ConfigurationStore> config;
  ConfigurationStore& UseConfigurationStore() {
    if (!config) {
      config = std::make_unique<ConfigurationStore>(context.platform, &log);
      context.config = config.get();
    }
    return *config;
  }

  FakeMachine(const FakeMachine&) = delete;
  FakeMachine& operator=(const FakeMachine&) = delete;
};

}  // namespace tovex::fakes
