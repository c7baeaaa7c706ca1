// The service phases of an installation run on a fake machine: checking for
// running services, installing and starting, verifying, and the start types
// kept around an upgrade.
#include "common/context.h"
#include "system/service_phases.h"
#include "unit/system/services_fixture.h"

namespace tovex::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Stop = fakes::FakeServices::StopBehaviour;

const std::string kNotRunningEnd =
    "There must be already running some other service(s) on the same TCP/IP port(s). Please, make sure no other "
    "SMTP or POP3 servers are running (including MS SMTP and Norton POP3).";

class PhasesTest : public ServicesTest {
 protected:
  ServiceRun run;
  std::vector<std::string> captions;
  std::vector<std::string> comFolders;

  PhasesTest() {
    run.SetPhaseCaption = [this](const std::string& text) { captions.push_back(text); };
    run.RegisterComServers = [this](const std::string& folder) { comFolders.push_back(folder); };
  }

  // The driver's order: start types, checking twice, ..., install, verify,
  // start types back.
  void Installation() {
    SaveStartTypesBeforeUpgrade(context, run);
    CheckRunningServices(context, run);
    CheckRunningServices(context, run);
    InstallServices(context, run);
    VerifyServicesStarted(context, run);
    RestoreStartTypesAfterUpgrade(context, run);
  }
  void Upgrade(const std::string& previousVersion = "8.4.0") {
    run.IsUpgrade = true;
    run.PreviousVersion = previousVersion;
    run.PreviousInstallDir = kInstallPath;
    Installation();
  }
};

TEST_F(PhasesTest, FreshInstallationCreatesAndStartsEveryServer) {
  Installation();
  for (int index = 0; index < kServerCount; ++index) {
    SCOPED_TRACE(index);
    const auto* entry = services.Find(Name(index));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->state, service::kRunning);
    EXPECT_EQ(entry->programPath, Program(index));
    EXPECT_EQ(entry->displayName, std::string(kServerTable[index].displayName));
    EXPECT_EQ(registry.Description(Name(index)), std::string(kServerTable[index].description));
  }
  EXPECT_THAT(machine.user.shown, IsEmpty());
  EXPECT_THAT(comFolders, ElementsAre(kInstallPath));
  EXPECT_THAT(captions, ElementsAre("Checking For Running Services...", "Checking For Running Services...",
                                    "Installing Services...", "Starting Services...", "Finishing Installation..."));
  EXPECT_EQ(machine.user.processMessagesCalls, 2);
  EXPECT_EQ(machine.clock.ElapsedMs(), 3000u);  // the two pauses after checking
}

TEST_F(PhasesTest, RunningServersAreStoppedAndKeptNotRecreated) {
  AllExisting(service::kRunning);
  services.Find(Name(kImServer))->stopBehaviour = Stop::Ignore;
  services.calls.clear();
  CheckRunningServices(context, run);
  for (int index = 0; index < kServerCount; ++index) EXPECT_EQ(StateOf(index), service::kStopped) << index;
  EXPECT_EQ(machine.processes.terminated.size(), 1u);  // only im.exe
  EXPECT_THAT(run.ServiceCreateFlags, ElementsAre(false, false, false, false, false));
  EXPECT_THAT(services.CallsStartingWith("delete"), IsEmpty());

  InstallServices(context, run);
  EXPECT_THAT(services.CallsStartingWith("create"), IsEmpty());
  EXPECT_EQ(registry.keys.size(), 0u);  // descriptions not rewritten
  EXPECT_EQ(services.CallsStartingWith("start ").size(), 5u);
  EXPECT_THAT(machine.user.shown, IsEmpty());
}

TEST_F(PhasesTest, DisabledSmtpAroundAnUpgrade) {
  AllExisting(service::kRunning);
  services.Find(Name(kSmtpServer))->startType = service::kDisabled;
  services.Find(Name(kSmtpServer))->state = service::kStopped;
  std::vector<int32_t> smtpStartTypeDuringCheck;
  machine.user.onProcessMessages = [&] { smtpStartTypeDuringCheck.push_back(services.Find("TovexSMTP")->startType); };

  Upgrade();

  EXPECT_THAT(smtpStartTypeDuringCheck, ElementsAre(service::kAutoStart, service::kAutoStart));
  EXPECT_THAT(services.CallsStartingWith("start TovexSMTP"), IsEmpty());
  EXPECT_EQ(StateOf(kSmtpServer), service::kStopped);
  EXPECT_EQ(services.Find("TovexSMTP")->startType, service::kDisabled);
  for (int index = 1; index < kServerCount; ++index) {
    EXPECT_EQ(StateOf(index), service::kRunning) << index;
    EXPECT_EQ(services.Find(Name(index))->startType, service::kAutoStart) << index;
  }
  EXPECT_THAT(machine.user.shown, IsEmpty());
}

TEST_F(PhasesTest, DemandStartTypesComeBackAfterTheUpgrade) {
  AllExisting(service::kStopped);
  services.Find(Name(kPop3Server))->startType = service::kDemandStart;
  Upgrade();
  EXPECT_EQ(services.Find(Name(kPop3Server))->startType, service::kDemandStart);
  EXPECT_THAT(run.SavedStartTypes, ElementsAre(2, 3, 2, 2, 2));
  EXPECT_THAT(services.CallsStartingWith("start-type"),
              ElementsAre("start-type TovexSMTP 2", "start-type TovexPOP3 3", "start-type TovexControl 2",
                          "start-type TovexIM 2", "start-type TovexCalendar 2"));
}

TEST_F(PhasesTest, StartTypesAreLeftAloneOnAFreshInstallOrTheConsoleBranch) {
  AllExisting(service::kStopped);
  services.Find(Name(kSmtpServer))->startType = service::kDisabled;
  SaveStartTypesBeforeUpgrade(context, run);  // not an upgrade
  run.IsUpgrade = true;
  context.IsWindowsNT = false;
  SaveStartTypesBeforeUpgrade(context, run);
  RestoreStartTypesAfterUpgrade(context, run);
  EXPECT_THAT(run.SavedStartTypes, ElementsAre(-1, -1, -1, -1, -1));
  EXPECT_THAT(services.CallsStartingWith("start-type"), IsEmpty());
}

TEST_F(PhasesTest, ChangedInstallationFolderRecreatesTheStoppedServices) {
  for (int index = 0; index < kServerCount; ++index) {
    services.Add(Name(index), "D:\\Old\\" + std::string(kServerTable[index].programFile), service::kRunning);
  }
  run.IsUpgrade = true;
  run.PreviousVersion = "8.4.0";
  run.PreviousInstallDir = "D:\\Old\\";
  Installation();
  EXPECT_EQ(run.PreviousInstallDir, "");
  EXPECT_EQ(services.CallsStartingWith("delete").size(), 5u);  // in the first checking run only
  for (int index = 0; index < kServerCount; ++index) {
    EXPECT_EQ(services.Find(Name(index))->programPath, Program(index)) << index;
    EXPECT_EQ(StateOf(index), service::kRunning) << index;
  }
  EXPECT_THAT(machine.user.shown, IsEmpty());
}

TEST_F(PhasesTest, SameFolderSpelledDifferentlyIsNotAMove) {
  AllExisting(service::kStopped);
  run.PreviousInstallDir = "c:\\TOVEX";  // no backslash, other case
  CheckRunningServices(context, run);
  EXPECT_THAT(services.CallsStartingWith("delete"), IsEmpty());
}

TEST_F(PhasesTest, NoInstallMailDeletesSmtpAndPop3AndNeverListsThem) {
  AllExisting(service::kRunning);
  context.flags.NoInstallMail = true;
  Installation();
  EXPECT_FALSE(services.Exists(Name(kSmtpServer)));
  EXPECT_FALSE(services.Exists(Name(kPop3Server)));
  EXPECT_THAT(services.CallsStartingWith("create"), IsEmpty());
  EXPECT_THAT(services.CallsStartingWith("start TovexSMTP"), IsEmpty());
  EXPECT_THAT(services.CallsStartingWith("start TovexPOP3"), IsEmpty());
  EXPECT_THAT(machine.user.shown, IsEmpty());
}

TEST_F(PhasesTest, ExcludedServersAreDeletedWhenStopped) {
  AllExisting(service::kStopped);
  context.flags.NoInstallControl = true;
  context.flags.NoInstallIM = true;
  context.flags.NoInstallCalendar = true;
  CheckRunningServices(context, run);
  EXPECT_THAT(services.CallsStartingWith("delete"),
              ElementsAre("delete TovexControl", "delete TovexIM", "delete TovexCalendar"));
  EXPECT_TRUE(machine.files.FileExists("C:\\Tovex\\cal.exe"));
}

TEST_F(PhasesTest, OutdatedGroupWareServerIsReplaced) {
  AllExisting(service::kStopped);
  machine.files.AddFile("C:\\Tovex\\calendar.exe", "MZ");
  run.PreviousVersion = "8.1.6";
  CheckRunningServices(context, run);
  EXPECT_THAT(services.CallsStartingWith("delete"), ElementsAre("delete TovexCalendar"));
  EXPECT_FALSE(machine.files.FileExists("C:\\Tovex\\calendar.exe"));
  EXPECT_THAT(run.ServiceCreateFlags, ElementsAre(false, false, false, false, true));

  fakes::FakeMachine current;  // "8.1.7" is not outdated
  current.context.InstallPath = kInstallPath;
  current.services.Add("TovexCalendar", Program(4), service::kStopped);
  ServiceRun currentRun;
  currentRun.PreviousVersion = "8.1.7";
  CheckRunningServices(current.context, currentRun);
  EXPECT_TRUE(current.services.Exists("TovexCalendar"));
}

TEST_F(PhasesTest, SystemSmtpServiceIsMovedAsideAtVerification) {
  AllExisting(service::kRunning);
  services.Find(Name(kSmtpServer))->state = service::kStopped;
  services.Add("SMTPSVC", "C:\\Windows\\System32\\inetsrv\\inetinfo.exe", service::kRunning);
  services.calls.clear();
  VerifyServicesStarted(context, run);
  EXPECT_THAT(services.calls, ElementsAre("stop SMTPSVC", "start-type SMTPSVC 4", "start TovexSMTP"));
  EXPECT_EQ(services.Find("SMTPSVC")->state, service::kStopped);
  EXPECT_EQ(StateOf(kSmtpServer), service::kRunning);
  EXPECT_EQ(machine.clock.ElapsedMs(), 1500u);
  EXPECT_THAT(machine.user.shown, IsEmpty());
}

TEST_F(PhasesTest, SystemSmtpServiceIsLeftAloneWhenOursRuns) {
  AllExisting(service::kRunning);
  services.Add("SMTPSVC", "C:\\Windows\\System32\\inetsrv\\inetinfo.exe", service::kRunning);
  services.calls.clear();
  VerifyServicesStarted(context, run);
  EXPECT_THAT(services.calls, IsEmpty());
}

TEST_F(PhasesTest, NotRunningListEndsEachNameWithCrLf) {
  AllExisting(service::kRunning);
  services.Find(Name(kPop3Server))->state = service::kStopped;
  services.Find(Name(kImServer))->state = service::kStopped;
  services.Find(Name(kGroupWareServer))->state = service::kStopped;  // never reported
  VerifyServicesStarted(context, run);
  ASSERT_EQ(machine.user.shown.size(), 1u);
  EXPECT_EQ(machine.user.shown[0].caption, "Warning");
  EXPECT_EQ(machine.user.shown[0].text,
            "The following service(s) could not be started:\r\nTovex POP3 / IMAP\r\nTovex IM / VoIP\r\n\r\n" +
                kNotRunningEnd);
}

TEST_F(PhasesTest, AServerThatFailsToStartIsListed) {
  fakes::FakeMachine m;
  m.context.InstallPath = kInstallPath;
  ServiceRun r;
  r.ServiceCreateFlags.fill(false);  // the services exist, stopped
  for (int index = 0; index < kServerCount; ++index) m.services.Add(Name(index), Program(index), service::kStopped);
  m.services.Find("TovexControl")->diesOnStart = true;
  m.services.Find("TovexSMTP")->startError = 1053;
  InstallServices(m.context, r);
  VerifyServicesStarted(m.context, r);
  ASSERT_EQ(m.user.shown.size(), 2u);
  EXPECT_EQ(m.user.shown[0].text.rfind("Service error: Unknown error 1053", 0), 0u);
  EXPECT_EQ(m.user.shown[1].text, "The following service(s) could not be started:\r\nTovex SMTP\r\n"
                                  "Tovex Control / Web / FTP\r\n\r\n" + kNotRunningEnd);
}

TEST_F(PhasesTest, AServiceThatCannotBeStoppedShowsBothBoxesAndTheRunGoesOn) {
  AllExisting(service::kRunning);
  auto& stubborn = *services.Find(Name(kPop3Server));
  stubborn.stopBehaviour = Stop::Ignore;
  machine.processes.processes[stubborn.processId].terminable = false;  // not even by force

  Installation();

  EXPECT_EQ(StateOf(kPop3Server), service::kRunning);
  EXPECT_THAT(BoxTexts(), ElementsAre(::testing::StartsWith("Service error: The specified service already exists"),
                                      ::testing::StartsWith("Service error: An instance of the service is already running")));
  EXPECT_THAT(services.CallsStartingWith("create"), ElementsAre("create TovexPOP3"));
  EXPECT_THAT(captions.back(), "Finishing Installation...");
  // Two checking runs, each asking it twice: four stops, each waiting 10 s.
  EXPECT_EQ(services.CallsStartingWith("stop TovexPOP3").size(), 4u);
}

TEST_F(PhasesTest, ManagerCannotBeOpenedWarnsAndGoesOn) {
  services.managerError = service::kAccessDenied;
  services.connectFails = true;
  Installation();
  // Five creations and five starts, each with its warning; the verification
  // then lists the four checked servers.
  ASSERT_EQ(machine.user.shown.size(), 11u);
  EXPECT_THAT(machine.user.shown.back().text, ::testing::StartsWith("The following service(s) could not be started:"));
}

TEST_F(PhasesTest, ConsoleBranchClosesStartsAndVerifiesWindows) {
  context.IsWindowsNT = false;
  machine.windows.Open("TSMTPForm", "SMTP");
  machine.windows.Open("TControlForm", "Control", fakes::FakeWindows::CloseBehaviour::AfterDelay, 500);
  CheckRunningServices(context, run);
  EXPECT_TRUE(machine.windows.windows.empty());
  EXPECT_EQ(machine.clock.ElapsedMs(), 500u + 1500u);
  InstallServices(context, run);
  EXPECT_THAT(captions, ElementsAre("Checking For Running Services...", "Starting Services...",
                                    "Finishing Installation..."));
  EXPECT_EQ(shell.opened.size(), 5u);
  EXPECT_THAT(comFolders, ElementsAre(kInstallPath));
  VerifyServicesStarted(context, run);
  EXPECT_THAT(machine.user.shown, IsEmpty());
  EXPECT_TRUE(services.calls.empty());
}

TEST_F(PhasesTest, ConsoleBranchReportsMissingWindows) {
  context.IsWindowsNT = false;
  machine.files.Delete(Program(kImServer));
  InstallServices(context, run);
  VerifyServicesStarted(context, run);
  ASSERT_EQ(machine.user.shown.size(), 1u);
  EXPECT_EQ(machine.user.shown[0].text,
            "The following service(s) could not be started:\r\nTovex IM / VoIP\r\n\r\n" + kNotRunningEnd);
}

}  // namespace
}  // namespace tovex::testing
