#pragma once
// Text helpers with the Windows ANSI rules the server's texts follow: case
// folding of ASCII letters only, blanks meaning every control character and
// the space.

#include <string>
#include <string_view>
#include <vector>

namespace tovex {

std::string LowerCase(std::string_view text);
std::string UpperCase(std::string_view text);
bool SameText(std::string_view a, std::string_view b);

// Removes leading and trailing characters up to and including the space.
std::string Trim(std::string_view text);
std::string TrimLeft(std::string_view text);
std::string TrimRight(std::string_view text);

// Replaces each "%s" in order with the next argument; "%%" gives "%". Missing
// arguments give empty texts, so a translated text with an extra "%s" never
// reads beyond what was passed.
std::string FormatText(std::string_view pattern, const std::vector<std::string>& arguments);

// 1-based position of the first or last occurrence, 0 when absent (the
// positions the wizard's rules count in).
size_t FirstPos(std::string_view needle, std::string_view text);
size_t LastPos(std::string_view needle, std::string_view text);

// Splits at every occurrence of the separator; an empty text gives one empty
// part.
std::vector<std::string> Split(std::string_view text, std::string_view separator);

// Windows file-mask matching ("*" any run, "?" one character), ignoring case.
// "*.*" matches every name, also one without a dot.
bool MatchesMask(std::string_view name, std::string_view mask);

}  // namespace tovex
