#include "common/setup_log.h"

#include <cmath>
#include <cstdio>

#include "common/civil_date.h"
#include "platform/clock.h"
#include "platform/files.h"

namespace tovex {

std::string FormatTimestamp(double now) {
  const int64_t days = static_cast<int64_t>(std::floor(now));
  int64_t seconds = static_cast<int64_t>(std::llround((now - static_cast<double>(days)) * 86400.0));
  if (seconds >= 86400) seconds = 86399;
  const CivilDate date = CivilDateOf(days);
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", date.year, date.month, date.day,
                static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                static_cast<int>(seconds % 60));
  return buffer;
}

SetupLog::~SetupLog() = default;

bool SetupLog::Attach(const std::string& path) {
  if (files_ == nullptr || IsAttached(path)) return false;
  std::unique_ptr<OutputFile> file = files_->CreateForWriting(path);
  if (!file) return false;
  for (const std::string& line : lines_) {
    const std::string withBreak = line + "\r\n";
    file->Write(withBreak.data(), withBreak.size());
  }
  targets_.push_back(Target{path, std::move(file)});
  return true;
}

bool SetupLog::IsAttached(const std::string& path) const {
  for (const Target& target : targets_) {
    if (target.path == path) return true;
  }
  return false;
}

void SetupLog::Write(std::string_view text) {
  std::string line = clock_ != nullptr ? FormatTimestamp(clock_->Now()).substr(11) + "  " : std::string();
  line += text;
  const std::string withBreak = line + "\r\n";
  for (Target& target : targets_) target.file->Write(withBreak.data(), withBreak.size());
  lines_.push_back(std::move(line));
}

void SetupLog::Failure(std::string_view what, uint32_t code, std::string_view systemText) {
  std::string text = "FAILED: ";
  text += what;
  text += " (error " + std::to_string(code);
  std::string reason(systemText);
  while (!reason.empty() && (reason.back() == '\r' || reason.back() == '\n' || reason.back() == ' ')) reason.pop_back();
  if (!reason.empty()) text += ": " + reason;
  text += ")";
  Write(text);
}

std::string SetupLog::Text() const {
  std::string text;
  for (const std::string& line : lines_) text += line + "\r\n";
  return text;
}

}  // namespace tovex
