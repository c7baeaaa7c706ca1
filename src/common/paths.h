#pragma once
// Windows path texts: folder texts end with a backslash, and paths handed
// between helpers are at most kMaxPathLength characters.

#include <optional>
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

// A folder named on the command line as one absolute folder text with a
// trailing backslash and no "." or ".." parts: "C:\a\..\b" gives "C:\b\",
// a relative folder is taken from currentFolder, "\x" is on its drive, ".."
// stops at the drive or share, "/" counts as "\". Nullopt for what names no
// folder of its own: an empty text, a drive-relative "C:x", a device or
// "\\?\" path, a server without a share, a name ending in a dot or blank.
std::optional<std::string> AbsoluteFolder(std::string_view folder, std::string_view currentFolder);

// Joins a folder and a relative name with exactly one backslash between.
std::string JoinPath(std::string_view folder, std::string_view name);

}  // namespace tovex
