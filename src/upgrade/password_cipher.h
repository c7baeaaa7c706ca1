#pragma once
// Enciphered account passwords, as the server stores them when the settings
// ask for it: "~#1" followed by the password enciphered with Blowfish under
// the shared pass phrase, in 64-bit cipher feedback mode with a zero
// starting block (so the enciphered text is exactly as long as the password),
// written in base64 (RFC 4648 alphabet, no "=" padding).
//
// The password field holds 127 characters, so a password of up to 93
// characters fits in this form; a longer one is stored as typed, which the
// reading side takes as it is, rather than cut and lost.

#include <optional>
#include <string>
#include <string_view>

namespace tovex {

inline constexpr std::string_view kEncipheredPrefix = "~#1";
inline constexpr size_t kMaxEncipheredPassword = 93;

// The stored form, or nullopt when the password is too long to be stored
// enciphered.
std::optional<std::string> EncipherPassword(std::string_view password);
// The password of a stored "~#1" form; nullopt when the text is not one
// (a plain password, or a damaged form).
std::optional<std::string> DecipherPassword(std::string_view stored);

}  // namespace tovex
