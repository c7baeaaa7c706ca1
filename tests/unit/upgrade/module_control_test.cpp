// The module control channel on a fake machine: how a module is judged to
// run, the pipe request byte for byte, the busy-pipe wait, and the window
// messages.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fakes/fake_machine.h"
#include "system/server_table.h"
#include "upgrade/module_control.h"

namespace tovex {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::string Pipe(int id) { return "\\\\.\\pipe\\" + std::string(kServerTable[id].serviceName); }

std::string Bytes(std::initializer_list<uint32_t> words) {
  std::string bytes;
  for (uint32_t word : words) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>(word >> (8 * i)));
  }
  return bytes;
}

class ModuleControlTest : public ::testing::Test {
 protected:
  fakes::FakeMachine machine;
  SetupContext& context = machine.context;

  // The module runs as a service and serves its pipe.
  fakes::FakePipes::Server& RunAsService(int id) {
    machine.services.Add(std::string(kServerTable[id].serviceName),
                         "C:\\Tovex\\" + std::string(kServerTable[id].programFile), service::kRunning);
    return machine.pipes.Serve(Pipe(id));
  }
  WindowId OpenWindow(int id) {
    return machine.windows.Open(std::string(kServerTable[id].windowClass), std::string(kServerTable[id].windowTitle));
  }
};

TEST_F(ModuleControlTest, RequestLayout) {
  const auto request = ModuleRequest(1280, 0xF05, 17);
  EXPECT_EQ(std::string(request.begin(), request.end()), Bytes({0x1000, 0x500, 0xF05, 17, 0}));
}

TEST_F(ModuleControlTest, CommandToARunningServiceGoesThroughItsPipe) {
  auto& pipe = RunAsService(kGroupWareServer);
  EXPECT_EQ(SendModuleCommand(context, kGroupWareServer, kModuleMessage, 3845, 12), 1);
  EXPECT_THAT(pipe.requests, ElementsAre(Bytes({4096, 1280, 3845, 12, 0})));
  EXPECT_THAT(machine.windows.sent, IsEmpty());
}

TEST_F(ModuleControlTest, PartialWritesAreRepeatedUntilTheRequestIsWhole) {
  auto& pipe = RunAsService(kSmtpServer);
  pipe.maxWrite = 3;
  EXPECT_EQ(SendModuleCommand(context, kSmtpServer, kModuleMessage, 4, 16), 1);
  EXPECT_THAT(pipe.requests, ElementsAre(Bytes({4096, 1280, 4, 16, 0})));
}

TEST_F(ModuleControlTest, NothingIsSentToAModuleThatDoesNotRun) {
  machine.pipes.Serve(Pipe(kSmtpServer));  // a pipe, but no service and no window
  machine.services.Add("TovexPOP3", "C:\\Tovex\\pop3.exe", service::kStopped);
  EXPECT_EQ(SendModuleCommand(context, kSmtpServer, kModuleMessage, 2, 0), 0);
  EXPECT_EQ(SendModuleCommand(context, kPop3Server, kModuleMessage, 2, 0), 0);
  EXPECT_THAT(machine.pipes.delivered, IsEmpty());
}

TEST_F(ModuleControlTest, AnApplicationWithItsWindowCountsAsRunningButGetsThePipe) {
  machine.services.Add("TovexSMTP", "C:\\Tovex\\smtp.exe", service::kStopped);
  OpenWindow(kSmtpServer);
  auto& pipe = machine.pipes.Serve(Pipe(kSmtpServer));
  EXPECT_TRUE(IsModuleRunning(context, kSmtpServer));
  EXPECT_EQ(SendModuleCommand(context, kSmtpServer, kModuleMessage, 2, 9), 1);
  EXPECT_EQ(pipe.requests.size(), 1u);
  EXPECT_THAT(machine.windows.sent, IsEmpty());
}

TEST_F(ModuleControlTest, BusyPipeIsWaitedForAtMostTenSeconds) {
  auto& pipe = RunAsService(kControlServer);
  pipe.busyUntilMs = 4000;
  EXPECT_EQ(SendModuleCommand(context, kControlServer, kModuleMessage, 3, 0), 1);
  EXPECT_EQ(machine.clock.ElapsedMs(), 4000u);
  EXPECT_EQ(pipe.requests.size(), 1u);

  pipe.busyUntilMs = UINT64_MAX;
  EXPECT_EQ(SendModuleCommand(context, kControlServer, kModuleMessage, 3, 0), 0);
  EXPECT_EQ(machine.clock.ElapsedMs(), 14000u);
  EXPECT_EQ(pipe.requests.size(), 1u);
  EXPECT_THAT(machine.pipes.waits, ElementsAre(10000u, 10000u));
}

TEST_F(ModuleControlTest, MissingPipeOrFailedWriteDropsTheCommand) {
  machine.services.Add("TovexIM", "C:\\Tovex\\im.exe", service::kRunning);  // serves no pipe
  EXPECT_EQ(SendModuleCommand(context, kImServer, kModuleMessage, 2, 0), 0);
  EXPECT_THAT(machine.pipes.waits, IsEmpty());  // only a busy pipe is waited for
  auto& pipe = RunAsService(kPop3Server);
  pipe.writeError = 232;
  EXPECT_EQ(SendModuleCommand(context, kPop3Server, kModuleMessage, 2, 0), 0);
  EXPECT_THAT(machine.user.shown, IsEmpty());
}

TEST_F(ModuleControlTest, OtherSystemsUseTheWindow) {
  context.IsWindowsNT = false;
  RunAsService(kSmtpServer);  // the service manager is not asked
  const WindowId window = OpenWindow(kSmtpServer);
  EXPECT_EQ(SendModuleCommand(context, kSmtpServer, kModuleMessage, 2, 5), 1);
  EXPECT_EQ(SendModuleCommand(context, kPop3Server, kModuleMessage, 2, 5), 1);  // no window: nothing, still 1
  ASSERT_EQ(machine.windows.sent.size(), 1u);
  EXPECT_EQ(machine.windows.sent[0].window, window);
  EXPECT_EQ(machine.windows.sent[0].message, 1280u);
  EXPECT_EQ(machine.windows.sent[0].first, 2u);
  EXPECT_EQ(machine.windows.sent[0].second, 5);
  EXPECT_THAT(machine.pipes.delivered, IsEmpty());
  EXPECT_FALSE(IsModuleRunning(context, kPop3Server));
}

TEST_F(ModuleControlTest, WindowMessageReturnsTheAnswer) {
  const WindowId window = OpenWindow(kControlServer);
  machine.windows.windows[window].answer = 42;
  EXPECT_EQ(SendModuleWindowMessage(context, kControlServer, kModuleMessage, 3, 0), 42);
  EXPECT_EQ(SendModuleWindowMessage(context, kImServer, kModuleMessage, 3, 0), 0);
}

TEST_F(ModuleControlTest, BroadcastOrder) {
  for (int id = 0; id < kServerCount; ++id) RunAsService(id);
  BroadcastUpgradeStart(context);
  std::vector<std::string> order;
  for (const auto& delivery : machine.pipes.delivered) {
    order.push_back(delivery.path);
    EXPECT_EQ(delivery.bytes, Bytes({4096, 1280, 257, 0, 0}));
  }
  EXPECT_THAT(order, ElementsAre(Pipe(0), Pipe(1), Pipe(3), Pipe(4), Pipe(2)));
}

TEST_F(ModuleControlTest, ReloadGoesToWindowsEvenOfServices) {
  for (int id = 0; id < kServerCount; ++id) RunAsService(id);
  for (int id = 0; id < kServerCount; ++id) OpenWindow(id);
  machine.windows.Open("TIMForm", "Instant messaging");  // wrong caption: not the module
  NotifyModulesReload(context, false);
  NotifyModulesReload(context, true);
  std::vector<std::string> titles;
  for (const auto& message : machine.windows.sent) {
    titles.push_back(message.title);
    EXPECT_EQ(message.message, 1280u);
    EXPECT_EQ(message.first, 0u);
    EXPECT_EQ(message.second, 0);
  }
  EXPECT_THAT(titles, ElementsAre("SMTP", "POP3", "Instant Messaging", "GroupWare", "SMTP", "POP3",
                                  "Instant Messaging", "GroupWare", "Control"));
  EXPECT_THAT(machine.pipes.delivered, IsEmpty());
}

}  // namespace
}  // namespace tovex
