// The service, process, window and pipe adapters and the service phases
// against the real service manager of Wine, with the server peers
// (peers/server) as the five server programs.
//
// Where Wine differs from Windows: a service whose process was killed keeps
// reporting RUNNING, so the forced-termination test checks that the process
// is gone, not that the service stopped; DeleteService may take a few
// milliseconds to let the name go. Every service a test creates is deleted
// again, also when the test fails.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "common/context.h"
#include "common/setup_log.h"
#include "fakes/fake_user.h"
#include "localization/setup_strings.h"
#include "platform/registry.h"
#include "platform/win32/clock_win32.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/pipes_win32.h"
#include "platform/win32/processes_win32.h"
#include "platform/win32/services_win32.h"
#include "platform/win32/shell_win32.h"
#include "platform/win32/system_win32.h"
#include "platform/win32/windows_win32.h"
#include "system/server_services.h"
#include "system/server_table.h"
#include "system/service_phases.h"
#include "upgrade/module_control.h"

namespace tovex {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;

// Service descriptions land in HKLM; only what creation writes is needed.
class DescriptionRegistry final : public Registry {
 public:
  bool KeyExists(RegistryRoot, const std::string&) override { return false; }
  bool CreateKey(RegistryRoot, const std::string& key) override {
    HKEY handle = nullptr;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, Strip(key), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) !=
        ERROR_SUCCESS) {
      return false;
    }
    ::RegCloseKey(handle);
    return true;
  }
  bool DeleteKey(RegistryRoot, const std::string&) override { return false; }
  std::vector<std::string> SubKeyNames(RegistryRoot, const std::string&) override { return {}; }
  std::vector<std::string> ValueNames(RegistryRoot, const std::string&) override { return {}; }
  std::optional<RegistryValue> ReadValue(RegistryRoot, const std::string& key, const std::string& name) override {
    char buffer[1024];
    DWORD size = sizeof buffer;
    if (::RegGetValueA(HKEY_LOCAL_MACHINE, Strip(key), name.c_str(), RRF_RT_REG_SZ, nullptr, buffer, &size) !=
        ERROR_SUCCESS) {
      return std::nullopt;
    }
    return RegistryValue{RegistryValueType::String, std::string(buffer)};
  }
  bool WriteValue(RegistryRoot, const std::string& key, const std::string& name,
                  const RegistryValue& value) override {
    HKEY handle = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, Strip(key), 0, KEY_WRITE, &handle) != ERROR_SUCCESS) return false;
    const LONG result = ::RegSetValueExA(handle, name.c_str(), 0, REG_SZ,
                                         reinterpret_cast<const BYTE*>(value.data.c_str()),
                                         static_cast<DWORD>(value.data.size() + 1));
    ::RegCloseKey(handle);
    return result == ERROR_SUCCESS;
  }
  bool DeleteValue(RegistryRoot, const std::string&, const std::string&) override { return false; }
  uint32_t LastError() const override { return 0; }

  std::string Description(const std::string& service) {
    const auto value = ReadValue(RegistryRoot::LocalMachine, "System\\CurrentControlSet\\Services\\" + service,
                                 "Description");
    return value ? value->data : "<none>";
  }

 private:
  static const char* Strip(const std::string& key) { return key.c_str() + (key.rfind('\\', 0) == 0 ? 1 : 0); }
};

// The folder of the built peers: peers\server\ somewhere above this test.
std::string PeerFolder() {
  char path[MAX_PATH + 1] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder = path;
  for (;;) {
    const size_t slash = folder.find_last_of('\\');
    if (slash == std::string::npos) return "";
    folder.resize(slash);
    const std::string candidate = folder + "\\peers\\server\\";
    if (::GetFileAttributesA((candidate + "smtp.exe").c_str()) != INVALID_FILE_ATTRIBUTES) return candidate;
  }
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

template <typename Condition>
bool WaitFor(Condition condition, int milliseconds = 5000) {
  for (int waited = 0; waited < milliseconds; waited += 20) {
    if (condition()) return true;
    ::Sleep(20);
  }
  return condition();
}

std::string Hex(const std::array<uint8_t, kModuleRequestSize>& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string text;
  for (uint8_t byte : bytes) {
    text += digits[byte >> 4];
    text += digits[byte & 15];
  }
  return text;
}

class ServicesUnderWine : public ::testing::Test {
 protected:
  win32::Win32Files files;
  win32::Win32Clock clock;
  win32::Win32System system;
  fakes::FakeUser user;  // message boxes are recorded, not shown
  win32::Win32Services services;
  win32::Win32Processes processes;
  win32::Win32Windows windows;
  win32::Win32Pipes pipes;
  win32::Win32Shell shell;
  DescriptionRegistry registry;
  SetupStrings strings;
  SetupLog log{&files, &clock};
  SetupContext context;
  std::string sandbox;
  std::vector<std::string> created;  // services to delete afterwards

  void SetUp() override {
    context.platform = Platform{&files, &clock, &system, &user, &registry, &services, &processes, &windows, &pipes,
                                &shell, nullptr, nullptr};
    context.log = &log;
    context.strings = &strings;
    context.IsWindowsNT = true;
    const std::string peers = PeerFolder();
    ASSERT_FALSE(peers.empty()) << "the server peers are not built";
    sandbox = files.TempFolder() + "tovex-services-" + std::to_string(::GetCurrentProcessId()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name() + "\\";
    ::CreateDirectoryA(sandbox.c_str(), nullptr);
    for (const ServerRow& row : kServerTable) {
      const std::string file(row.programFile);
      ASSERT_TRUE(::CopyFileA((peers + file).c_str(), (sandbox + file).c_str(), FALSE)) << file;
    }
    context.InstallPath = sandbox;
  }

  void TearDown() override {
    const bool show = ::getenv("TOVEX_SHOW_LOG") != nullptr;
    const auto start = std::chrono::steady_clock::now();
    if (show) std::printf("%s", log.Text().c_str());
    for (const std::string& name : created) RemoveService(name);
    for (const ServerRow& row : kServerTable) TerminateProcessesByName(context, std::string(row.programFile));
    WaitFor([&] { return DeleteTreeQuietly(); }, 2000);
    if (show) {
      std::printf("teardown %lld ms\n", static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                                 std::chrono::steady_clock::now() - start)
                                                                 .count()));
    }
  }

  bool DeleteTreeQuietly() {
    for (const char* mask : {"*.exe", "*.log", "*.switches"}) {
      WIN32_FIND_DATAA entry;
      HANDLE find = ::FindFirstFileA((sandbox + mask).c_str(), &entry);
      if (find == INVALID_HANDLE_VALUE) continue;
      do ::DeleteFileA((sandbox + entry.cFileName).c_str());
      while (::FindNextFileA(find, &entry));
      ::FindClose(find);
    }
    return ::RemoveDirectoryA(sandbox.c_str()) != FALSE;
  }

  // Stops (by force if need be) and deletes the service, and waits until
  // the manager has let the name go.
  void RemoveService(const std::string& name) {
    auto manager = services.OpenManager(service::ManagerAccess::All);
    if (!manager) return;
    if (auto handle = manager->Open(name, service::kAllAccess)) {
      handle->Stop();
      WaitFor([&] { return handle->QueryState() == service::kStopped; }, 1000);
      handle->Remove();
    }
    WaitFor([&] { return manager->Open(name, service::kQueryStatus) == nullptr; }, 2000);
  }

  std::string LogOf(const std::string& programFile) {
    return ReadText(sandbox + programFile.substr(0, programFile.find('.')) + ".log");
  }
  bool LogHas(const std::string& programFile, const std::string& line) {
    return WaitFor([&] { return LogOf(programFile).find(line + "\r\n") != std::string::npos; });
  }
  bool Running(const std::string& name) {
    return WaitFor([&] { return QueryServiceState(context, name) == service::kRunning; });
  }
  std::string UniqueName(const char* what) { return std::string("TovexTest") + what + std::to_string(::GetCurrentProcessId()); }

  // A service of the given peer under a name of its own.
  void CreateTestService(const std::string& name, const std::string& programFile) {
    created.push_back(name);
    RemoveService(name);
    CreateServerService(context, {programFile, name, "Tovex Test " + name, "Test service " + name + "."});
    ASSERT_THAT(user.shown, IsEmpty());
  }
};

// A program path with blanks reaches the service manager quoted, so that
// "C:\Program.exe" is never tried, and comes back bare.
TEST_F(ServicesUnderWine, ProgramPathWithBlanksIsQuotedForTheManager) {
  const std::string name = UniqueName("Blanks");
  const std::string path = "C:\\Program Files\\Tovex Test\\smtp.exe";
  created.push_back(name);
  RemoveService(name);
  auto manager = services.OpenManager(service::ManagerAccess::All);
  ASSERT_TRUE(manager);
  ASSERT_TRUE(manager->Create({name, "Tovex Test " + name, path, service::kDemandStart})) << manager->LastError();

  auto handle = manager->Open(name, service::kQueryConfig);
  ASSERT_TRUE(handle);
  const auto configuration = handle->QueryConfiguration();
  ASSERT_TRUE(configuration);
  EXPECT_EQ(configuration->programPath, path);

  SC_HANDLE rawManager = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  SC_HANDLE rawService = ::OpenServiceA(rawManager, name.c_str(), SERVICE_QUERY_CONFIG);
  std::vector<unsigned char> buffer(8192);
  DWORD needed = 0;
  ASSERT_TRUE(::QueryServiceConfigA(rawService, reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data()),
                                    static_cast<DWORD>(buffer.size()), &needed));
  EXPECT_EQ(std::string(reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data())->lpBinaryPathName),
            "\"" + path + "\"");
  ::CloseServiceHandle(rawService);
  ::CloseServiceHandle(rawManager);
}

TEST_F(ServicesUnderWine, CreateStartPipeStopDelete) {
  const std::string name = UniqueName("Round");
  CreateTestService(name, "smtp.exe");

  {
    auto manager = services.OpenManager(service::ManagerAccess::Connect);
    ASSERT_TRUE(manager);
    auto handle = manager->Open(name, service::kQueryConfig);
    ASSERT_TRUE(handle);
    const auto configuration = handle->QueryConfiguration();
    ASSERT_TRUE(configuration);
    EXPECT_EQ(configuration->displayName, "Tovex Test " + name);
    EXPECT_EQ(configuration->programPath, sandbox + "smtp.exe");
    EXPECT_EQ(configuration->startType, service::kAutoStart);
  }
  EXPECT_EQ(registry.Description(name), "Test service " + name + ".");
  {
    // Wine keeps the failure actions but cannot report them back
    // (QueryServiceConfig2 answers 124 for them), so what is checked is that
    // setting them through the extended call succeeds.
    auto manager = services.OpenManager(service::ManagerAccess::All);
    auto handle = manager->Open(name, service::kAllAccess);
    ASSERT_TRUE(handle);
    EXPECT_TRUE(handle->SetRestartOnFailure()) << handle->LastError();
    EXPECT_THAT(log.Text(), ::testing::Not(HasSubstr("FAILED")));
  }

  EXPECT_EQ(ServiceStartType(context, name, true, service::kDemandStart), service::kAutoStart);
  EXPECT_EQ(ServiceStartType(context, name, false, -1), service::kDemandStart);

  {
    auto manager = services.OpenManager(service::ManagerAccess::All);
    auto handle = manager->Open(name, service::kStart);
    ASSERT_TRUE(handle);
    ASSERT_TRUE(handle->Start()) << handle->LastError();
  }
  ASSERT_TRUE(Running(name));
  EXPECT_TRUE(LogHas("smtp.exe", "start service " + name));

  // A module request arrives byte for byte.
  const auto request = ModuleRequest(kModuleMessage, 3845, 12);
  auto connection = pipes.Connect("\\\\.\\pipe\\" + name);
  ASSERT_TRUE(connection) << pipes.LastError();
  size_t written = 0;
  ASSERT_TRUE(connection->Write(request.data(), request.size(), written));
  EXPECT_EQ(written, request.size());
  connection.reset();
  EXPECT_TRUE(LogHas("smtp.exe", "pipe " + Hex(request)));

  const auto before = std::chrono::steady_clock::now();
  StopServer(context, kSmtpServer, name);
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(5));
  EXPECT_EQ(QueryServiceState(context, name), service::kStopped);
  EXPECT_TRUE(LogHas("smtp.exe", "stop"));
  EXPECT_TRUE(LogHas("smtp.exe", "exit"));

  DeleteServerService(context, name);
  EXPECT_TRUE(WaitFor([&] { return !QueryServiceState(context, name).has_value(); }, 2000));
  EXPECT_THAT(user.shown, IsEmpty());
}

TEST_F(ServicesUnderWine, PeerThatIgnoresStopIsTerminated) {
  const std::string name = UniqueName("Stubborn");
  WriteText(sandbox + "pop3.switches", "ignore-stop\r\n");
  CreateTestService(name, "pop3.exe");
  {
    auto manager = services.OpenManager(service::ManagerAccess::All);
    auto handle = manager->Open(name, service::kStart);
    ASSERT_TRUE(handle && handle->Start());
  }
  ASSERT_TRUE(Running(name));
  const auto countPop3 = [&] {
    size_t count = 0;
    for (uint32_t id : processes.ProcessIds().value_or(std::vector<uint32_t>{})) {
      const auto module = processes.MainModuleName(id);
      count += module && _stricmp(module->c_str(), "pop3.exe") == 0 ? 1 : 0;
    }
    return count;
  };
  ASSERT_EQ(countPop3(), 1u);

  const auto before = std::chrono::steady_clock::now();
  StopServer(context, kPop3Server, name);
  EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(9900));
  EXPECT_TRUE(WaitFor([&] { return countPop3() == 0; }, 2000));
  EXPECT_TRUE(LogHas("pop3.exe", "stop"));
  EXPECT_THAT(LogOf("pop3.exe"), ::testing::Not(HasSubstr("exit")));
  EXPECT_THAT(user.shown, IsEmpty());
}

// The five servers under their real names, through the installation phases.
class RealServicesUnderWine : public ServicesUnderWine {
 protected:
  void SetUp() override {
    ServicesUnderWine::SetUp();
    for (const ServerRow& row : kServerTable) {
      created.emplace_back(row.serviceName);
      RemoveService(std::string(row.serviceName));
    }
  }
};

TEST_F(RealServicesUnderWine, InstallVerifySendStopDelete) {
  WriteText(sandbox + "im.switches", "fail-start\r\n");
  ServiceRun run;
  CheckRunningServices(context, run);
  InstallServices(context, run);
  for (int index = 0; index < kServerCount; ++index) {
    const std::string name(kServerTable[index].serviceName);
    if (index == kImServer) continue;
    EXPECT_TRUE(Running(name)) << name;
    EXPECT_EQ(registry.Description(name), std::string(kServerTable[index].description));
  }
  EXPECT_TRUE(LogHas("im.exe", "start service TovexIM"));
  WaitFor([&] { return QueryServiceState(context, "TovexIM") == service::kStopped; }, 3000);

  VerifyServicesStarted(context, run);
  ASSERT_FALSE(user.shown.empty());
  EXPECT_EQ(user.shown.back().text.rfind("The following service(s) could not be started:\r\nTovex IM / VoIP\r\n\r\n", 0),
            0u)
      << user.shown.back().text;

  BroadcastUpgradeStart(context);
  EXPECT_EQ(SendModuleCommand(context, kGroupWareServer, kModuleMessage, 3845, 17), 1);
  EXPECT_EQ(SendModuleCommand(context, kImServer, kModuleMessage, 2, 0), 0);  // not running
  const std::string broadcast = "pipe " + Hex(ModuleRequest(kModuleMessage, 257, 0));
  for (const char* program : {"smtp.exe", "pop3.exe", "control.exe", "cal.exe"}) {
    EXPECT_TRUE(LogHas(program, broadcast)) << program;
  }
  EXPECT_TRUE(LogHas("cal.exe", "pipe " + Hex(ModuleRequest(kModuleMessage, 3845, 17))));
  EXPECT_THAT(LogOf("im.exe"), ::testing::Not(HasSubstr("pipe")));

  user.shown.clear();
  CheckRunningServices(context, run);
  for (int index = 0; index < kServerCount; ++index) {
    EXPECT_EQ(QueryServiceState(context, std::string(kServerTable[index].serviceName)), service::kStopped) << index;
    EXPECT_FALSE(run.ServiceCreateFlags[index]) << index;
  }
  EXPECT_THAT(user.shown, IsEmpty());

  DeleteStoppedServices(context);
  for (const ServerRow& row : kServerTable) {
    const std::string name(row.serviceName);
    EXPECT_TRUE(WaitFor([&] { return !QueryServiceState(context, name).has_value(); }, 2000)) << name;
  }
}

// The console branch of the Windows 95 family, which Wine cannot report to
// a 64-bit program by itself: the same calls with the branch flag cleared.
TEST_F(ServicesUnderWine, ConsoleBranchStartsFindsMessagesAndCloses) {
  context.IsWindowsNT = false;
  ServiceRun run;
  InstallServices(context, run);
  for (const ServerRow& row : kServerTable) {
    EXPECT_TRUE(WaitFor([&] {
      return windows.FindTopLevel(std::string(row.windowClass), std::string(row.windowTitle)) != 0;
    })) << row.windowTitle;
  }
  VerifyServicesStarted(context, run);
  EXPECT_THAT(user.shown, IsEmpty());

  NotifyModulesReload(context, true);
  EXPECT_EQ(SendModuleCommand(context, kControlServer, kModuleMessage, 3, 0), 1);
  for (const ServerRow& row : kServerTable) {
    EXPECT_TRUE(LogHas(std::string(row.programFile), "message 1280 0 0")) << row.programFile;
  }
  EXPECT_TRUE(LogHas("control.exe", "message 1280 3 0"));

  CheckRunningServices(context, run);
  for (const ServerRow& row : kServerTable) {
    EXPECT_EQ(windows.FindTopLevel(std::string(row.windowClass), std::string(row.windowTitle)), 0u) << row.windowTitle;
    EXPECT_TRUE(LogHas(std::string(row.programFile), "close")) << row.programFile;
  }
}

}  // namespace
}  // namespace tovex
