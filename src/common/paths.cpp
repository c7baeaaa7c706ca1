#include "common/paths.h"

#include <cctype>
#include <vector>

namespace tovex {

namespace {
size_t LastDelimiter(std::string_view path) {
  const size_t at = path.find_last_of("\\:");
  return at;
}
}  // namespace

std::string IncludeTrailingBackslash(std::string_view folder) {
  std::string result(folder);
  if (!result.empty() && result.back() != '\\') result += '\\';
  return result;
}

std::string ExcludeTrailingBackslash(std::string_view folder) {
  std::string result(folder);
  if (!result.empty() && result.back() == '\\') result.pop_back();
  return result;
}

std::string ExtractFilePath(std::string_view path) {
  const size_t at = LastDelimiter(path);
  return at == std::string_view::npos ? std::string() : std::string(path.substr(0, at + 1));
}

std::string ExtractFileName(std::string_view path) {
  const size_t at = LastDelimiter(path);
  return std::string(at == std::string_view::npos ? path : path.substr(at + 1));
}

std::string ExtractFileExt(std::string_view path) {
  const std::string name = ExtractFileName(path);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

namespace {

bool IsDriveRoot(std::string_view path) {
  return path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' && path[2] == '\\';
}

// The root a path stands on ("C:\" or "\\server\share\") and the rest after
// it; nullopt when it stands on none.
std::optional<std::string> SplitRoot(std::string_view path, std::string_view& rest) {
  if (IsDriveRoot(path)) {
    rest = path.substr(3);
    return std::string(path.substr(0, 3));
  }
  if (path.size() > 2 && path[0] == '\\' && path[1] == '\\') {
    if (path[2] == '?' || path[2] == '.') return std::nullopt;  // device and verbatim paths
    const size_t server = path.find('\\', 2);
    if (server == std::string_view::npos || server == 2) return std::nullopt;
    size_t share = path.find('\\', server + 1);
    if (share == server + 1) return std::nullopt;
    if (share == std::string_view::npos) share = path.size();
    rest = share < path.size() ? path.substr(share + 1) : std::string_view();
    return std::string(path.substr(0, share)) + "\\";
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> AbsoluteFolder(std::string_view folder, std::string_view currentFolder) {
  std::string path(folder);
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  if (path.empty()) return std::nullopt;
  std::string current(currentFolder);
  for (char& c : current) {
    if (c == '/') c = '\\';
  }
  current = IncludeTrailingBackslash(current);

  std::string_view rest;
  std::optional<std::string> root = SplitRoot(path, rest);
  std::string whole;
  if (!root) {
    if (path.size() >= 2 && path[1] == ':') return std::nullopt;  // "C:x" depends on that drive's own folder
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') return std::nullopt;  // no share, or a device
    std::string_view currentRest;
    const std::optional<std::string> currentRoot = SplitRoot(current, currentRest);
    if (!currentRoot) return std::nullopt;
    // "\x" starts at the current drive's root; "x" in the current folder.
    whole = path[0] == '\\' ? *currentRoot + path.substr(1) : current + path;
    root = SplitRoot(whole, rest);
    if (!root) return std::nullopt;
  }

  std::vector<std::string_view> parts;
  size_t at = 0;
  while (at <= rest.size()) {
    size_t end = rest.find('\\', at);
    if (end == std::string_view::npos) end = rest.size();
    const std::string_view part = rest.substr(at, end - at);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      // Windows drops trailing dots and blanks of a name, so "..." or ".. "
      // could still climb; such names are refused rather than guessed.
      if (part.back() == '.' || part.back() == ' ') return std::nullopt;
      parts.push_back(part);
    }
    at = end + 1;
  }
  std::string result = *root;
  for (const std::string_view part : parts) {
    result += part;
    result += '\\';
  }
  return result;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  while (!name.empty() && name.front() == '\\') name.remove_prefix(1);
  if (folder.empty()) return std::string(name);
  return IncludeTrailingBackslash(folder) + std::string(name);
}

}  // namespace tovex
