#include "common/setup_log.h"

#include <cmath>
#include <cstdio>

#include "platform/clock.h"
#include "platform/files.h"

namespace tovex {

namespace {

// Days since 1899-12-30 to a civil date (Howard Hinnant's algorithm, shifted
// from the Unix epoch, which is day 25569).
void CivilFromDays(int64_t days, int& year, int& month, int& day) {
  int64_t z = days - 25569 + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

}  // namespace

std::string FormatTimestamp(double now) {
  const int64_t days = static_cast<int64_t>(std::floor(now));
  int64_t seconds = static_cast<int64_t>(std::llround((now - static_cast<double>(days)) * 86400.0));
  if (seconds >= 86400) seconds = 86399;
  int year, month, day;
  CivilFromDays(days, year, month, day);
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day,
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
