// The services contract against Wine's service manager, with the server
// peer in a folder with a blank as the program; the same cases hold the
// scripted service manager to it.
#include <windows.h>

#include "platform/win32/services_win32.h"
#include "shared/service_cases.h"

namespace tovex {
namespace {

// The service, stopped and deleted, also when a case failed half-way.
void RemoveLeftover(Services& services, const std::string& name) {
  auto manager = services.OpenManager(service::ManagerAccess::All);
  if (!manager) return;
  if (auto handle = manager->Open(name, service::kAllAccess)) {
    handle->Stop();
    for (int waited = 0; waited < 3000 && handle->QueryState() != service::kStopped; waited += 20) ::Sleep(20);
    handle->Remove();
  }
}

TEST(Win32ServicesContract, Lifecycle) {
  char temp[MAX_PATH + 1] = {};
  ::GetTempPathA(MAX_PATH, temp);
  const std::string pid = std::to_string(::GetCurrentProcessId());
  const std::string folder = std::string(temp) + "tovex contract " + pid + "\\";
  ::CreateDirectoryA(folder.c_str(), nullptr);
  std::string built = std::string("Z:") + TOVEX_SERVER_PEER;
  for (char& c : built) c = c == '/' ? '\\' : c;
  const std::string program = folder + "smtp.exe";
  ASSERT_TRUE(::CopyFileA(built.c_str(), program.c_str(), FALSE)) << built;

  win32::Win32Services services;
  const cases::ServiceCaseSetting setting{
      "TovexContract" + pid, program, [](const std::function<bool()>& condition) {
        for (int waited = 0; waited < 5000 && !condition(); waited += 20) ::Sleep(20);
        return condition();
      }};
  cases::ServiceLifecycleCases(services, setting);

  RemoveLeftover(services, setting.name);
  for (const char* file : {"smtp.exe", "smtp.log"}) {
    for (int waited = 0; waited < 3000 && !::DeleteFileA((folder + file).c_str()) &&
                         ::GetLastError() != ERROR_FILE_NOT_FOUND;
         waited += 20)
      ::Sleep(20);
  }
  ::RemoveDirectoryA(folder.c_str());
}

}  // namespace
}  // namespace tovex
