#pragma once
// Windows-1252 to and from UTF-8, the ANSI code page of a Western European
// Windows: the native build's stand-in for the system's conversion.

#include <cstdint>
#include <string>

namespace tovex {

std::string Cp1252ToUtf8(const std::string& ansi);
// Characters without a Windows-1252 form become "?"; malformed UTF-8 bytes
// are taken as Windows-1252 bytes, as the system's lenient conversion does not
// lose them either.
std::string Utf8ToCp1252(const std::string& utf8);

// Appends the UTF-8 form of one code point.
void AppendUtf8(std::string& out, uint32_t codePoint);

}  // namespace tovex
