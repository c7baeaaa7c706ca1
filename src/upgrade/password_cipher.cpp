#include "upgrade/password_cipher.h"

#include <cstdint>
#include <cstring>

#include "upgrade/blowfish.h"
#include "upgrade/settings_layout.h"

namespace tovex {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

const Blowfish& Cipher() {
  static const Blowfish cipher(server_secrets::kPasswordPassPhrase);
  return cipher;
}

// Cipher feedback over whole 8-byte segments; the last one may be shorter.
std::string Feedback(std::string_view input, bool encipher) {
  std::string output(input.size(), '\0');
  uint8_t register_[8] = {};
  for (size_t at = 0; at < input.size(); at += 8) {
    uint8_t stream[8];
    std::memcpy(stream, register_, 8);
    Cipher().Encrypt(stream);
    const size_t n = std::min<size_t>(8, input.size() - at);
    for (size_t i = 0; i < n; ++i) {
      const uint8_t in = static_cast<uint8_t>(input[at + i]);
      const uint8_t out = in ^ stream[i];
      output[at + i] = static_cast<char>(out);
      register_[i] = encipher ? out : in;
    }
  }
  return output;
}

std::string Base64(std::string_view bytes) {
  std::string text;
  uint32_t buffer = 0;
  int bits = 0;
  for (char c : bytes) {
    buffer = (buffer << 8) | static_cast<uint8_t>(c);
    bits += 8;
    while (bits >= 6) {
      bits -= 6;
      text += kAlphabet[(buffer >> bits) & 63];
    }
  }
  if (bits > 0) text += kAlphabet[(buffer << (6 - bits)) & 63];
  return text;
}

std::optional<std::string> FromBase64(std::string_view text) {
  std::string bytes;
  uint32_t buffer = 0;
  int bits = 0;
  for (char c : text) {
    const char* at = std::strchr(kAlphabet, c);
    if (c == '\0' || at == nullptr) return std::nullopt;
    buffer = (buffer << 6) | static_cast<uint32_t>(at - kAlphabet);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      bytes += static_cast<char>((buffer >> bits) & 0xFF);
    }
  }
  // A length of 1 mod 4 cannot come from whole bytes.
  if (text.size() % 4 == 1) return std::nullopt;
  return bytes;
}

}  // namespace

std::optional<std::string> EncipherPassword(std::string_view password) {
  if (password.size() > kMaxEncipheredPassword) return std::nullopt;
  return std::string(kEncipheredPrefix) + Base64(Feedback(password, true));
}

std::optional<std::string> DecipherPassword(std::string_view stored) {
  if (stored.substr(0, kEncipheredPrefix.size()) != kEncipheredPrefix) return std::nullopt;
  auto bytes = FromBase64(stored.substr(kEncipheredPrefix.size()));
  if (!bytes) return std::nullopt;
  return Feedback(*bytes, false);
}

}  // namespace tovex
