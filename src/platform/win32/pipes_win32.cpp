#include "platform/win32/pipes_win32.h"

#include <windows.h>

#include "platform/win32/scoped_handles.h"

namespace tovex::win32 {

namespace {

class Win32PipeConnection final : public PipeConnection {
 public:
  explicit Win32PipeConnection(HANDLE pipe) : pipe_(pipe) {}
  bool Write(const void* data, size_t size, size_t& written) override {
    DWORD done = 0;
    const BOOL ok = ::WriteFile(pipe_.get(), data, static_cast<DWORD>(size), &done, nullptr);
    written = done;
    lastError_ = ok ? 0 : ::GetLastError();
    return ok != FALSE;
  }
  uint32_t LastError() const override { return lastError_; }

 private:
  unique_hfile pipe_;
  uint32_t lastError_ = 0;
};

}  // namespace

std::unique_ptr<PipeConnection> Win32Pipes::Connect(const std::string& pipePath) {
  const HANDLE pipe = ::CreateFileA(pipePath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
  if (pipe == INVALID_HANDLE_VALUE) {
    lastError_ = ::GetLastError();
    return nullptr;
  }
  lastError_ = 0;
  return std::make_unique<Win32PipeConnection>(pipe);
}

bool Win32Pipes::WaitForFree(const std::string& pipePath, uint32_t timeoutMs) {
  const BOOL ok = ::WaitNamedPipeA(pipePath.c_str(), timeoutMs);
  lastError_ = ok ? 0 : ::GetLastError();
  return ok != FALSE;
}

}  // namespace tovex::win32
