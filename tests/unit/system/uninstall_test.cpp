// Removal of an installed server on a fake machine: the order of the steps,
// servers that will not stop, what stays, a second run, a missing all-users
// programs folder and the engine's root folder.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/fake_machine.h"
#include "package/antivirus_engine.h"
#include "setup/setup_program.h"
#include "setup/unattended.h"
#include "system/server_table.h"
#include "system/uninstall.h"

namespace tovex::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAreArray;
using Stop = fakes::FakeServices::StopBehaviour;

constexpr const char* kBase = "C:\\Tovex\\";
constexpr const char* kShellFolders = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kCommonPrograms = "C:\\ProgramData\\Start Menu\\Programs";
constexpr const char* kUserPrograms = "C:\\Users\\admin\\Start Menu\\Programs";
constexpr const char* kUninstallKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tovex";
constexpr const char* kRecordKey = "\\Software\\Polvane\\Tovex Mail Server";
constexpr const char* kDataSourcesKey = "\\Software\\ODBC\\ODBC.INI\\ODBC Data Sources";
const std::string kCompleted =
    "Uninstall completed. Some elements could not be removed. You should manually remove items related to the "
    "application.";

// A machine on which the server was installed into C:\Tovex\ and is running.
class UninstallTest : public ::testing::Test {
 protected:
  fakes::FakeMachine machine;
  SetupContext& context = machine.context;
  fakes::FakeFiles& files = machine.files;
  fakes::FakeRegistry& registry = machine.registry;
  fakes::FakeServices& services = machine.services;
  fakes::FakeLibraries& libraries = machine.libraries;
  // What the libraries saw when they were called, in order.
  std::vector<std::string> events;
  std::function<void()> onComUnregister;
  std::function<void()> onEngineUninstall;

  UninstallTest() {
    context.IsWindowsNT = true;
    machine.system.programPath = std::string(kBase) + "setup.exe";
    files.AddFile(std::string(kBase) + "setup.exe", "MZ");
    for (const std::string& name : UninstalledProgramFiles()) files.AddFile(kBase + name, "MZ");
    files.AddFile(std::string(kBase) + "im.exe", "MZ");
    files.AddFile(std::string(kBase) + "config\\settings.cfg", "settings");
    files.AddFile(std::string(kBase) + "config\\example.org\\users.cfg", "users");
    files.AddFile(std::string(kBase) + "mail\\example.org\\admin\\1.tmi", "mail");
    files.AddFile(std::string(kBase) + "logs\\smtp.log", "log");
    for (const char* folder : kUninstalledFolders) files.AddFile(kBase + std::string(folder) + "sub\\file.txt", "x");
    files.AddFile(std::string(kBase) + "avast\\engine.txt", "engine");
    files.AddFile(std::string(kBase) + "avast\\setup\\setiface.dll", "MZ");

    for (const ServerRow& row : kServerTable) {
      services.Add(std::string(row.serviceName), kBase + std::string(row.programFile), service::kRunning);
    }

    registry.SetString(RegistryRoot::LocalMachine, kShellFolders, "Common Programs", kCommonPrograms);
    registry.SetString(RegistryRoot::CurrentUser, kShellFolders, "Programs", kUserPrograms);
    files.AddFile(std::string(kCommonPrograms) + "\\Tovex Mail Server\\Tovex Config.lnk", "link");
    files.AddFile(std::string(kCommonPrograms) + "\\Other Product\\Other.lnk", "link");
    files.AddFile(std::string(kUserPrograms) + "\\Tovex Mail Server\\Tovex Config.lnk", "link");
    registry.SetString(RegistryRoot::LocalMachine, kUninstallKey, "UninstallString",
                       std::string(kBase) + "setup.exe /UNINSTALL");
    registry.SetString(RegistryRoot::LocalMachine, kRecordKey, "InstallDir", kBase);
    registry.SetString(RegistryRoot::LocalMachine, kRecordKey, "Version", "8.5.0-7");
    registry.SetString(RegistryRoot::LocalMachine, kDataSourcesKey, "PolvaneCalendar", "Microsoft Access Driver");

    for (const char* library : {"api.dll", "polvanecom.dll"}) {
      libraries.DefineEntry(kBase + std::string(library), "DllUnregisterServer",
                            [this, library](std::vector<LibraryArgument>&) {
                              events.push_back(std::string("unregister ") + library);
                              if (onComUnregister) onComUnregister();
                              return 0;
                            });
    }
    libraries.DefineEntry(std::string(kBase) + "avast\\setup\\setiface.dll", setiface::kUninstallProgram,
                          [this](std::vector<LibraryArgument>& arguments) {
                            events.push_back("engine uninstall");
                            if (onEngineUninstall) onEngineUninstall();
                            arguments.back().text = std::string("\0\0\0\x20", 4);
                            return 0;
                          });
  }

  bool Exists(const std::string& path) { return files.FileExists(path) || files.FolderExists(path); }
  bool Running(int index) {
    const auto* entry = services.Find(std::string(kServerTable[index].serviceName));
    return entry != nullptr && entry->state == service::kRunning;
  }
  bool Installed(int index) { return services.Exists(std::string(kServerTable[index].serviceName)); }
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const auto& box : machine.user.shown) texts.push_back(box.text);
    return texts;
  }
  // Every path on the machine, upper-cased, sorted.
  std::vector<std::string> Paths() const {
    std::vector<std::string> paths = files.AllPaths();
    for (std::string& path : paths) path = UpperCase(path);
    std::sort(paths.begin(), paths.end());
    return paths;
  }
};

TEST_F(UninstallTest, RemovesEverythingListedInOrderAndKeepsTheRest) {
  // Unregistering: the services and the entries are gone, the files not yet.
  onComUnregister = [this] {
    for (int index = 0; index < kServerCount; ++index) EXPECT_FALSE(Installed(index)) << index;
    EXPECT_FALSE(Exists(std::string(kCommonPrograms) + "\\Tovex Mail Server"));
    EXPECT_FALSE(registry.HasKey(RegistryRoot::LocalMachine, kUninstallKey));
    EXPECT_TRUE(files.FileExists(std::string(kBase) + "api.dll"));
    EXPECT_TRUE(files.FileExists(std::string(kBase) + "polvanecom.dll"));
    EXPECT_TRUE(files.FolderExists(std::string(kBase) + "doc"));
  };
  // The engine's uninstaller: program files and folders gone, its own
  // folder still there and current.
  onEngineUninstall = [this] {
    for (const std::string& name : UninstalledProgramFiles()) EXPECT_FALSE(Exists(kBase + name)) << name;
    for (const char* folder : kUninstalledFolders) EXPECT_FALSE(Exists(kBase + std::string(folder))) << folder;
    EXPECT_TRUE(files.FileExists(std::string(kBase) + "avast\\engine.txt"));
    EXPECT_EQ(UpperCase(files.CurrentFolder()), "C:\\TOVEX\\AVAST\\SETUP\\");
    EXPECT_THAT(machine.user.shown, IsEmpty()) << "the closing box comes last";
  };

  Uninstall(context);

  EXPECT_THAT(events, ElementsAre("unregister api.dll", "unregister polvanecom.dll", "engine uninstall"));
  // Each running server got one stop request before the services were deleted.
  EXPECT_THAT(services.CallsStartingWith("stop "), ElementsAre("stop TovexSMTP", "stop TovexPOP3", "stop TovexControl",
                                                               "stop TovexIM", "stop TovexCalendar"));
  EXPECT_EQ(services.CallsStartingWith("delete ").size(), 5u);
  EXPECT_EQ(machine.user.processMessagesCalls, 1);
  EXPECT_EQ(machine.clock.ElapsedMs(), 1500u);

  // The engine's uninstaller: product, a null pointer, mode 2, a zeroed status word.
  ASSERT_EQ(libraries.calls.back().entry, setiface::kUninstallProgram);
  const auto& arguments = libraries.calls.back().arguments;
  ASSERT_EQ(arguments.size(), 4u);
  EXPECT_EQ(arguments[0].kind, LibraryArgument::Kind::Text);
  EXPECT_EQ(arguments[0].text, "Polvane");
  EXPECT_EQ(arguments[1].kind, LibraryArgument::Kind::Null);
  EXPECT_EQ(arguments[2].kind, LibraryArgument::Kind::Integer);
  EXPECT_EQ(arguments[2].integer, 2);
  EXPECT_EQ(arguments[3].kind, LibraryArgument::Kind::Buffer);
  EXPECT_EQ(arguments[3].text, std::string(4, '\0'));
  EXPECT_EQ(libraries.LoadedCount(), 0);
  EXPECT_EQ(files.CurrentFolder(), "C:\\");

  // The closing box, once, with nothing before it.
  ASSERT_EQ(machine.user.shown.size(), 1u);
  EXPECT_EQ(machine.user.shown[0].text, kCompleted);
  EXPECT_EQ(machine.user.shown[0].caption, "Information");
  EXPECT_EQ(machine.user.shown[0].buttons, MessageButtons::Ok);
  EXPECT_EQ(machine.user.shown[0].icon, MessageIcon::Information);

  // What stays: the folder with this program, im.exe, configuration, mail
  // and logs; the other product's group, the per-user group; the
  // installation record and the data sources.
  EXPECT_THAT(Paths(), UnorderedElementsAreArray({
                           "C:\\",
                           "C:\\PROGRAMDATA\\",
                           "C:\\PROGRAMDATA\\START MENU\\",
                           "C:\\PROGRAMDATA\\START MENU\\PROGRAMS\\",
                           "C:\\PROGRAMDATA\\START MENU\\PROGRAMS\\OTHER PRODUCT\\",
                           "C:\\PROGRAMDATA\\START MENU\\PROGRAMS\\OTHER PRODUCT\\OTHER.LNK",
                           "C:\\SETUP\\",
                           "C:\\TEMP\\",
                           "C:\\TOVEX\\",
                           "C:\\TOVEX\\CONFIG\\",
                           "C:\\TOVEX\\CONFIG\\EXAMPLE.ORG\\",
                           "C:\\TOVEX\\CONFIG\\EXAMPLE.ORG\\USERS.CFG",
                           "C:\\TOVEX\\CONFIG\\SETTINGS.CFG",
                           "C:\\TOVEX\\IM.EXE",
                           "C:\\TOVEX\\LOGS\\",
                           "C:\\TOVEX\\LOGS\\SMTP.LOG",
                           "C:\\TOVEX\\MAIL\\",
                           "C:\\TOVEX\\MAIL\\EXAMPLE.ORG\\",
                           "C:\\TOVEX\\MAIL\\EXAMPLE.ORG\\ADMIN\\",
                           "C:\\TOVEX\\MAIL\\EXAMPLE.ORG\\ADMIN\\1.TMI",
                           "C:\\TOVEX\\SETUP.EXE",
                           "C:\\USERS\\",
                           "C:\\USERS\\ADMIN\\",
                           "C:\\USERS\\ADMIN\\START MENU\\",
                           "C:\\USERS\\ADMIN\\START MENU\\PROGRAMS\\",
                           "C:\\USERS\\ADMIN\\START MENU\\PROGRAMS\\TOVEX MAIL SERVER\\",
                           "C:\\USERS\\ADMIN\\START MENU\\PROGRAMS\\TOVEX MAIL SERVER\\TOVEX CONFIG.LNK",
                       }));
  EXPECT_EQ(registry.String(RegistryRoot::LocalMachine, kRecordKey, "InstallDir"), kBase);
  EXPECT_EQ(registry.String(RegistryRoot::LocalMachine, kRecordKey, "Version"), "8.5.0-7");
  EXPECT_TRUE(registry.HasKey(RegistryRoot::LocalMachine, kDataSourcesKey));
  EXPECT_TRUE(registry.HasKey(RegistryRoot::LocalMachine, "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"));
}

TEST_F(UninstallTest, AServerThatIgnoresTheStopIsTerminatedThenDeleted) {
  services.Find("TovexIM")->stopBehaviour = Stop::Ignore;
  Uninstall(context);
  ASSERT_EQ(machine.processes.terminated.size(), 1u);
  EXPECT_FALSE(Installed(kImServer));
  EXPECT_EQ(machine.clock.ElapsedMs(), 10000u + 10u + 1500u) << "one 10-second wait, then the pause";
  EXPECT_THAT(BoxTexts(), ElementsAre(kCompleted));
}

TEST_F(UninstallTest, AServerStillRunningOrPendingAtDeletionStaysInstalled) {
  // im.exe cannot be terminated; cal's service is still starting up.
  services.Find("TovexIM")->stopBehaviour = Stop::Ignore;
  machine.processes.processes.at(services.Find("TovexIM")->processId).terminable = false;
  services.Find("TovexCalendar")->state = service::kStartPending;
  Uninstall(context);
  EXPECT_TRUE(Running(kImServer));
  EXPECT_FALSE(services.Find("TovexIM")->markedForDelete);
  EXPECT_TRUE(Installed(kGroupWareServer));
  EXPECT_THAT(services.CallsStartingWith("delete "),
              ElementsAre("delete TovexSMTP", "delete TovexPOP3", "delete TovexControl"));
  // The rest goes on as usual.
  EXPECT_FALSE(registry.HasKey(RegistryRoot::LocalMachine, kUninstallKey));
  EXPECT_FALSE(files.FileExists(std::string(kBase) + "smtp.exe"));
  EXPECT_THAT(BoxTexts(), ElementsAre(kCompleted));
}

TEST_F(UninstallTest, ASecondUninstallationFindsNothingToDoAndShowsTheSameBox) {
  Uninstall(context);
  // The library files are gone now, so they no longer load.
  for (const char* library : {"api.dll", "polvanecom.dll", "avast\\setup\\setiface.dll"}) {
    libraries.FailLoad(kBase + std::string(library), 126);
  }
  const std::vector<std::string> pathsBefore = Paths();
  const size_t callsBefore = libraries.calls.size();
  services.calls.clear();
  machine.user.shown.clear();

  Uninstall(context);
  EXPECT_EQ(Paths(), pathsBefore);
  EXPECT_EQ(libraries.calls.size(), callsBefore);
  EXPECT_THAT(services.CallsStartingWith("stop "), IsEmpty());
  EXPECT_THAT(services.CallsStartingWith("delete "), IsEmpty());
  EXPECT_THAT(BoxTexts(), ElementsAre(kCompleted));
  EXPECT_EQ(registry.String(RegistryRoot::LocalMachine, kRecordKey, "InstallDir"), kBase);
}

TEST_F(UninstallTest, LinksPlantedInTheInstallationAreRemovedAsLinksAndTheirTargetsStay) {
  files.AddFile("C:\\Canary\\bird.txt", "tweet");
  files.AddFile("C:\\Canary\\nest\\egg.txt", "egg");
  files.AddLink(std::string(kBase) + "doc\\sub\\trap", "C:\\Canary", true);
  files.AddLink(std::string(kBase) + "examples", "C:\\Canary", true);
  files.AddLink(std::string(kBase) + "html\\mail", "C:\\Canary\\nest", true);
  files.Delete(std::string(kBase) + "api.dll");
  files.AddLink(std::string(kBase) + "api.dll", "C:\\Canary\\bird.txt", false);

  Uninstall(context);
  EXPECT_EQ(files.Content("C:\\Canary\\bird.txt"), "tweet");
  EXPECT_EQ(files.Content("C:\\Canary\\nest\\egg.txt"), "egg");
  for (const char* gone : {"doc", "examples", "html", "api.dll"}) EXPECT_FALSE(Exists(kBase + std::string(gone))) << gone;
}

TEST_F(UninstallTest, WithoutAnAllUsersProgramsFolderTheGroupStepIsSkipped) {
  registry.SetValue(RegistryRoot::LocalMachine, kShellFolders, "Common Programs",
                    RegistryValue{RegistryValueType::String, ""});
  Uninstall(context);
  EXPECT_TRUE(files.FileExists(std::string(kCommonPrograms) + "\\Tovex Mail Server\\Tovex Config.lnk"));
  EXPECT_FALSE(registry.HasKey(RegistryRoot::LocalMachine, kUninstallKey));
  EXPECT_FALSE(files.FileExists(std::string(kBase) + "smtp.exe"));
  EXPECT_THAT(events, ElementsAre("unregister api.dll", "unregister polvanecom.dll", "engine uninstall"));
  EXPECT_THAT(BoxTexts(), ElementsAre(kCompleted));
}

TEST_F(UninstallTest, AnEmptiedProductNameNeverTakesTheWholeProgramsFolder) {
  machine.strings.cName = " ";
  Uninstall(context);
  EXPECT_TRUE(files.FileExists(std::string(kCommonPrograms) + "\\Other Product\\Other.lnk"));
  EXPECT_TRUE(files.FileExists(std::string(kCommonPrograms) + "\\Tovex Mail Server\\Tovex Config.lnk"));
  EXPECT_FALSE(files.FileExists(std::string(kBase) + "smtp.exe"));
}

TEST_F(UninstallTest, AComLibraryInUseIsUnregisteredAndStays) {
  files.FailOn(fakes::FakeFiles::Op::Delete, std::string(kBase) + "api.dll", 32);  // sharing violation
  Uninstall(context);
  EXPECT_THAT(events, ElementsAre("unregister api.dll", "unregister polvanecom.dll", "engine uninstall"));
  EXPECT_TRUE(files.FileExists(std::string(kBase) + "api.dll"));
  EXPECT_FALSE(files.FileExists(std::string(kBase) + "libeay32.dll")) << "the next files still go";
  EXPECT_THAT(BoxTexts(), ElementsAre(kCompleted));
}

TEST_F(UninstallTest, TheEngineIsCalledFromTheInstallDirRootAndTheBaseFolderLosesItsEngineFolder) {
  context.commandLine = ParseCommandLine({"/UNINSTALL", "--installdir=D:\\Server\\..\\Server"});
  files.AddFolder("D:\\Server\\config");
  files.AddFile("D:\\Server\\avast\\setup\\setiface.dll", "MZ");
  libraries.DefineEntry("D:\\Server\\avast\\setup\\setiface.dll", setiface::kUninstallProgram,
                        [this](std::vector<LibraryArgument>&) {
                          events.push_back("engine uninstall in D:");
                          return 0;
                        });
  Uninstall(context);
  EXPECT_THAT(events, ElementsAre("unregister api.dll", "unregister polvanecom.dll", "engine uninstall in D:"));
  EXPECT_FALSE(Exists(std::string(kBase) + "avast"));
  EXPECT_TRUE(files.FileExists("D:\\Server\\avast\\setup\\setiface.dll"));
}

TEST_F(UninstallTest, AnEngineLibraryThatDoesNotLoadIsNotCalled) {
  libraries.FailLoad(std::string(kBase) + "avast\\setup\\setiface.dll", 193);
  Uninstall(context);
  EXPECT_THAT(events, ElementsAre("unregister api.dll", "unregister polvanecom.dll"));
  EXPECT_FALSE(Exists(std::string(kBase) + "avast"));
  EXPECT_EQ(files.CurrentFolder(), "C:\\");
  EXPECT_THAT(BoxTexts(), ElementsAre(kCompleted));
}

TEST_F(UninstallTest, ConsoleBranchClosesTheWindowsAndLeavesServicesAlone) {
  context.IsWindowsNT = false;
  for (const ServerRow& row : kServerTable) {
    machine.windows.Open(std::string(row.windowClass), std::string(row.windowTitle));
  }
  Uninstall(context);
  EXPECT_TRUE(machine.windows.windows.empty());
  EXPECT_THAT(services.CallsStartingWith("delete "), IsEmpty());
  EXPECT_THAT(services.CallsStartingWith("stop "), IsEmpty());
  EXPECT_FALSE(files.FileExists(std::string(kBase) + "smtp.exe"));
  EXPECT_THAT(BoxTexts(), ElementsAre(kCompleted));
}

TEST_F(UninstallTest, AServiceManagerThatRefusesIsReportedForEachServerAndTheRestGoesOn) {
  services.managerError = 5;  // access denied for stopping; the states can still be read
  Uninstall(context);
  ASSERT_EQ(machine.user.shown.size(), 6u);
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(machine.user.shown[i].caption, "Warning") << i;
  EXPECT_EQ(machine.user.shown[5].text, kCompleted);
  for (int index = 0; index < kServerCount; ++index) EXPECT_TRUE(Running(index)) << index;
  EXPECT_FALSE(registry.HasKey(RegistryRoot::LocalMachine, kUninstallKey));
  EXPECT_FALSE(files.FileExists(std::string(kBase) + "pop3.exe"));
}

// setup.exe /UNINSTALL: the start-up question, then the real removal.
TEST_F(UninstallTest, TheCommandLineRunsItAfterYesAndEndsWithSuccess) {
  struct Case {
    MessageAnswer answer;
    uint32_t exitCode;
  };
  for (const Case& c : {Case{MessageAnswer::No, kExitCancelled}, Case{MessageAnswer::Yes, kExitSuccess}}) {
    SCOPED_TRACE(c.exitCode);
    const std::vector<std::string> pathsBefore = Paths();
    machine.user.shown.clear();
    machine.user.answers = {c.answer};
    context.commandLine = ParseCommandLine({"/UNINSTALL"});
    SetupProgram program(context);
    program.CreateForms();
    uint32_t exitCode = 0xFFFF;
    try {
      program.ShowMainForm();
    } catch (const ProcessEnded& end) {
      exitCode = end.exitCode;
    }
    EXPECT_EQ(exitCode, c.exitCode);
    ASSERT_FALSE(machine.user.shown.empty());
    EXPECT_EQ(machine.user.shown[0].text,
              "Are you sure to completely remove all files and components of this program?");
    if (c.answer == MessageAnswer::No) {
      EXPECT_EQ(machine.user.shown.size(), 1u);
      EXPECT_EQ(Paths().size(), pathsBefore.size() + 1) << "only the setup log is new";
      EXPECT_TRUE(registry.HasKey(RegistryRoot::LocalMachine, kUninstallKey));
      EXPECT_TRUE(Running(kSmtpServer));
      EXPECT_THAT(events, IsEmpty());
    } else {
      EXPECT_THAT(BoxTexts(), ElementsAre(::testing::_, kCompleted));
      EXPECT_FALSE(registry.HasKey(RegistryRoot::LocalMachine, kUninstallKey));
      EXPECT_FALSE(Installed(kSmtpServer));
      EXPECT_THAT(events, ElementsAre("unregister api.dll", "unregister polvanecom.dll", "engine uninstall"));
    }
  }
}

// The signs of an installation, each on its own, against a download folder
// that merely holds files under the server's names.
TEST(HoldsInstallation, ByItsConfigurationItsServiceOrItsRecord) {
  enum class Sign { None, Configuration, Service, ServiceOnConsoleBranch, Record };
  const std::string folder = "E:\\Download\\";
  for (const Sign sign : {Sign::None, Sign::Configuration, Sign::Service, Sign::ServiceOnConsoleBranch, Sign::Record}) {
    SCOPED_TRACE(static_cast<int>(sign));
    fakes::FakeMachine machine;
    for (const char* name : {"setup.exe", "smtp.exe", "api.dll", "doc\\readme.txt", "html\\index.html"}) {
      machine.files.AddFile(folder + name, "MZ");
    }
    machine.services.Add("TovexPOP3", "C:\\Tovex\\pop3.exe", service::kRunning);
    machine.registry.SetString(RegistryRoot::LocalMachine, kRecordKey, "Version", "8.5.0-7");
    switch (sign) {
      case Sign::Configuration:
        machine.files.AddFolder(folder + "config");
        break;
      case Sign::Service:
      case Sign::ServiceOnConsoleBranch:
        machine.services.Add("TovexSMTP", folder + "smtp.exe", service::kStopped);
        machine.context.IsWindowsNT = sign == Sign::Service;
        break;
      case Sign::Record:
        machine.registry.SetString(RegistryRoot::LocalMachine, kRecordKey, "InstallDir", "e:\\download\\.\\");
        break;
      case Sign::None:
        machine.registry.SetString(RegistryRoot::LocalMachine, kRecordKey, "InstallDir", "E:\\Download\\Tovex\\");
        break;
    }
    const bool expected = sign == Sign::Configuration || sign == Sign::Service || sign == Sign::Record;
    EXPECT_EQ(HoldsInstallation(machine.context, folder), expected);
  }
}

// setup.exe /UNINSTALL from a download folder (an installation lies
// elsewhere): nothing is asked, stopped or removed anywhere; a box (or, run
// unattended, the log) says so, and the exit code says nothing was
// installed there.
TEST_F(UninstallTest, AFolderWithoutAnInstallationIsLeftAsItIsAndEndsWith1605) {
  const std::string folder = "E:\\Download\\";
  machine.system.programPath = folder + "setup.exe";
  for (const char* name : {"setup.exe", "setup.Dat", "smtp.exe", "api.dll", "doc\\readme.txt", "html\\index.html",
                           "examples\\example.txt"}) {
    files.AddFile(folder + name, "MZ");
  }
  for (const bool unattended : {false, true}) {
    SCOPED_TRACE(unattended);
    const std::vector<std::string> pathsBefore = Paths();
    machine.user.shown.clear();
    SilentUser silent(context);
    context.platform.user = unattended ? static_cast<User*>(&silent) : &machine.user;
    context.commandLine = ParseCommandLine(unattended ? std::vector<std::string>{"/UNINSTALL", "/VERYSILENT"}
                                                      : std::vector<std::string>{"/UNINSTALL"});
    SetupProgram program(context);
    program.CreateForms();
    uint32_t exitCode = 0xFFFF;
    try {
      program.ShowMainForm();
    } catch (const ProcessEnded& end) {
      exitCode = end.exitCode;
    }
    EXPECT_EQ(exitCode, kExitNotInstalled);
    const std::string said = "Tovex Mail Server is not installed in E:\\Download\\. Nothing was removed.";
    if (unattended) {
      EXPECT_THAT(machine.user.shown, IsEmpty());
      EXPECT_NE(machine.log.Text().find("Message (Tovex Mail Server Setup, OK): " + said), std::string::npos);
    } else {
      EXPECT_THAT(BoxTexts(), ElementsAre(said));
    }
    EXPECT_THAT(Paths(), ::testing::IsSupersetOf(pathsBefore));
    EXPECT_LE(Paths().size(), pathsBefore.size() + 1) << "only the setup log may be new";
    EXPECT_TRUE(Running(kSmtpServer));
    EXPECT_TRUE(registry.HasKey(RegistryRoot::LocalMachine, kUninstallKey));
    EXPECT_THAT(events, IsEmpty());
  }
}

// -InstallDir= that climbs out of its folder on a machine without an
// installation: the option is not used, path.cfg is renamed nowhere, and
// nothing is removed.
TEST(UninstallCommandLine, AnInstallDirWithDotDotPartsTouchesNothing) {
  for (const char* option : {"-InstallDir=C:\\Program Files\\Tovex\\..\\..\\",
                             "-InstallDir=C:\\Program Files\\Tovex\\..\\..\\windows", "-InstallDir=..\\.."}) {
    SCOPED_TRACE(option);
    fakes::FakeMachine machine;
    machine.UseConfigurationStore();
    machine.files.SetCurrentFolder("C:\\Setup");
    for (const char* path : {"C:\\path.cfg", "C:\\windows\\path.cfg", "C:\\Setup\\path.cfg", "C:\\Setup\\setup.exe",
                             "C:\\Setup\\smtp.exe", "C:\\Setup\\doc\\readme.txt", "C:\\windows\\smtp.exe"}) {
      machine.files.AddFile(path, "keep");
    }
    std::vector<std::string> before = machine.files.AllPaths();
    machine.context.commandLine = ParseCommandLine({"/UNINSTALL", "/VERYSILENT", option});
    SilentUser silent(machine.context);
    machine.context.platform.user = &silent;
    SetupProgram program(machine.context);
    program.CreateForms();
    before.push_back("C:\\TEMP\\TOVEXSETUP.LOG");  // the setup log, the one new file
    try {
      program.ShowMainForm();
      FAIL() << "the command-line action ends the run";
    } catch (const ProcessEnded& end) {
      EXPECT_EQ(end.exitCode, kExitNotInstalled);
    }
    EXPECT_THAT(machine.files.AllPaths(), UnorderedElementsAreArray(before));
    EXPECT_NE(machine.log.Text().find("names no installation"), std::string::npos) << machine.log.Text();
  }
}

}  // namespace
}  // namespace tovex::testing
