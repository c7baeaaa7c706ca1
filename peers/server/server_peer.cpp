// Stand-in for the five server programs (smtp.exe, pop3.exe, control.exe,
// im.exe, cal.exe: the program's own file name picks its row).
//
// Started by the service manager it runs as a service under the name the
// manager gives it; started otherwise it runs as a console program with the
// row's window class and title. Either way it serves "\\.\pipe\" + its
// service name, one client at a time, and keeps a window of its class and
// title (the modules do, also as services).
//
// Started with "/console", or on the Windows 95 family, it is the console
// program in any case.
//
// Everything it gets is appended to <program>.log beside it, one line each:
//   start service <name> | start console | pipe <hex bytes> |
//   message <msg> <first> <second> | stop | close | exit
//
// <program>.switches beside it, one word a line, read when it matters:
//   ignore-stop      the stop control and the close message are ignored
//   stop-slowly[=ms] stopping or closing takes that long (default 2000)
//   no-window        no window at all
//   fail-start       the service reports an error at once; a console exits
#include <windows.h>

#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

#include "system/server_table.h"

namespace {

constexpr UINT kModuleMessage = 1280;

std::string folder;        // of the program, with backslash
std::string programBase;   // "smtp"
tovex::ServerRow row;
std::string serviceName;   // as the manager named it, else the row's
std::mutex logLock;

SERVICE_STATUS_HANDLE statusHandle = nullptr;
SERVICE_STATUS status{};
HANDLE stopEvent = nullptr;
HWND mainWindow = nullptr;

void Record(const std::string& line) {
  const std::lock_guard<std::mutex> hold(logLock);
  const std::string path = folder + programBase + ".log";
  HANDLE file = ::CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::string text = line + "\r\n";
  DWORD written = 0;
  ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  ::CloseHandle(file);
}

std::string Switches() {
  const std::string path = folder + programBase + ".switches";
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "";
  char buffer[1024];
  DWORD got = 0;
  ::ReadFile(file, buffer, sizeof buffer - 1, &got, nullptr);
  ::CloseHandle(file);
  std::string text = "\n";
  text.append(buffer, got);
  text += '\n';
  return text;
}

bool Switch(const char* name) {
  const std::string text = Switches();
  std::string word = "\n";
  word += name;
  const size_t at = text.find(word);
  if (at == std::string::npos) return false;
  const char next = text[at + word.size()];
  return next == '\n' || next == '\r' || next == '=' || next == ' ';
}

DWORD SlowStopMs() {
  const std::string text = Switches();
  const size_t at = text.find("\nstop-slowly=");
  return at == std::string::npos ? 2000 : static_cast<DWORD>(std::strtoul(text.c_str() + at + 13, nullptr, 10));
}

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string text;
  for (unsigned char c : bytes) {
    text += digits[c >> 4];
    text += digits[c & 15];
  }
  return text;
}

// One client at a time: while a request is read, others find the pipe busy.
void ServePipe() {
  const std::string path = "\\\\.\\pipe\\" + serviceName;
  for (;;) {
    HANDLE pipe = ::CreateNamedPipeA(path.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT,
                                     1, 4096, 4096, 0, nullptr);
    if (pipe == INVALID_HANDLE_VALUE) {
      ::Sleep(50);
      continue;
    }
    if (::ConnectNamedPipe(pipe, nullptr) || ::GetLastError() == ERROR_PIPE_CONNECTED) {
      std::string request;
      char buffer[256];
      DWORD got = 0;
      while (::ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) request.append(buffer, got);
      Record("pipe " + Hex(request));
      ::DisconnectNamedPipe(pipe);
    }
    ::CloseHandle(pipe);
  }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM first, LPARAM second) {
  switch (message) {
    case kModuleMessage:
      Record("message " + std::to_string(message) + " " + std::to_string(first) + " " +
             std::to_string(static_cast<long long>(second)));
      return 1;
    case WM_CLOSE:
      Record("close");
      if (Switch("ignore-stop")) return 0;
      if (Switch("stop-slowly")) {
        ::SetTimer(window, 1, SlowStopMs(), nullptr);
        return 0;
      }
      ::DestroyWindow(window);
      return 0;
    case WM_TIMER:
      ::KillTimer(window, 1);
      ::DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcA(window, message, first, second);
  }
}

HWND CreateMainWindow() {
  const std::string className(row.windowClass);
  const std::string title(row.windowTitle);
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = ::GetModuleHandleA(nullptr);
  windowClass.lpszClassName = className.c_str();
  ::RegisterClassA(&windowClass);
  return ::CreateWindowExA(0, className.c_str(), title.c_str(), WS_OVERLAPPEDWINDOW, 10, 10, 300, 120, nullptr,
                           nullptr, windowClass.hInstance, nullptr);
}

void PumpMessages() {
  MSG message;
  while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
}

void Report(DWORD state, DWORD exitCode = NO_ERROR) {
  status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status.dwCurrentState = state;
  status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
  status.dwWin32ExitCode = exitCode;
  status.dwServiceSpecificExitCode = exitCode == ERROR_SERVICE_SPECIFIC_ERROR ? 1 : 0;
  status.dwWaitHint = state == SERVICE_STOP_PENDING ? 10000 : 0;
  ::SetServiceStatus(statusHandle, &status);
}

DWORD WINAPI ControlHandler(DWORD control, DWORD, LPVOID, LPVOID) {
  if (control == SERVICE_CONTROL_STOP || control == SERVICE_CONTROL_SHUTDOWN) {
    Record("stop");
    if (Switch("ignore-stop")) return NO_ERROR;
    if (Switch("stop-slowly")) {
      Report(SERVICE_STOP_PENDING);
      const DWORD delay = SlowStopMs();
      std::thread([delay] {
        ::Sleep(delay);
        ::SetEvent(stopEvent);
      }).detach();
      return NO_ERROR;
    }
    ::SetEvent(stopEvent);
    return NO_ERROR;
  }
  if (control == SERVICE_CONTROL_INTERROGATE) return NO_ERROR;
  return ERROR_CALL_NOT_IMPLEMENTED;
}

void WINAPI ServiceMain(DWORD argc, LPSTR* argv) {
  if (argc > 0 && argv[0] != nullptr && argv[0][0] != '\0') serviceName = argv[0];
  statusHandle = ::RegisterServiceCtrlHandlerExA(serviceName.c_str(), ControlHandler, nullptr);
  if (statusHandle == nullptr) return;
  Record("start service " + serviceName);
  if (Switch("fail-start")) {
    Report(SERVICE_STOPPED, ERROR_SERVICE_SPECIFIC_ERROR);
    return;
  }
  stopEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread(ServePipe).detach();
  if (!Switch("no-window")) {
    std::thread([] {
      mainWindow = CreateMainWindow();
      PumpMessages();
    }).detach();
  }
  Report(SERVICE_RUNNING);
  ::WaitForSingleObject(stopEvent, INFINITE);
  Record("exit");
  Report(SERVICE_STOPPED);
}

int RunConsole() {
  Record("start console");
  if (Switch("fail-start")) {
    Record("exit");
    return 1;
  }
  std::thread(ServePipe).detach();
  if (Switch("no-window")) {
    ::Sleep(INFINITE);
    return 0;
  }
  mainWindow = CreateMainWindow();
  PumpMessages();
  Record("exit");
  return 0;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  char path[MAX_PATH + 1] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string program = path;
  const size_t slash = program.find_last_of('\\');
  folder = program.substr(0, slash + 1);
  std::string file = program.substr(slash + 1);
  for (char& c : file) c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
  row = tovex::kServerTable[0];
  for (const auto& candidate : tovex::kServerTable) {
    if (file == candidate.programFile) row = candidate;
  }
  programBase = EndsWith(file, ".exe") ? file.substr(0, file.size() - 4) : file;
  serviceName = std::string(row.serviceName);

  // "/console" runs the console program beside a running service: Wine's
  // dispatcher would otherwise take it for the service started last and wait
  // on that service's control pipe.
  if (lstrcmpiA(commandLine, "/console") == 0) return RunConsole();
  // The Windows 95 family has no service manager: there the servers are
  // always console programs. (Asking Wine's dispatcher first would keep the
  // program waiting for seconds before its window exists.)
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof(version);
  if (::GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) return RunConsole();
  char emptyName[] = "";
  SERVICE_TABLE_ENTRYA table[] = {{emptyName, ServiceMain}, {nullptr, nullptr}};
  if (::StartServiceCtrlDispatcherA(table)) return 0;
  if (::GetLastError() != ERROR_FAILED_SERVICE_CONTROLLER_CONNECT) return 1;
  return RunConsole();
}
