#include "common/paths.h"

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

std::string JoinPath(std::string_view folder, std::string_view name) {
  while (!name.empty() && name.front() == '\\') name.remove_prefix(1);
  if (folder.empty()) return std::string(name);
  return IncludeTrailingBackslash(folder) + std::string(name);
}

}  // namespace tovex
