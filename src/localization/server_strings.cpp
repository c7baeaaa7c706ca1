#include "localization/server_strings.h"

#include <cstdint>
#include <memory>

#include "common/paths.h"
#include "common/text.h"
#include "localization/string_table.h"
#include "platform/files.h"
#include "platform/system.h"

namespace tovex {

namespace {

constexpr const char* kServerStringsFile = "strings.dat";
constexpr uint32_t kLastCodePoint = 0x10FFFF;

void AppendCode(std::string& out, uint32_t code, System* codePage) {
  if (code == 0 || code > kLastCodePoint || (code >= 0xD800 && code <= 0xDFFF)) return;
  if (code <= 0xFF) {
    out += static_cast<char>(code);
    return;
  }
  if (codePage == nullptr) return;
  std::string utf8;
  if (code < 0x800) {
    utf8 += static_cast<char>(0xC0 | (code >> 6));
  } else if (code < 0x10000) {
    utf8 += static_cast<char>(0xE0 | (code >> 12));
    utf8 += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
  } else {
    utf8 += static_cast<char>(0xF0 | (code >> 18));
    utf8 += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    utf8 += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
  }
  utf8 += static_cast<char>(0x80 | (code & 0x3F));
  out += codePage->Utf8ToAnsi(utf8);
}

// Where the value of a line ends: the next "=" outside quotes. A quoted run
// may hold "=", which must not cut the text short.
size_t ValueEnd(std::string_view line, size_t start) {
  bool quoted = false;
  for (size_t i = start; i < line.size(); ++i) {
    if (line[i] == '\'') quoted = !quoted;
    else if (line[i] == '=' && !quoted) return i;
  }
  return line.size();
}

}  // namespace

std::string DecodeQuotedValue(std::string_view quoted, System* codePage) {
  std::string out;
  size_t i = 0;
  while (i < quoted.size()) {
    const char c = quoted[i];
    if (c == '\'') {
      // A run without its closing quote runs to the end of the value.
      const size_t close = quoted.find('\'', i + 1);
      const size_t end = close == std::string_view::npos ? quoted.size() : close;
      out.append(quoted.substr(i + 1, end - i - 1));
      i = end == quoted.size() ? end : end + 1;
    } else if (c == '#' && i + 1 < quoted.size() && quoted[i + 1] >= '0' && quoted[i + 1] <= '9') {
      uint32_t code = 0;
      ++i;
      while (i < quoted.size() && quoted[i] >= '0' && quoted[i] <= '9') {
        if (code <= kLastCodePoint) code = code * 10 + static_cast<uint32_t>(quoted[i] - '0');
        ++i;
      }
      AppendCode(out, code, codePage);
    } else {
      ++i;
    }
  }
  return out;
}

std::vector<ServerStringLine> ParseServerStrings(std::string_view content, System* codePage) {
  std::vector<ServerStringLine> lines;
  for (const std::string& raw : Split(content, "\n")) {
    const std::string line = Trim(raw);
    const size_t equals = line.find('=');
    if (line.empty() || equals == std::string::npos) continue;
    std::string key = Trim(std::string_view(line).substr(0, equals));
    if (key.empty()) continue;
    const size_t end = ValueEnd(line, equals + 1);
    const std::string value = Trim(std::string_view(line).substr(equals + 1, end - equals - 1));
    lines.push_back(ServerStringLine{std::move(key), DecodeQuotedValue(value, codePage)});
  }
  return lines;
}

const std::string& ServerStrings::Text(std::string_view key) const {
  static const std::string kEmpty;
  const std::string lowered = LowerCase(key);
  for (const Entry& entry : entries_) {
    if (entry.key == lowered) return entry.value;
  }
  return kEmpty;
}

std::string* ServerStrings::Variable(std::string_view key, TLocalizationStrings& table) {
  const std::string lowered = LowerCase(key);
  for (Entry& entry : entries_) {
    if (entry.key == lowered) return &entry.value;
  }
  if (table.Find(lowered) != nullptr) return nullptr;
  entries_.push_back(Entry{lowered, std::string()});
  table.RegisterString(lowered, entries_.back().value);
  return &entries_.back().value;
}

bool LoadServerStrings(Files& files, const std::string& configFolder, TLocalizationStrings& table,
                       ServerStrings& strings, System* codePage) {
  const std::string path = IncludeTrailingBackslash(configFolder) + kServerStringsFile;
  if (!files.FileExists(path)) return false;
  std::unique_ptr<InputFile> file = files.OpenForReading(path);
  if (!file) return false;
  std::string content;
  char buffer[16384];
  for (;;) {
    size_t got = 0;
    if (!file->Read(buffer, sizeof buffer, got)) return false;
    if (got == 0) break;
    content.append(buffer, got);
  }
  for (ServerStringLine& line : ParseServerStrings(content, codePage)) {
    if (std::string* variable = strings.Variable(line.key, table)) *variable = std::move(line.value);
  }
  return true;
}

}  // namespace tovex
