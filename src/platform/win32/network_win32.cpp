#include "platform/win32/network_win32.h"

#include "platform/win32/http_get_win32.h"

#include <windows.h>
#include <iphlpapi.h>

#include "platform/win32/scoped_handles.h"

namespace tovex::win32 {

std::vector<std::string> Win32Network::DnsServers() {
  std::vector<std::string> servers;
  unique_hmodule library(::LoadLibraryA("iphlpapi.dll"));
  if (!library) {
    lastError_ = ::GetLastError();
    return servers;
  }
  using GetNetworkParamsFunction = DWORD(WINAPI*)(PFIXED_INFO, PULONG);
  auto getNetworkParams = reinterpret_cast<GetNetworkParamsFunction>(
      reinterpret_cast<void*>(::GetProcAddress(library.get(), "GetNetworkParams")));
  if (getNetworkParams == nullptr) {
    lastError_ = ::GetLastError();
    return servers;
  }
  // The first call tells the size; the list of servers follows the record.
  ULONG size = 0;
  DWORD status = getNetworkParams(nullptr, &size);
  if (status != ERROR_BUFFER_OVERFLOW || size == 0) {
    lastError_ = status;
    return servers;
  }
  std::vector<unsigned char> buffer(size);
  auto* info = reinterpret_cast<FIXED_INFO*>(buffer.data());
  status = getNetworkParams(info, &size);
  if (status != ERROR_SUCCESS) {
    lastError_ = status;
    return servers;
  }
  for (const IP_ADDR_STRING* entry = &info->DnsServerList; entry != nullptr; entry = entry->Next) {
    std::string address(entry->IpAddress.String, strnlen(entry->IpAddress.String, sizeof entry->IpAddress.String));
    if (!address.empty()) servers.push_back(address);
  }
  lastError_ = 0;
  return servers;
}

std::unique_ptr<HttpResponse> Win32Network::HttpOpen(const std::string& url, uint32_t timeoutMs) {
  return WinInetOpen(url, timeoutMs, lastError_);
}

}  // namespace tovex::win32
