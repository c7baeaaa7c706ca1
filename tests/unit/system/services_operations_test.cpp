// Operations on one server: stopping with its timeout and forced
// termination, creation with description and failure actions, start types,
// the console branch, and the service error box.
#include "fakes/fake_machine.h"
#include "unit/system/services_fixture.h"

namespace tovex::testing {
namespace {

using ::testing::ElementsAre;
using Stop = fakes::FakeServices::StopBehaviour;

const std::string kAdvice =
    "\r\nThere might be already some service running on the same TCP/IP port. Make sure MS SMTP, Norton Antivirus "
    "POP3 or some other mail server is not running on this machine.";

TEST_F(ServicesTest, StopAtOnceReturnsAfterTheFirstStatusRead) {
  Existing(kSmtpServer, service::kRunning);
  StopServer(context, kSmtpServer);
  EXPECT_EQ(StateOf(kSmtpServer), service::kStopped);
  EXPECT_EQ(machine.clock.ElapsedMs(), 0u);
  EXPECT_TRUE(machine.processes.terminated.empty());
  EXPECT_TRUE(machine.user.shown.empty());
}

TEST_F(ServicesTest, SlowStopIsWaitedForWithoutTermination) {
  auto& smtp = Existing(kSmtpServer, service::kRunning);
  smtp.stopBehaviour = Stop::AfterDelay;
  smtp.stopDelayMs = 4000;
  StopServer(context, kSmtpServer);
  EXPECT_EQ(StateOf(kSmtpServer), service::kStopped);
  EXPECT_GE(machine.clock.ElapsedMs(), 4000u);
  EXPECT_LT(machine.clock.ElapsedMs(), 4100u);
  EXPECT_TRUE(machine.processes.terminated.empty());
}

TEST_F(ServicesTest, IgnoredStopTerminatesEveryProcessOfTheProgramAfterTenSeconds) {
  auto& smtp = Existing(kSmtpServer, service::kRunning);
  smtp.stopBehaviour = Stop::Ignore;
  // Another copy of the program, someone else's, and an unrelated program.
  const uint32_t other = machine.processes.Launch("SMTP.EXE");
  const uint32_t unrelated = machine.processes.Launch("pop3.exe");
  const uint32_t hidden = machine.processes.Launch("smtp.exe", /*openable=*/false);

  StopServer(context, kSmtpServer);

  EXPECT_GE(machine.clock.ElapsedMs(), 10000u);
  EXPECT_LT(machine.clock.ElapsedMs(), 10100u);
  EXPECT_EQ(machine.processes.CountNamed("smtp.exe"), 1u);  // only the one that cannot be opened
  EXPECT_TRUE(machine.processes.IsRunning(unrelated));
  EXPECT_TRUE(machine.processes.IsRunning(hidden));
  EXPECT_FALSE(machine.processes.IsRunning(other));
  EXPECT_EQ(StateOf(kSmtpServer), service::kStopped);  // Windows sees the killed service stopped
  EXPECT_FALSE(machine.processes.privilegesEnabled.empty());
  EXPECT_EQ(machine.processes.privilegesEnabled.front(), "SeDebugPrivilege");
  EXPECT_TRUE(machine.user.shown.empty());
}

TEST_F(ServicesTest, StopFailuresAndSilences) {
  struct Case {
    const char* trace;
    uint32_t managerError;
    bool serviceExists;
    uint32_t stopControlError;
    size_t boxes;
  };
  const Case cases[] = {
      {"manager refused", 5, true, 0, 1},
      {"no such service", 0, false, 0, 0},
      {"stop control refused", 0, true, service::kServiceCannotAcceptControl, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.trace);
    fakes::FakeMachine m;
    m.context.InstallPath = kInstallPath;
    if (c.serviceExists) {
      m.services.Add("TovexSMTP", Program(0), service::kRunning).stopControlError = c.stopControlError;
    }
    m.services.managerError = c.managerError;
    StopServer(m.context, kSmtpServer);
    EXPECT_EQ(m.user.shown.size(), c.boxes);
    EXPECT_EQ(m.clock.ElapsedMs(), 0u);
  }
}

TEST_F(ServicesTest, TerminationExaminesEveryProcessBeyondTheFirstThousand) {
  for (int i = 0; i < 1500; ++i) machine.processes.Launch("other.exe");
  const uint32_t late = machine.processes.Launch("Control.EXE");
  EXPECT_TRUE(TerminateProcessesByName(context, "control"));  // ".exe" added, case ignored
  EXPECT_FALSE(machine.processes.IsRunning(late));
  EXPECT_EQ(machine.processes.processes.size(), 1500u);
}

TEST_F(ServicesTest, TerminationResults) {
  EXPECT_FALSE(TerminateProcessesByName(context, "smtp.exe"));  // nothing matched
  const uint32_t id = machine.processes.Launch("smtp.exe");
  machine.processes.processes[id].terminable = false;
  EXPECT_FALSE(TerminateProcessesByName(context, "smtp.exe"));
  machine.processes.Launch("smtp.exe");
  machine.processes.processes[id].terminable = true;
  EXPECT_TRUE(TerminateProcessesByName(context, "smtp.exe"));
  machine.processes.Launch("smtp.exe");
  machine.processes.libraryMissing = true;
  EXPECT_FALSE(TerminateProcessesByName(context, "smtp.exe"));
  EXPECT_EQ(machine.processes.CountNamed("smtp.exe"), 1u);
}

TEST_F(ServicesTest, CreateWritesTheServiceItsDescriptionAndFailureActions) {
  CreateServerService(context, {"control.exe", "TovexControl", "Tovex Control / Web / FTP", "Remote things."});
  const auto* created = services.Find("TovexControl");
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(created->displayName, "Tovex Control / Web / FTP");
  EXPECT_EQ(created->programPath, "C:\\Tovex\\control.exe");
  EXPECT_EQ(created->startType, service::kAutoStart);
  EXPECT_TRUE(created->restartOnFailure);
  EXPECT_EQ(registry.Description("TovexControl"), "Remote things.");
  EXPECT_TRUE(machine.user.shown.empty());
}

TEST_F(ServicesTest, CreatingAnExistingServiceRefreshesItsDescriptionAndReports) {
  Existing(kSmtpServer, service::kStopped).restartOnFailure = false;
  CreateServerService(context, {"smtp.exe", "TovexSMTP", "Tovex SMTP", "New text."});
  EXPECT_EQ(registry.Description("TovexSMTP"), "New text.");
  EXPECT_FALSE(services.Find("TovexSMTP")->restartOnFailure);
  EXPECT_THAT(BoxTexts(), ElementsAre("Service error: The specified service already exists" + kAdvice));
  EXPECT_EQ(machine.user.shown[0].caption, "Warning");
  EXPECT_EQ(machine.user.shown[0].icon, MessageIcon::Warning);
}

TEST_F(ServicesTest, CreateWithoutExtendedConfigurationOrRegistryStillCreates) {
  services.noExtendedConfiguration = true;
  registry.failWrites = true;
  CreateServerService(context, {"im.exe", "TovexIM", "Tovex IM / VoIP", "d"});
  ASSERT_TRUE(services.Exists("TovexIM"));
  EXPECT_FALSE(services.Find("TovexIM")->restartOnFailure);
  EXPECT_TRUE(machine.user.shown.empty());
}

TEST_F(ServicesTest, ManagerRefusedForCreateAndDeleteShowsTheBox) {
  services.managerError = service::kAccessDenied;
  CreateServerService(context, {"im.exe", "TovexIM", "Tovex IM / VoIP", "d"});
  DeleteServerService(context, "TovexIM");
  EXPECT_THAT(BoxTexts(), ElementsAre("Service error: Access is denied" + kAdvice,
                                      "Service error: Access is denied" + kAdvice));
  EXPECT_TRUE(services.CallsStartingWith("create").empty());
}

TEST_F(ServicesTest, DeleteIsSilentForAMissingServiceAndReportsAFailure) {
  DeleteServerService(context, "TovexIM");
  EXPECT_TRUE(machine.user.shown.empty());
  Existing(kImServer, service::kStopped).deleteError = service::kServiceMarkedForDelete;
  DeleteServerService(context, "TovexIM");
  EXPECT_THAT(BoxTexts(), ElementsAre("Service error: The specified service has been marked for deletion" + kAdvice));
}

TEST_F(ServicesTest, StartReportsEveryFailureAndDoesNotWait) {
  StartServer(context, kPop3Server);  // no such service
  Existing(kPop3Server, service::kRunning);
  StartServer(context, kPop3Server);  // already running
  EXPECT_THAT(BoxTexts(),
              ElementsAre("Service error: The specified service does not exist as an installed service" + kAdvice,
                          "Service error: An instance of the service is already running" + kAdvice));
  EXPECT_EQ(machine.clock.ElapsedMs(), 0u);
}

TEST_F(ServicesTest, StartTypeReadChangeAndTheNothingCase) {
  Existing(kImServer, service::kStopped, service::kDisabled);
  EXPECT_EQ(ServiceStartType(context, "TovexIM", false, -1), service::kDisabled);
  EXPECT_EQ(ServiceStartType(context, "TovexIM", true, service::kDemandStart), service::kDisabled);
  EXPECT_EQ(services.Find("TovexIM")->startType, service::kDemandStart);
  EXPECT_EQ(ServiceStartType(context, "TovexIM", true, -1), -1);
  EXPECT_EQ(services.Find("TovexIM")->startType, service::kDemandStart);
  EXPECT_EQ(ServiceStartType(context, "TovexNone", false, -1), -1);
  services.managerError = 5;
  services.connectFails = true;
  EXPECT_EQ(ServiceStartType(context, "TovexIM", false, -1), -1);
  EXPECT_TRUE(machine.user.shown.empty());
}

TEST_F(ServicesTest, DisableIsSilent) {
  services.Add("SMTPSVC", "C:\\Windows\\inetsrv\\inetinfo.exe", service::kStopped);
  DisableService(context, "SMTPSVC");
  EXPECT_EQ(services.Find("SMTPSVC")->startType, service::kDisabled);
  DisableService(context, "Missing");
  services.managerError = 5;
  DisableService(context, "SMTPSVC");
  EXPECT_TRUE(machine.user.shown.empty());
}

TEST_F(ServicesTest, QueryNeedsOnlyTheConnectRight) {
  Existing(kSmtpServer, service::kRunning);
  services.managerError = 5;  // full access refused, connecting allowed
  EXPECT_EQ(QueryServiceState(context, "TovexSMTP"), service::kRunning);
  Existing(kPop3Server, service::kStopped).openError = 5;
  EXPECT_EQ(QueryServiceState(context, "TovexPOP3"), std::nullopt);
  EXPECT_FALSE(DetectServer(context, kPop3Server).found);
}

TEST(ServiceErrorText, TrimsTheSystemTextAsShown) {
  EXPECT_EQ(ServiceErrorText("Access is denied.\r\n"), "Access is denied");
  EXPECT_EQ(ServiceErrorText("Ends in dots... \t\r\n"), "Ends in dots");
  EXPECT_EQ(ServiceErrorText(""), "");
  EXPECT_EQ(ServiceErrorText(std::string(300, 'x')).size(), 256u);
  EXPECT_EQ(ServiceErrorText(std::string(255, 'x') + ".\r\n"), std::string(255, 'x'));
}

TEST(ServiceErrorBox, UsesTheLocalizedTexts) {
  fakes::FakeMachine m;
  m.strings.cServiceError = "Dienstfehler: ";
  m.strings.cErrorText = " (Hinweis)";
  ReportServiceError(m.context, 5, "test");
  ASSERT_EQ(m.user.shown.size(), 1u);
  EXPECT_EQ(m.user.shown[0].text, "Dienstfehler: Access is denied (Hinweis)");
  EXPECT_EQ(m.user.shown[0].caption, "Warning");
  EXPECT_EQ(m.user.shown[0].buttons, MessageButtons::Ok);
}

class ConsoleTest : public ServicesTest {
 protected:
  ConsoleTest() { context.IsWindowsNT = false; }
};

TEST_F(ConsoleTest, DetectStartAndStopThroughWindows) {
  EXPECT_FALSE(DetectServer(context, kImServer).found);
  StartServer(context, kImServer);
  ASSERT_EQ(shell.opened.size(), 1u);
  EXPECT_EQ(shell.opened[0].target, "C:\\Tovex\\im.exe");
  EXPECT_EQ(shell.opened[0].parameters, "");
  EXPECT_EQ(shell.opened[0].folder, "C:\\Tovex\\");
  EXPECT_TRUE(DetectServer(context, kImServer).found);

  StopServer(context, kImServer);
  EXPECT_FALSE(DetectServer(context, kImServer).found);
  ASSERT_EQ(machine.windows.sent.size(), 1u);
  EXPECT_EQ(machine.windows.sent[0].message, kCloseMessage);
  EXPECT_EQ(machine.clock.ElapsedMs(), 0u);
  EXPECT_TRUE(services.calls.empty());
}

TEST_F(ConsoleTest, MissingProgramIsNotLaunched) {
  machine.files.Delete(Program(kControlServer));
  StartServer(context, kControlServer);
  EXPECT_TRUE(shell.opened.empty());
  EXPECT_TRUE(machine.user.shown.empty());
}

TEST_F(ConsoleTest, CloseWaitsForTheWindowAtMostTenSeconds) {
  machine.windows.Open("TSMTPForm", "SMTP", fakes::FakeWindows::CloseBehaviour::AfterDelay, 3000);
  StopServer(context, kSmtpServer);
  EXPECT_FALSE(machine.windows.IsOpen("TSMTPForm", "SMTP"));
  EXPECT_GE(machine.clock.ElapsedMs(), 3000u);
  EXPECT_LT(machine.clock.ElapsedMs(), 3100u);

  const uint64_t before = machine.clock.ElapsedMs();
  machine.windows.Open("TSMTPForm", "SMTP", fakes::FakeWindows::CloseBehaviour::Ignore);
  StopServer(context, kSmtpServer);
  EXPECT_TRUE(machine.windows.IsOpen("TSMTPForm", "SMTP"));
  EXPECT_GE(machine.clock.ElapsedMs() - before, 10000u);
  EXPECT_LT(machine.clock.ElapsedMs() - before, 10100u);
  EXPECT_TRUE(machine.processes.terminated.empty());  // a console is never terminated
}

TEST_F(ConsoleTest, AWindowWithAnotherTitleIsNotTheServer) {
  machine.windows.Open("TSMTPForm", "SMTP - old");
  EXPECT_FALSE(DetectServer(context, kSmtpServer).found);
  StopServer(context, kSmtpServer);
  EXPECT_TRUE(machine.windows.sent.empty());
}

}  // namespace
}  // namespace tovex::testing
