// The pipes contract against a real pipe server of this test under Wine;
// the same cases hold the scripted pipes to it.
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/pipes_win32.h"
#include "platform/win32/scoped_handles.h"
#include "shared/pipe_cases.h"

namespace tovex {
namespace {

using win32::unique_handle;
using win32::unique_hfile;

// One pipe instance served on its own thread: each client's bytes are read
// until it closes, then the instance waits for the next client.
class RealServerSide final : public cases::PipeServerSide {
 public:
  explicit RealServerSide(std::string path) : path_(std::move(path)) {}
  ~RealServerSide() override {
    ::SetEvent(stop_.get());
    if (releaser_.joinable()) releaser_.join();
    occupant_.reset();
    if (server_.joinable()) server_.join();
  }

  void Serve() override {
    pipe_.reset(::CreateNamedPipeA(path_.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                   PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr));
    ASSERT_TRUE(pipe_) << ::GetLastError();
    server_ = std::thread([this] { ServeClients(); });
    while (!listening_) ::Sleep(1);
  }
  void Occupy() override {
    occupant_.reset(::CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(occupant_) << ::GetLastError();
  }
  void ReleaseAfter(uint32_t ms) override {
    releaser_ = std::thread([this, ms] {
      ::Sleep(ms);
      occupant_.reset();
    });
  }
  std::string LastRequest() override {
    for (int waited = 0; waited < 10000; waited += 10) {
      {
        const std::lock_guard<std::mutex> hold(lock_);
        for (; seen_ < requests_.size(); ++seen_) {
          if (!requests_[seen_].empty()) return requests_[seen_++];
        }
      }
      ::Sleep(10);
    }
    return "(nothing arrived)";
  }

 private:
  // Waits for a pending operation; false when it failed or the test ends.
  bool Await(OVERLAPPED& overlapped, DWORD& done) {
    HANDLE waits[] = {overlapped.hEvent, stop_.get()};
    if (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
      ::CancelIo(pipe_.get());
      ::GetOverlappedResult(pipe_.get(), &overlapped, &done, TRUE);
      return false;
    }
    return ::GetOverlappedResult(pipe_.get(), &overlapped, &done, FALSE) != FALSE;
  }

  void ServeClients() {
    unique_handle event(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::string finished;
    bool haveFinished = false;
    for (;;) {
      OVERLAPPED overlapped{};
      overlapped.hEvent = event.get();
      ::ResetEvent(event.get());
      const BOOL connectedAtOnce = ::ConnectNamedPipe(pipe_.get(), &overlapped);
      const DWORD error = connectedAtOnce ? 0 : ::GetLastError();
      // A client that connected, wrote and closed before the instance was
      // told to listen (ERROR_NO_DATA) is read like any other.
      if (!connectedAtOnce && error != ERROR_IO_PENDING && error != ERROR_PIPE_CONNECTED && error != ERROR_NO_DATA) {
        return;
      }
      listening_ = true;
      // The instance listens again: only now is the last client's request
      // shown, so that a test never meets the instance between two clients.
      if (haveFinished) {
        const std::lock_guard<std::mutex> hold(lock_);
        requests_.push_back(finished);
        haveFinished = false;
      }
      DWORD done = 0;
      if (error == ERROR_IO_PENDING && !Await(overlapped, done)) return;
      finished.clear();
      char buffer[512];
      for (;;) {
        ::ResetEvent(event.get());
        done = 0;
        const BOOL read = ::ReadFile(pipe_.get(), buffer, sizeof buffer, nullptr, &overlapped);
        if (!read && ::GetLastError() != ERROR_IO_PENDING) break;  // the client closed its end
        if (!Await(overlapped, done)) {
          if (::WaitForSingleObject(stop_.get(), 0) == WAIT_OBJECT_0) return;
          break;
        }
        if (done == 0) break;  // the end of what the client wrote
        finished.append(buffer, done);
      }
      haveFinished = true;
      ::DisconnectNamedPipe(pipe_.get());
    }
  }

  std::string path_;
  unique_hfile pipe_;
  unique_hfile occupant_;
  unique_handle stop_{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
  std::atomic<bool> listening_{false};
  std::thread server_;
  std::thread releaser_;
  std::mutex lock_;
  std::vector<std::string> requests_;
  size_t seen_ = 0;
};

TEST(Win32PipesContract, ConnectWaitAndDeliver) {
  const std::string path = "\\\\.\\pipe\\TovexContract" + std::to_string(::GetCurrentProcessId());
  win32::Win32Pipes pipes;
  RealServerSide server(path);
  cases::PipeCases(pipes, server, path);
}

}  // namespace
}  // namespace tovex
