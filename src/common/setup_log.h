#pragma once
// The setup log: a plain-text account of every phase, every change to the
// machine and every failure with the system's error text. It is what an
// administrator reads, or sends, after an installation went wrong.
//
// Lines are kept in memory and written at once to every attached file, so a
// process that ends abruptly still leaves its log behind. Attaching a file
// later (the installation folder's logs\ once it exists) writes the lines so
// far first.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"

namespace tovex {

class Clock;

class SetupLog {
 public:
  SetupLog() = default;
  SetupLog(Files* files, Clock* clock) : files_(files), clock_(clock) {}
  ~SetupLog();
  SetupLog(const SetupLog&) = delete;
  SetupLog& operator=(const SetupLog&) = delete;

  // Starts writing to the file as well (replacing an existing one). Returns
  // false, and keeps logging elsewhere, when it cannot be created.
  bool Attach(const std::string& path);
  bool IsAttached(const std::string& path) const;

  // One line, prefixed with the time of day.
  void Write(std::string_view text);
  // A failure: what was being done, the Windows code and the system's text.
  void Failure(std::string_view what, uint32_t code, std::string_view systemText);

  const std::vector<std::string>& Lines() const { return lines_; }
  // Every line so far, CR LF after each.
  std::string Text() const;

 private:
  struct Target {
    std::string path;
    std::unique_ptr<OutputFile> file;
  };
  Files* files_ = nullptr;
  Clock* clock_ = nullptr;
  std::vector<std::string> lines_;
  std::vector<Target> targets_;
};

// "YYYY-MM-DD hh:mm:ss" of a day-number-with-fraction time.
std::string FormatTimestamp(double now);

}  // namespace tovex
