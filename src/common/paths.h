#pragma once
// Windows path texts: folder texts end with a backslash, and paths handed
// between helpers are at most kMaxPathLength characters.

#include <string>
#include <string_view>

namespace tovex {

inline constexpr size_t kMaxPathLength = 255;

// Adds a backslash unless the text already ends with one (an empty text stays
// empty).
std::string IncludeTrailingBackslash(std::string_view folder);
std::string ExcludeTrailingBackslash(std::string_view folder);

// The folder part including its final "\" or ":" ("C:\a\b.txt" gives "C:\a\").
std::string ExtractFilePath(std::string_view path);
// The part after the last "\" or ":".
std::string ExtractFileName(std::string_view path);
// The extension with its dot, or empty.
std::string ExtractFileExt(std::string_view path);

// Joins a folder and a relative name with exactly one backslash between.
std::string JoinPath(std::string_view folder, std::string_view name);

}  // namespace tovex
