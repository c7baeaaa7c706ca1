#pragma once
// Blowfish block cipher (64-bit blocks, keys of 1 to 72 bytes). Windows has
// no provider for it, so this compact one is checked against the published
// test vectors.

#include <array>
#include <cstdint>
#include <string_view>

namespace tovex {

class Blowfish {
 public:
  explicit Blowfish(std::string_view key);
  void EncryptBlock(uint32_t& left, uint32_t& right) const;
  void DecryptBlock(uint32_t& left, uint32_t& right) const;
  // The same on 8 bytes, read and written big-endian as the test vectors are.
  void Encrypt(uint8_t block[8]) const;
  void Decrypt(uint8_t block[8]) const;

 private:
  uint32_t F(uint32_t x) const;
  std::array<uint32_t, 18> p_;
  std::array<std::array<uint32_t, 256>, 4> s_;
};

}  // namespace tovex
