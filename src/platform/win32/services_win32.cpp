#include "platform/win32/services_win32.h"

#include <windows.h>

#include <vector>

#include "platform/win32/scoped_handles.h"

namespace tovex::win32 {

namespace {

// The service manager reads its image path as a command line: unquoted, a
// path with blanks such as "C:\Program Files\Tovex\smtp.exe" would first be
// tried as "C:\Program.exe". The core speaks of bare paths; the quotes live
// only here.
std::string QuotedCommandLine(const std::string& programPath) {
  if (programPath.find(' ') == std::string::npos || programPath.front() == '"') return programPath;
  return "\"" + programPath + "\"";
}

std::string ProgramOfCommandLine(const std::string& commandLine) {
  if (commandLine.empty() || commandLine.front() != '"') return commandLine;
  const size_t closing = commandLine.find('"', 1);
  return commandLine.substr(1, closing == std::string::npos ? std::string::npos : closing - 1);
}

class Win32ServiceHandle final : public ServiceHandle {
 public:
  explicit Win32ServiceHandle(SC_HANDLE handle) : handle_(handle) {}

  std::optional<uint32_t> QueryState() override {
    SERVICE_STATUS status{};
    if (!::QueryServiceStatus(handle_.get(), &status)) return Fail<uint32_t>();
    return static_cast<uint32_t>(status.dwCurrentState);
  }

  bool Start() override { return Check(::StartServiceA(handle_.get(), 0, nullptr)); }

  bool Stop() override {
    SERVICE_STATUS status{};
    return Check(::ControlService(handle_.get(), SERVICE_CONTROL_STOP, &status));
  }

  std::optional<ServiceConfiguration> QueryConfiguration() override {
    // The fixed part and its strings come in one buffer; ask for its size
    // first (ERROR_INSUFFICIENT_BUFFER), then read it whole.
    DWORD needed = 0;
    ::QueryServiceConfigA(handle_.get(), nullptr, 0, &needed);
    if (needed == 0) return Fail<ServiceConfiguration>();
    std::vector<unsigned char> buffer(needed);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
    if (!::QueryServiceConfigA(handle_.get(), config, needed, &needed)) return Fail<ServiceConfiguration>();
    ServiceConfiguration result;
    result.startType = static_cast<int32_t>(config->dwStartType);
    if (config->lpBinaryPathName != nullptr) result.programPath = ProgramOfCommandLine(config->lpBinaryPathName);
    if (config->lpDisplayName != nullptr) result.displayName = config->lpDisplayName;
    lastError_ = 0;
    return result;
  }

  bool SetStartType(int32_t startType) override {
    return Check(::ChangeServiceConfigA(handle_.get(), SERVICE_NO_CHANGE, static_cast<DWORD>(startType),
                                        SERVICE_NO_CHANGE, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                        nullptr));
  }

  bool SetRestartOnFailure() override {
    using ChangeConfig2 = BOOL(WINAPI*)(SC_HANDLE, DWORD, LPVOID);
    const HMODULE advapi = ::GetModuleHandleA("advapi32.dll");
    const auto change = advapi == nullptr ? nullptr
                                          : reinterpret_cast<ChangeConfig2>(reinterpret_cast<void*>(
                                                ::GetProcAddress(advapi, "ChangeServiceConfig2W")));
    if (change == nullptr) {
      lastError_ = ERROR_PROC_NOT_FOUND;
      return false;
    }
    SC_ACTION restart{SC_ACTION_RESTART, 0};
    // The wide entry: Wine's ANSI one handles only the description, and the
    // failure actions carry no text of ours anyway.
    SERVICE_FAILURE_ACTIONSW actions{};
    actions.dwResetPeriod = 0;
    actions.lpRebootMsg = nullptr;
    actions.lpCommand = nullptr;
    actions.cActions = 1;
    actions.lpsaActions = &restart;
    return Check(change(handle_.get(), SERVICE_CONFIG_FAILURE_ACTIONS, &actions));
  }

  bool Remove() override { return Check(::DeleteService(handle_.get())); }

  uint32_t LastError() const override { return lastError_; }

 private:
  bool Check(BOOL ok) {
    lastError_ = ok ? 0 : ::GetLastError();
    return ok != FALSE;
  }
  template <typename T>
  std::optional<T> Fail() {
    lastError_ = ::GetLastError();
    return std::nullopt;
  }

  unique_schandle handle_;
  uint32_t lastError_ = 0;
};

class Win32ServiceManager final : public ServiceManager {
 public:
  explicit Win32ServiceManager(SC_HANDLE handle) : handle_(handle) {}

  std::unique_ptr<ServiceHandle> Open(const std::string& name, uint32_t access) override {
    const SC_HANDLE service = ::OpenServiceA(handle_.get(), name.c_str(), access);
    if (service == nullptr) {
      lastError_ = ::GetLastError();
      return nullptr;
    }
    lastError_ = 0;
    return std::make_unique<Win32ServiceHandle>(service);
  }

  std::unique_ptr<ServiceHandle> Create(const ServiceDefinition& definition) override {
    const SC_HANDLE service = ::CreateServiceA(
        handle_.get(), definition.name.c_str(), definition.displayName.c_str(), SERVICE_ALL_ACCESS,
        SERVICE_WIN32_OWN_PROCESS, static_cast<DWORD>(definition.startType), SERVICE_ERROR_NORMAL,
        QuotedCommandLine(definition.programPath).c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
    if (service == nullptr) {
      lastError_ = ::GetLastError();
      return nullptr;
    }
    lastError_ = 0;
    return std::make_unique<Win32ServiceHandle>(service);
  }

  uint32_t LastError() const override { return lastError_; }

 private:
  unique_schandle handle_;
  uint32_t lastError_ = 0;
};

}  // namespace

std::unique_ptr<ServiceManager> Win32Services::OpenManager(service::ManagerAccess access) {
  const DWORD rights = access == service::ManagerAccess::All ? SC_MANAGER_ALL_ACCESS : SC_MANAGER_CONNECT;
  const SC_HANDLE manager = ::OpenSCManagerA(nullptr, nullptr, rights);
  if (manager == nullptr) {
    lastError_ = ::GetLastError();
    return nullptr;
  }
  lastError_ = 0;
  return std::make_unique<Win32ServiceManager>(manager);
}

}  // namespace tovex::win32
