#pragma once
// MD5 digest (RFC 1321), portable so that both builds give the same result.
// Used for the generated groupware super-user password, not for security.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tovex {

std::array<uint8_t, 16> Md5(std::string_view data);
// The digest as 32 lower-case hexadecimal digits.
std::string Md5Hex(std::string_view data);

}  // namespace tovex
