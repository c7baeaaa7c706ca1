#include "upgrade/blowfish.h"

#include <utility>

#include "upgrade/blowfish_tables.h"

namespace tovex {

Blowfish::Blowfish(std::string_view key) {
  for (size_t i = 0; i < 18; ++i) p_[i] = blowfish_tables::kP[i];
  for (size_t box = 0; box < 4; ++box) {
    for (size_t i = 0; i < 256; ++i) s_[box][i] = blowfish_tables::kS[box][i];
  }
  if (!key.empty()) {
    size_t at = 0;
    for (size_t i = 0; i < 18; ++i) {
      uint32_t word = 0;
      for (int b = 0; b < 4; ++b) {
        word = (word << 8) | static_cast<uint8_t>(key[at]);
        at = (at + 1) % key.size();
      }
      p_[i] ^= word;
    }
  }
  uint32_t left = 0, right = 0;
  for (size_t i = 0; i < 18; i += 2) {
    EncryptBlock(left, right);
    p_[i] = left;
    p_[i + 1] = right;
  }
  for (size_t box = 0; box < 4; ++box) {
    for (size_t i = 0; i < 256; i += 2) {
      EncryptBlock(left, right);
      s_[box][i] = left;
      s_[box][i + 1] = right;
    }
  }
}

uint32_t Blowfish::F(uint32_t x) const {
  return ((s_[0][x >> 24] + s_[1][(x >> 16) & 0xFF]) ^ s_[2][(x >> 8) & 0xFF]) + s_[3][x & 0xFF];
}

void Blowfish::EncryptBlock(uint32_t& left, uint32_t& right) const {
  for (size_t i = 0; i < 16; ++i) {
    left ^= p_[i];
    right ^= F(left);
    std::swap(left, right);
  }
  std::swap(left, right);
  right ^= p_[16];
  left ^= p_[17];
}

void Blowfish::DecryptBlock(uint32_t& left, uint32_t& right) const {
  for (size_t i = 17; i > 1; --i) {
    left ^= p_[i];
    right ^= F(left);
    std::swap(left, right);
  }
  std::swap(left, right);
  right ^= p_[1];
  left ^= p_[0];
}

namespace {
uint32_t Load(const uint8_t* b) {
  return (static_cast<uint32_t>(b[0]) << 24) | (static_cast<uint32_t>(b[1]) << 16) | (static_cast<uint32_t>(b[2]) << 8) | b[3];
}
void Store(uint8_t* b, uint32_t v) {
  b[0] = static_cast<uint8_t>(v >> 24);
  b[1] = static_cast<uint8_t>(v >> 16);
  b[2] = static_cast<uint8_t>(v >> 8);
  b[3] = static_cast<uint8_t>(v);
}
}  // namespace

void Blowfish::Encrypt(uint8_t block[8]) const {
  uint32_t left = Load(block), right = Load(block + 4);
  EncryptBlock(left, right);
  Store(block, left);
  Store(block + 4, right);
}

void Blowfish::Decrypt(uint8_t block[8]) const {
  uint32_t left = Load(block), right = Load(block + 4);
  DecryptBlock(left, right);
  Store(block, left);
  Store(block + 4, right);
}

}  // namespace tovex
