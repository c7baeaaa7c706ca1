#pragma once
// Windows-1252 to and from UTF-8, the ANSI code page of a Western European
// Windows: the native build's stand-in for the system's conversion.

#include <string>

namespace tovex {

std::string Cp1252ToUtf8(const std::string& ansi);
// Characters without a Windows-1252 form become "?"; malformed UTF-8 bytes
// are taken as Windows-1252 bytes, as the system's lenient conversion does not
// lose them either.
std::string Utf8ToCp1252(const std::string& utf8);

}  // namespace tovex
