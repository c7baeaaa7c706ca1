#pragma once
// What every pipes port promises (platform/pipes.h): run natively against
// FakePipes and under Wine against a real pipe server of the test. The
// server side is what each test supplies.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/pipes.h"

namespace tovex::cases {

// The server end of one pipe with a single instance.
class PipeServerSide {
 public:
  virtual ~PipeServerSide() = default;
  // The pipe exists and its instance waits for a client.
  virtual void Serve() = 0;
  // Another client holds the instance.
  virtual void Occupy() = 0;
  // That client lets go after the given time.
  virtual void ReleaseAfter(uint32_t ms) = 0;
  // The bytes of the last connection that carried any, once its client
  // closed and the instance waits again.
  virtual std::string LastRequest() = 0;
};

inline void PipeCases(Pipes& pipes, PipeServerSide& server, const std::string& path) {
  // No such pipe: neither a connection nor a wait.
  EXPECT_FALSE(pipes.Connect(path));
  EXPECT_EQ(pipes.LastError(), pipe::kFileNotFound);
  EXPECT_FALSE(pipes.WaitForFree(path, 50));
  EXPECT_EQ(pipes.LastError(), pipe::kFileNotFound);

  // A free instance: the wait returns at once, and the server has the bytes
  // once the client has closed its end.
  server.Serve();
  EXPECT_TRUE(pipes.WaitForFree(path, 1000));
  const std::string request("\x01\0\0\0\x05\x0f\0\0", 8);
  {
    auto connection = pipes.Connect(path);
    ASSERT_TRUE(connection) << pipes.LastError();
    size_t written = 0;
    ASSERT_TRUE(connection->Write(request.data(), request.size(), written)) << connection->LastError();
    EXPECT_EQ(written, request.size());
  }
  EXPECT_EQ(server.LastRequest(), request);

  // Every instance taken: busy, and a short wait runs out.
  server.Occupy();
  EXPECT_FALSE(pipes.Connect(path));
  EXPECT_EQ(pipes.LastError(), pipe::kPipeBusy);
  EXPECT_FALSE(pipes.WaitForFree(path, 100));
  EXPECT_EQ(pipes.LastError(), pipe::kSemTimeout);

  // Freed within the wait: the wait ends early and the next client gets in.
  server.ReleaseAfter(200);
  ASSERT_TRUE(pipes.WaitForFree(path, 10000)) << pipes.LastError();
  auto connection = pipes.Connect(path);
  ASSERT_TRUE(connection) << pipes.LastError();
  size_t written = 0;
  EXPECT_TRUE(connection->Write("x", 1, written));
  connection.reset();
  EXPECT_EQ(server.LastRequest(), "x");
}

}  // namespace tovex::cases
