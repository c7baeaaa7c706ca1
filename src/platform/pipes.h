#pragma once
// Pipes port: the client end of local named pipes ("\\.\pipe\" + name).
// Nothing throws; failures return nullptr or false and leave the Windows
// error code in LastError().

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tovex {

namespace pipe {
inline constexpr uint32_t kFileNotFound = 2;  // no such pipe
inline constexpr uint32_t kPipeBusy = 231;    // every instance is in use
inline constexpr uint32_t kSemTimeout = 121;  // the wait for a free instance ran out
}  // namespace pipe

// An open pipe; closed when destroyed.
class PipeConnection {
 public:
  virtual ~PipeConnection() = default;
  // One write call; written tells how much was taken (a pipe may take less).
  virtual bool Write(const void* data, size_t size, size_t& written) = 0;
  virtual uint32_t LastError() const = 0;
};

class Pipes {
 public:
  virtual ~Pipes() = default;
  // Opens an existing pipe for reading and writing, shared for reading;
  // nullptr on failure (kPipeBusy when every instance is taken).
  virtual std::unique_ptr<PipeConnection> Connect(const std::string& pipePath) = 0;
  // Waits until an instance of the pipe is free, at most timeoutMs; false
  // when none became free (kSemTimeout) or the pipe does not exist.
  virtual bool WaitForFree(const std::string& pipePath, uint32_t timeoutMs) = 0;
  virtual uint32_t LastError() const = 0;
};

}  // namespace tovex
