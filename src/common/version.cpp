#include "common/version.h"

#include <string>

#include "common/text.h"

namespace tovex {

uint32_t FieldValue(std::string_view field) {
  size_t i = 0;
  while (i < field.size() && static_cast<unsigned char>(field[i]) <= ' ') ++i;
  bool negative = false;
  if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
    negative = field[i] == '-';
    ++i;
  }
  uint32_t base = 10;
  if (i < field.size() && (field[i] == '$' || field[i] == 'x' || field[i] == 'X')) {
    base = 16;
    ++i;
  } else if (i + 1 < field.size() && field[i] == '0' && (field[i + 1] == 'x' || field[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  uint32_t value = 0;
  for (; i < field.size(); ++i) {
    const char c = field[i];
    uint32_t digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<uint32_t>(c - '0');
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = static_cast<uint32_t>(c - 'a' + 10);
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = static_cast<uint32_t>(c - 'A' + 10);
    } else {
      break;
    }
    value = value * base + digit;
  }
  return negative ? 0u - value : value;
}

uint32_t VersionNumber(std::string_view text) {
  const std::vector<std::string> fields = Split(Trim(text), ".");
  auto field = [&](size_t index) { return index < fields.size() ? Trim(fields[index]) : std::string(); };
  const std::string patchAndBuild = field(2);
  const size_t dash = patchAndBuild.find('-');
  const std::string patch = patchAndBuild.substr(0, dash);
  const std::string build = dash == std::string::npos ? std::string() : patchAndBuild.substr(dash + 1);
  return FieldValue(field(0)) * 1000000u + FieldValue(field(1)) * 10000u + FieldValue(Trim(patch)) * 100u +
         FieldValue(Trim(build));
}

bool VersionAtLeast(std::string_view a, std::string_view b) { return VersionNumber(a) >= VersionNumber(b); }

}  // namespace tovex
