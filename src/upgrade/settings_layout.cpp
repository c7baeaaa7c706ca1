#include "upgrade/settings_layout.h"

#include <algorithm>
#include <cstring>

namespace tovex {

std::string GetText(const uint8_t* record, TextField field) {
  const size_t length = std::min<size_t>(record[field.offset], field.MaxLength());
  return std::string(reinterpret_cast<const char*>(record + field.offset + 1), length);
}

void SetText(uint8_t* record, TextField field, std::string_view text) {
  const size_t length = std::min(text.size(), field.MaxLength());
  record[field.offset] = static_cast<uint8_t>(length);
  std::memcpy(record + field.offset + 1, text.data(), length);
}

uint16_t GetU16(const uint8_t* record, size_t offset) {
  return static_cast<uint16_t>(record[offset] | (record[offset + 1] << 8));
}

void SetU16(uint8_t* record, size_t offset, uint16_t value) {
  record[offset] = static_cast<uint8_t>(value);
  record[offset + 1] = static_cast<uint8_t>(value >> 8);
}

uint32_t GetU32(const uint8_t* record, size_t offset) {
  return static_cast<uint32_t>(record[offset]) | (static_cast<uint32_t>(record[offset + 1]) << 8) |
         (static_cast<uint32_t>(record[offset + 2]) << 16) | (static_cast<uint32_t>(record[offset + 3]) << 24);
}

void SetU32(uint8_t* record, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) record[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

double GetDouble(const uint8_t* record, size_t offset) {
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = (bits << 8) | record[offset + i];
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

void SetDouble(uint8_t* record, size_t offset, double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  for (int i = 0; i < 8; ++i) record[offset + i] = static_cast<uint8_t>(bits >> (8 * i));
}

void Scramble(uint8_t* data, size_t size, size_t start) {
  const auto& key = server_secrets::kSettingsKey;
  for (size_t i = 0; i < size; ++i) data[i] ^= key[(i + start) % key.size()];
}

}  // namespace tovex
