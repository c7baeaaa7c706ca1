// Blowfish against the published vectors, MD5 against RFC 1321's suite, and
// the stored form of enciphered passwords.
#include <gtest/gtest.h>

#include <cstdio>

#include "upgrade/blowfish.h"
#include "upgrade/md5.h"
#include "upgrade/password_cipher.h"

namespace tovex {
namespace {

std::string FromHex(const std::string& hex) {
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return bytes;
}

std::string ToHex(const uint8_t* data, size_t size) {
  std::string hex;
  char digits[3];
  for (size_t i = 0; i < size; ++i) {
    std::snprintf(digits, sizeof digits, "%02X", data[i]);
    hex += digits;
  }
  return hex;
}

TEST(Blowfish, PublishedVectors) {
  struct Case {
    std::string key, plain, cipher;  // key and plain text in hex, unless the key is quoted text
  };
  const Case cases[] = {
      {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
      {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
      {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
      {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
      {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
      {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
      {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
      {"0131D9619DC1376E", "5CD54CA83DEF57DA", "B1B8CC0B250F09A0"},
      {"'abcdefghijklmnopqrstuvwxyz", "424C4F5746495348", "324ED0FEF413A203"},
      {"'Who is John Galt?", "FEDCBA9876543210", "CC91732B8022F684"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    const std::string key = c.key[0] == '\'' ? c.key.substr(1) : FromHex(c.key);
    Blowfish cipher(key);
    std::string block = FromHex(c.plain);
    auto* bytes = reinterpret_cast<uint8_t*>(block.data());
    cipher.Encrypt(bytes);
    EXPECT_EQ(ToHex(bytes, 8), c.cipher);
    cipher.Decrypt(bytes);
    EXPECT_EQ(ToHex(bytes, 8), c.plain);
  }
}

TEST(Md5, Rfc1321Suite) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const auto& [input, digest] : cases) EXPECT_EQ(Md5Hex(input), digest) << '"' << input << '"';
}

TEST(PasswordCipher, StoredFormReadsBackAndFitsTheField) {
  for (const std::string& password : {std::string("a"), std::string("Secret-8"), std::string("with ; and \xE9"),
                                     std::string(93, 'x'), std::string("\0\1\2", 3)}) {
    SCOPED_TRACE(password.size());
    auto stored = EncipherPassword(password);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->substr(0, 3), "~#1");
    EXPECT_LE(stored->size(), 127u);
    EXPECT_EQ(stored->find(password.size() > 3 ? password : std::string("\x01\x02\x03")), std::string::npos);
    EXPECT_EQ(DecipherPassword(*stored), password);
  }
  // Too long to fit enciphered: the caller keeps it as typed.
  EXPECT_FALSE(EncipherPassword(std::string(94, 'x')));
  // Plain or damaged texts are not deciphered.
  EXPECT_FALSE(DecipherPassword("plain"));
  EXPECT_FALSE(DecipherPassword("~#1not*base64"));
  EXPECT_FALSE(DecipherPassword("~#1A"));
  EXPECT_FALSE(DecipherPassword("~#2abcd"));
}

}  // namespace
}  // namespace tovex
