// The installation driver on a whole fake machine: a real setup.Dat (built
// byte by byte) unpacked by the archive reader, the configuration store on
// fake files, the service manager, registry, shell, pipes and libraries
// fakes. What the parts do in detail is their own tests' business; here it
// is the order, what a fresh installation and an upgrade each do and leave
// out, the fatal ends, the cancel between steps and the finish actions.

#include "setup/installation_driver.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/paths.h"
#include "common/setup_log.h"
#include "common/text.h"
#include "fakes/fake_machine.h"
#include "package/component_files.h"
#include "platform/registry.h"
#include "platform/services.h"
#include "setup/payload_check.h"
#include "setup/setup_program.h"
#include "shared/archive_builder.h"
#include "system/server_table.h"
#include "upgrade/config_store.h"
#include "upgrade/demo_domain.h"
#include "upgrade/module_control.h"
#include "upgrade/settings_layout.h"

namespace tovex {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

constexpr auto HKLM = RegistryRoot::LocalMachine;
constexpr const char* kInstall = "C:\\Program Files\\Tovex\\";
constexpr const char* kExtraction = "C:\\Temp\\tovexinstall\\";
constexpr const char* kRecordKey = "\\Software\\Polvane\\Tovex Mail Server";
constexpr const char* kGroup = "C:\\ProgramData\\Start Menu\\Programs\\Tovex Mail Server\\";

using Content = std::map<std::string, std::string>;  // entry name -> bytes

std::string Pack(const Content& content) {
  testing::ArchiveBuilder archive;
  for (const auto& [name, bytes] : content) archive.Add(name, bytes);
  return archive.End().str();
}

// The demonstration domain as the distribution's build writes it, through
// a store of its own on a scratch folder of the same machine.
std::string DemoArchive(fakes::FakeMachine& machine) {
  ConfigurationStore writer(machine.context.platform);
  writer.SetConfigurationFolder("C:\\DemoSource\\");
  writer.SetRootFolder("C:\\DemoSource\\");
  EXPECT_TRUE(WriteDemoDomain(writer));
  Content demo;
  for (const std::string& path : machine.files.AllPaths()) {
    const std::string prefix = "C:\\DemoSource\\";
    if (!SameText(path.substr(0, prefix.size()), prefix) || !machine.files.FileExists(path)) continue;
    const std::string name = path.substr(prefix.size());
    if (SameText(name, "settings.cfg")) continue;
    demo[name] = *machine.files.Content(path);
  }
  return Pack(demo);
}

Content SetupPackage() {
  Content package;
  for (const char* name : kCoreProgramFiles) package[name] = std::string("new ") + name;
  for (const char* name : {"polvanecom.dll", "im.exe", "cal.exe", "cert.pem"}) package[name] = std::string("new ") + name;
  package["webserver.dat"] = "[Main]\r\nroot=%%installpath%%html\\\r\n";
  package["doc\\index.html"] = "manual";
  package["modules\\wcs.dll"] = "module";
  package["html\\index.html"] = "index";
  package["spam\\challenge.mdb"] = "challenge database";
  package["spam\\rules\\local.cf"] = "packaged local rules";
  package["spam\\rules\\10_misc.cf"] = "rules";
  package["calendar\\calendar.xml"] = "calendar";
  package["calendar\\calendar.mdb"] = "calendar database";
  package["tutorial\\index.html"] = "tutorial";
  package["xml\\basic.xml"] = "xml";
  return package;
}

struct DriverBench {
  fakes::FakeMachine machine;
  ConfigurationStore& store = machine.UseConfigurationStore();
  SetupProgram program{machine.context};
  Content package = SetupPackage();
  std::vector<std::string> trace;  // "caption @ progress"
  std::vector<std::string> comCalls;
  int wizardRuns = 0;

  DriverBench() {
    machine.clock.SetToday(46000.25);  // a morning in 2025
    machine.network.dnsServers = {"192.0.2.53", "192.0.2.54"};
    machine.registry.SetString(HKLM, "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                               "Common Programs", "C:\\ProgramData\\Start Menu\\Programs");
    machine.registry.SetString(HKLM, "\\SOFTWARE\\ODBC\\ODBCINST.INI\\ODBC Drivers",
                               "Microsoft Access Driver (*.mdb)", "Installed");
    for (const char* library : {"api.dll", "polvanecom.dll"}) {
      const std::string path = std::string(kInstall) + library;
      machine.libraries.Define(path, {{"DllRegisterServer", [this, path](std::vector<LibraryArgument>&) {
                                         comCalls.push_back(path);
                                         return 0;
                                       }}});
    }
    for (const char* name : {"setup.exe", "readme.txt", "releasenotes.txt", "license.txt"}) {
      machine.files.AddFile(std::string("C:\\Setup\\") + name, name);
    }
    machine.files.AddFile("C:\\Setup\\setupweb.dat",
                          Pack({{"settings.dat", "home=%%installpath%%webmail\\\r\n"},
                                {"html\\index.html", "web mail page"},
                                {"webmail.dll", "web mail library"}}));
    machine.files.AddFile("C:\\Setup\\tovex.mcb", Pack({{"content.dat", "default content filters"}}));
    package["demo.dat"] = DemoArchive(machine);

    program.services.RunConfigurationWizard = [this] { ++wizardRuns; };
    program.CreateForms();
    Get("PathEdit").SetCaption("C:\\Program Files\\Tovex");  // the backslash is added
    Get("NameEdit").SetText("Jane Doe");
    Get("EmailEdit").SetText("jane@example.com");
    Get("AdvancedMode").SetChecked(true);
  }

  ui::Component& Get(const std::string& name) { return program.mainForm->Get(name); }
  int Progress() { return Get("ProgressBar").Position(); }

  // Runs the installation with setup.Dat as `package` holds it; the exit
  // code when Setup ended, nullopt when the wizard would go on.
  std::optional<uint32_t> Install(bool withPackage = true) {
    if (withPackage) machine.files.AddFile("C:\\Setup\\setup.Dat", Pack(package));
    TMainForm& form = *program.mainForm;
    InstallingPage page;
    page.SetPhaseCaption = [this, &form](const std::string& text) {
      form.SetPhaseCaption(text);
      trace.push_back(text + " @ " + std::to_string(Progress()));
    };
    page.StepProgress = [&form] { form.StepProgress(); };
    try {
      RunInstallation(program, page);
    } catch (const ProcessEnded& ended) {
      return ended.exitCode;
    }
    return std::nullopt;
  }

  std::optional<uint32_t> Finish() {
    try {
      RunFinishActions(program);
    } catch (const ProcessEnded& ended) {
      return ended.exitCode;
    }
    return std::nullopt;
  }

  bool Installed(const std::string& relative) { return machine.files.FileExists(kInstall + relative); }
  std::string Text(const std::string& relative) {
    return machine.files.Content(kInstall + relative).value_or("<missing>");
  }
  std::string LogText() { return machine.log.Text(); }

  // An installation of an older release: configuration, web server
  // configuration, services (stopped), its record.
  void OlderInstallation(const std::string& version) {
    ConfigurationStore old(machine.context.platform);
    old.SetConfigurationFolder(std::string(kInstall) + "config\\");
    old.SetSettingsText(settings::kHostName, "mail.old.example");
    old.SetSettingsText(settings::kConsoleLayout, "basic.xml");
    old.SaveConfiguration();
    machine.files.AddFile(std::string(kInstall) + "config\\webserver.cfg",
                          "[Filter]\r\n=modules\\auth.dll\r\n\r\n[Virtual-Host]\r\n/mail/=webmail\\web.dll\r\n\r\n");
    machine.files.AddFile(std::string(kInstall) + "html\\mail\\old.html", "old web mail page");
    machine.files.AddFile(std::string(kInstall) + "spam\\rules\\local.cf", "the administrator's rules");
    for (int index = 0; index < kServerCount; ++index) {
      machine.services.Add(std::string(kServerTable[index].serviceName),
                           std::string(kInstall) + std::string(kServerTable[index].programFile));
    }
    program.state.PreviousVersion = version;
    program.state.PreviousInstallDir = kInstall;
  }
};

struct Driver : ::testing::Test, DriverBench {};

TEST_F(Driver, FreshInstallationRunsEveryPhaseInOrderAndFillsTheBar) {
  EXPECT_EQ(Install(), std::nullopt);

  // The captions with the bar's position when each showed: two steps come
  // from the file installation, ten from the driver. The package is checked
  // before the services are touched.
  EXPECT_THAT(trace, ElementsAre("Extracting Files... @ 0", "Checking For Running Services... @ 2",
                                 "Checking For Running Services... @ 2", "Installing Files... @ 3", "Installing Web Mail... @ 5",
                                 "Creating Icons... @ 10", "Installing Services... @ 10",
                                 "Starting Services... @ 10", "Finishing Installation... @ 10",
                                 "Installation Complete @ 12"));
  EXPECT_EQ(Get("ProgressBar").Max(), 12);
  EXPECT_THAT(machine.user.shown, IsEmpty());
  EXPECT_EQ(machine.context.InstallPath, kInstall);
  EXPECT_FALSE(program.state.IsUpgrade);

  // Files, the default configuration, the web mail; the package is gone.
  EXPECT_EQ(Text("smtp.exe"), "new smtp.exe");
  EXPECT_EQ(Text("setup.exe"), "setup.exe");
  EXPECT_EQ(Text("config\\content.dat"), "default content filters");
  EXPECT_EQ(Text("html\\mail\\index.html"), "web mail page");
  EXPECT_FALSE(machine.files.FolderExists(kExtraction));

  // The installation record, the program group, the services, COM.
  EXPECT_EQ(machine.registry.String(HKLM, kRecordKey, "Version"), "8.5.0-7");
  EXPECT_EQ(machine.registry.String(HKLM, kRecordKey, "InstallDir"), kInstall);
  EXPECT_EQ(machine.registry.String(HKLM, kRecordKey, "Name"), "Jane Doe");
  std::vector<std::string> links;
  for (const auto& [path, link] : machine.shell.links) links.push_back(path);
  EXPECT_THAT(links, Contains(std::string(kGroup) + "Uninstall Tovex Mail Server.lnk"));
  for (int index = 0; index < kServerCount; ++index) {
    const auto* service = machine.services.Find(std::string(kServerTable[index].serviceName));
    ASSERT_NE(service, nullptr) << index;
    EXPECT_EQ(service->state, service::kRunning) << index;
  }
  for (const auto& [source, database] : {std::pair{"PolvaneSpamChallenge", "spam\\challenge.mdb"},
                                         std::pair{"PolvaneCalendar", "calendar\\calendar.mdb"}}) {
    EXPECT_EQ(machine.registry.String(HKLM, std::string("\\SOFTWARE\\ODBC\\ODBC.INI\\") + source, "DBQ"),
              std::string(kInstall) + database);
  }
  EXPECT_THAT(comCalls, ElementsAre(std::string(kInstall) + "api.dll", std::string(kInstall) + "polvanecom.dll"));

  // The first configuration: folders, DNS servers, console, demo accounts.
  ConfigurationStore reader(machine.context.platform);
  reader.SetConfigurationFolder(std::string(kInstall) + "config\\");
  ASSERT_TRUE(reader.LoadConfiguration());
  EXPECT_EQ(reader.SettingsText(settings::kTempFolder), std::string(kInstall) + "temp\\");
  EXPECT_EQ(reader.SettingsText(settings::kMailFolder), std::string(kInstall) + "mail\\");
  EXPECT_EQ(reader.SettingsText(settings::kLogFolder), std::string(kInstall) + "logs\\");
  EXPECT_EQ(reader.SettingsText(settings::kDnsServers), "192.0.2.53;192.0.2.54");
  EXPECT_EQ(reader.SettingsText(settings::kConsoleLayout), "advanced.xml");
  EXPECT_TRUE(reader.DomainExists(kDemoDomain));
  AccountCursor cursor;
  reader.OpenAccounts(kDemoDomain, cursor);
  int accounts = 0;
  while (!reader.NextAccount(cursor)) {
    ++accounts;
    EXPECT_EQ(cursor.record[account_expiry::kExpires], 1);
    EXPECT_EQ(GetDouble(cursor.record.data(), account_expiry::kDate), 46030.0);
  }
  reader.CloseAccounts(cursor);
  EXPECT_EQ(accounts, 3);

  // No previous version: no upgrade commands at all.
  EXPECT_THAT(machine.pipes.delivered, IsEmpty());
  // The log is kept in the installation too, with every step.
  const std::string kept = Text("logs\\TovexSetup.log");
  EXPECT_THAT(kept, HasSubstr("Installation step 13: services"));
  EXPECT_THAT(kept, HasSubstr("Installation finished"));
}

TEST_F(Driver, UpgradeKeepsTheConfigurationPatchesOldWebServerAndRestoresStartTypes) {
  OlderInstallation("7.7.2");
  machine.services.Find("TovexIM")->startType = service::kDisabled;
  machine.services.Find("TovexSMTP")->state = service::kRunning;
  for (int index = 0; index < kServerCount; ++index) {
    machine.pipes.Serve("\\\\.\\pipe\\" + std::string(kServerTable[index].serviceName));
  }

  EXPECT_EQ(Install(), std::nullopt);
  EXPECT_TRUE(program.state.IsUpgrade);
  EXPECT_EQ(Progress(), 12);

  // The configuration stays, only the console mode follows the wizard; no
  // demo domain and no default configuration files.
  ConfigurationStore reader(machine.context.platform);
  reader.SetConfigurationFolder(std::string(kInstall) + "config\\");
  ASSERT_TRUE(reader.LoadConfiguration());
  EXPECT_EQ(reader.SettingsText(settings::kHostName), "mail.old.example");
  EXPECT_EQ(reader.SettingsText(settings::kConsoleLayout), "advanced.xml");
  EXPECT_FALSE(reader.DomainExists(kDemoDomain));
  EXPECT_FALSE(Installed("config\\content.dat"));
  EXPECT_EQ(Text("spam\\rules\\local.cf"), "the administrator's rules");

  // webserver.cfg of 7.7.2 gets the wcs entries and the PHP library.
  EXPECT_EQ(Text("config\\webserver.cfg"),
            "[Filter]\r\n=modules\\auth.dll\r\n=modules\\wcs.dll|[wcs]\r\n\r\n[Virtual-Host]\r\n/wcs/=[wcs]\r\n"
            "/mail/=php\\php.dll\r\n\r\n");

  // The disabled service ran for the installation and is disabled again.
  EXPECT_EQ(machine.services.Find("TovexIM")->startType, service::kDisabled);
  EXPECT_EQ(machine.services.Find("TovexSMTP")->startType, service::kAutoStart);

  // The modules heard the upgrade start, then the rows after 7.7.2.
  std::vector<std::string> requests;
  for (const auto& delivery : machine.pipes.delivered) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(delivery.bytes.data());
    requests.push_back(delivery.path.substr(9) + " " + std::to_string(GetU32(bytes, 8)) + "/" +
                       std::to_string(GetU32(bytes, 12)));
  }
  EXPECT_THAT(requests, Contains("TovexSMTP 257/0"));
  EXPECT_THAT(requests, Contains("TovexSMTP 2/9"));
  EXPECT_THAT(requests, Not(Contains("TovexCalendar 3845/8")));  // row 6 is 7.7.2 itself
  EXPECT_THAT(requests, Contains("TovexCalendar 3845/17"));
}

TEST_F(Driver, WebServerPatchOnlyForUpgradesFromBefore773) {
  struct Case {
    const char* version;
    bool patched;
  };
  for (const Case& c : {Case{"7.7.2", true}, Case{"7.7.3", false}, Case{"8.4.0", false}, Case{"", false}}) {
    SCOPED_TRACE(c.version);
    DriverBench bench;
    bench.OlderInstallation(c.version);
    EXPECT_EQ(bench.Install(), std::nullopt);
    EXPECT_EQ(bench.Text("config\\webserver.cfg").find("wcs.dll") != std::string::npos, c.patched);
  }
}

TEST_F(Driver, DeselectedComponentsLeaveNoFilesOfAnEarlierInstallation) {
  OlderInstallation("8.4.0");
  machine.context.flags.NoInstallWebMail = true;
  machine.context.flags.NoInstallIAS = true;
  EXPECT_EQ(Install(), std::nullopt);
  EXPECT_FALSE(machine.files.FolderExists(std::string(kInstall) + "html\\mail"));
  EXPECT_FALSE(machine.files.FolderExists(std::string(kInstall) + "spam"));
  EXPECT_TRUE(Installed("html\\index.html"));
  EXPECT_EQ(machine.registry.Value(HKLM, kRecordKey, "NoInstallWebMail")->data, std::string("\1\0\0\0", 4));
}

// Everything a run may change, as one comparable text per item: files with
// their content (but the setup log, which tells where the run stopped),
// registry values under HKLM and HKCU, services with their start types,
// programs and states.
std::map<std::string, std::string> MachineState(DriverBench& bench) {
  std::map<std::string, std::string> state;
  for (const std::string& path : bench.machine.files.AllPaths()) {
    if (SameText(ExtractFileName(path), kSetupLogName)) continue;
    state["file " + path] = bench.machine.files.Content(path).value_or("<folder>");
  }
  Registry& registry = bench.machine.registry;
  std::function<void(RegistryRoot, const std::string&)> walk = [&](RegistryRoot root, const std::string& key) {
    state["key " + key] = "";
    for (const std::string& name : registry.ValueNames(root, key)) {
      state["value " + key + " " + name] = registry.ReadValue(root, key, name).value_or(RegistryValue{}).data;
    }
    for (const std::string& sub : registry.SubKeyNames(root, key)) walk(root, key + "\\" + sub);
  };
  walk(HKLM, "");
  walk(RegistryRoot::CurrentUser, "");
  for (const auto& [name, service] : bench.machine.services.services) {
    state["service " + name] = service.programPath + " start " + std::to_string(service.startType) + " state " +
                               std::to_string(service.state);
  }
  return state;
}

// The items that differ between two states, by name only.
std::vector<std::string> Changes(const std::map<std::string, std::string>& before,
                                 const std::map<std::string, std::string>& after) {
  std::vector<std::string> changed;
  for (const auto& [item, value] : after) {
    auto it = before.find(item);
    if (it == before.end()) changed.push_back("added " + item);
    else if (it->second != value) changed.push_back("changed " + item);
  }
  for (const auto& [item, value] : before) {
    if (!after.count(item)) changed.push_back("removed " + item);
  }
  return changed;
}

TEST_F(Driver, WithoutSetupDatTheRunEndsFatallyAndLeavesNothing) {
  const auto before = MachineState(*this);
  EXPECT_EQ(Install(false), kExitFatal);
  ASSERT_EQ(machine.user.shown.size(), 1u);
  EXPECT_EQ(machine.user.shown[0].text, "Extracting files error: data file error");
  EXPECT_EQ(machine.user.shown[0].caption, "Error");
  EXPECT_EQ(machine.user.shown[0].icon, MessageIcon::Error);
  EXPECT_THAT(Changes(before, MachineState(*this)), IsEmpty()) << "no installation folder, record or extraction folder";
  EXPECT_THAT(LogText(), HasSubstr("Installation step 1: unpacking and checking the package"));
  EXPECT_THAT(LogText(), Not(HasSubstr("Installation step 2")));
  EXPECT_THAT(LogText(), HasSubstr("Setup ends with exit code 1603"));
}

// A damaged download is found before anything changes: on an upgrade of a
// running server the services keep running with their start types, the old
// program files and the registry stay, and no extraction folder is left.
TEST_F(Driver, ADamagedPayloadEndsTheUpgradeBeforeTheServerIsTouched) {
  std::string badStream = testing::Deflate(std::string(70000, 'w'));
  badStream.back() ^= 0x55;
  struct Case {
    const char* what;
    std::function<void(DriverBench&)> damage;
  };
  const Case cases[] = {
      {"setup.Dat cut short",
       [](DriverBench& b) {
         const std::string whole = Pack(b.package);
         b.machine.files.AddFile("C:\\Setup\\setup.Dat", whole.substr(0, whole.size() * 2 / 3));
       }},
      {"a corrupt entry in setup.Dat",
       [&](DriverBench& b) {
         testing::ArchiveBuilder archive(true);
         for (const auto& [name, bytes] : b.package) archive.Add(name, bytes);
         b.machine.files.AddFile("C:\\Setup\\setup.Dat", archive.Raw("zzz.dll", badStream).End().str());
       }},
      {"setupweb.dat cut short",
       [](DriverBench& b) {
         const std::string web = *b.machine.files.Content("C:\\Setup\\setupweb.dat");
         b.machine.files.AddFile("C:\\Setup\\setupweb.dat", web.substr(0, web.size() - 10));
       }},
      {"setupweb.dat missing while web mail is chosen",
       [](DriverBench& b) { b.machine.files.Delete("C:\\Setup\\setupweb.dat"); }},
      {"setupav.dat damaged", [](DriverBench& b) { b.machine.files.AddFile("C:\\Setup\\setupav.dat", "ILDS\5\0"); }},
      {"setupldap.dat damaged",
       [&](DriverBench& b) {
         b.machine.files.AddFile("C:\\Setup\\setupldap.dat",
                                 testing::ArchiveBuilder(true).Raw("slapd.conf", badStream).End().str());
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DriverBench bench;
    bench.OlderInstallation("8.4.0");
    bench.machine.files.AddFile(std::string(kInstall) + "smtp.exe", "old smtp.exe");
    bench.machine.registry.SetString(HKLM, kRecordKey, "Version", "8.4.0");
    for (auto& [name, service] : bench.machine.services.services) service.state = service::kRunning;
    bench.machine.services.Find("TovexIM")->startType = service::kDisabled;
    bench.machine.files.AddFile("C:\\Setup\\setup.Dat", Pack(bench.package));
    c.damage(bench);
    const auto before = MachineState(bench);

    EXPECT_EQ(bench.Install(false), kExitFatal);
    ASSERT_EQ(bench.machine.user.shown.size(), 1u);
    EXPECT_EQ(bench.machine.user.shown[0].text, "Extracting files error: data file error");
    EXPECT_THAT(Changes(before, MachineState(bench)), IsEmpty());
    EXPECT_THAT(bench.trace, ElementsAre("Extracting Files... @ 0"));
  }
}

TEST_F(Driver, AFreshInstallationFromADamagedDefaultConfigurationArchiveLeavesNothing) {
  machine.files.AddFile("C:\\Setup\\tovex.mcb", "ILDS\5\0\0\0\0\2\0\0\0\5con");
  machine.files.AddFile("C:\\Setup\\setup.Dat", Pack(package));
  const auto before = MachineState(*this);
  EXPECT_EQ(Install(false), kExitFatal);
  EXPECT_THAT(Changes(before, MachineState(*this)), IsEmpty());
}

TEST_F(Driver, TooLittleSpaceOnTheVolumeIsToldWithTheBytesNeeded) {
  machine.files.AddFile("C:\\Setup\\setup.Dat", Pack(package));
  machine.files.SetFreeSpace(kSpaceMarginBytes);
  const auto before = MachineState(*this);
  EXPECT_EQ(Install(false), kExitFatal);

  // The installation folder and the extraction folder share the volume:
  // setup.Dat and the web mail count twice there, the default configuration
  // once; then the margin.
  uint64_t setup = 0;
  for (const auto& [name, bytes] : package) setup += bytes.size();
  const uint64_t web = std::string("home=%%installpath%%webmail\\\r\nweb mail pageweb mail library").size();
  const uint64_t defaults = std::string("default content filters").size();
  const uint64_t payload = 2 * (setup + web) + defaults;
  const uint64_t needed = payload + payload / kSpaceMarginDivisor + kSpaceMarginBytes;
  ASSERT_EQ(machine.user.shown.size(), 1u);
  EXPECT_EQ(machine.user.shown[0].text, "There is not enough disk space on C:\\. Setup needs " +
                                            std::to_string(needed) + " bytes free there.");
  EXPECT_EQ(machine.user.shown[0].caption, "Error");
  EXPECT_THAT(Changes(before, MachineState(*this)), IsEmpty());

  // With room for it all the same package installs.
  DriverBench roomy;
  roomy.machine.files.SetFreeSpace(needed);
  EXPECT_EQ(roomy.Install(), std::nullopt);
  EXPECT_THAT(roomy.machine.user.shown, IsEmpty());
}

TEST(PayloadVolumes, DrivesAndSharesAreNamedByTheirRoot) {
  EXPECT_EQ(VolumeOf("c:\\Program Files\\Tovex\\"), "C:\\");
  EXPECT_EQ(VolumeOf("\\\\mailhost\\apps\\Tovex\\"), "\\\\mailhost\\apps\\");
  EXPECT_EQ(VolumeOf("\\\\mailhost\\apps"), "\\\\mailhost\\apps\\");
}

TEST_F(Driver, APackageWithoutRegexDllEndsWithTheSystemsTextAndALogThatSaysWhere) {
  package.erase("regex.dll");
  EXPECT_EQ(Install(), kExitFatal);
  ASSERT_EQ(machine.user.shown.size(), 1u);
  EXPECT_EQ(machine.user.shown[0].text.substr(0, 61),
            "File copy error: The system cannot find the file specified.\r\n");
  EXPECT_THAT(machine.user.shown[0].text, HasSubstr("\r\nregex.dll\r\n"));
  // The copy of the log in the installation folder tells the step and why.
  const std::string kept = Text("logs\\TovexSetup.log");
  EXPECT_THAT(kept, HasSubstr("Installation step 6: installing files into C:\\Program Files\\Tovex\\"));
  EXPECT_THAT(kept, HasSubstr("FAILED: Copying C:\\Temp\\tovexinstall\\regex.dll to C:\\Program Files\\Tovex\\regex.dll "
                              "(error 2: The system cannot find the file specified.)"));
  EXPECT_THAT(kept, HasSubstr("Setup ends with exit code 1603"));
}

TEST_F(Driver, ACancelConfirmedAtTheFirstCaptionEndsTheRunBeforeAnyChange) {
  machine.files.AddFile("C:\\Setup\\setup.Dat", Pack(package));
  const auto before = MachineState(*this);
  machine.user.onProcessMessages = [&] { program.mainForm->CloseButtonClick(); };  // at "Extracting Files..."
  EXPECT_EQ(Install(false), kExitCancelled);
  EXPECT_THAT(Changes(before, MachineState(*this)), IsEmpty());
}

TEST_F(Driver, WhatAnInterruptedRunLeftInTheExtractionFolderIsNotInstalled) {
  package.erase("cal.exe");
  machine.files.AddFile(std::string(kExtraction) + "cal.exe", "stale groupware server");
  EXPECT_EQ(Install(), std::nullopt);
  EXPECT_FALSE(Installed("cal.exe"));
}

TEST_F(Driver, OldWebMailProductIsAWarningAtTheEnd) {
  program.state.OldWebMailFound = true;
  EXPECT_EQ(Install(), std::nullopt);
  ASSERT_EQ(machine.user.shown.size(), 1u);
  EXPECT_EQ(machine.user.shown[0].caption, "Warning");
  EXPECT_EQ(machine.user.shown[0].icon, MessageIcon::Information);
  EXPECT_THAT(machine.user.shown[0].text, HasSubstr("old version of Polvane Web Mail"));
}

TEST_F(Driver, FinishRunsTheWizardOpensTheTickedDocumentsAndEnds) {
  struct Case {
    bool runTutorial, releaseNotes, showTutorial, runConfig;
    std::vector<std::string> opened;
  };
  const std::string notes = std::string(kInstall) + "doc\\releasenotes.txt";
  const std::string tutorial = std::string(kInstall) + "tutorial\\index.html";
  const std::string console = std::string(kInstall) + "config.exe";
  for (const Case& c : {Case{true, true, true, true, {notes, tutorial, console}},
                        Case{false, false, false, false, {}}, Case{false, true, false, true, {notes, console}}}) {
    DriverBench bench;
    bench.machine.context.InstallPath = kInstall;
    bench.machine.files.AddFile(tutorial, "tutorial");
    bench.machine.pipes.Serve("\\\\.\\pipe\\TovexControl");
    bench.machine.services.Add("TovexControl", console, service::kRunning);
    bench.Get("RunTutorial").SetChecked(c.runTutorial);
    bench.Get("ViewReleaseNotes").SetChecked(c.releaseNotes);
    bench.Get("ShowTutorial").SetChecked(c.showTutorial);
    bench.Get("RunConfig").SetChecked(c.runConfig);

    EXPECT_EQ(bench.Finish(), kExitSuccess);
    EXPECT_EQ(bench.wizardRuns, c.runTutorial ? 1 : 0);
    std::vector<std::string> opened;
    for (const auto& open : bench.machine.shell.opened) opened.push_back(open.target);
    EXPECT_EQ(opened, c.opened);
    ASSERT_EQ(bench.machine.pipes.delivered.size(), 1u);
    const auto* bytes = reinterpret_cast<const uint8_t*>(bench.machine.pipes.delivered[0].bytes.data());
    EXPECT_EQ(GetU32(bytes, 4), kModuleMessage);
    EXPECT_EQ(GetU32(bytes, 8), 3u);
  }
}

TEST_F(Driver, TheTutorialIsOpenedOnlyWhenItWasInstalled) {
  machine.context.InstallPath = kInstall;
  Get("ShowTutorial").SetChecked(true);
  Get("ViewReleaseNotes").SetChecked(false);
  Get("RunConfig").SetChecked(false);
  EXPECT_EQ(Finish(), kExitSuccess);
  EXPECT_THAT(machine.shell.opened, IsEmpty());
}

}  // namespace
}  // namespace tovex
