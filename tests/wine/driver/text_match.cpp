#include "text_match.h"

namespace drive {

std::string NormalizeBlanks(std::string_view text) {
  std::string out;
  bool blank = false;
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      blank = true;
      continue;
    }
    if (blank && !out.empty()) out += ' ';
    blank = false;
    out += c;
  }
  return out;
}

std::string StripAccelerators(std::string_view caption) {
  std::string out;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) {
      ++i;  // "&&" shows one "&"; "&x" shows x underlined
    }
    out += caption[i];
  }
  return out;
}

bool WildcardMatch(std::string_view pattern, std::string_view text) {
  // Greedy with one back-track point, enough for "*" alone.
  size_t p = 0, t = 0, starP = std::string_view::npos, starT = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starT = t;
    } else if (p < pattern.size() && pattern[p] == text[t]) {
      ++p;
      ++t;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      t = ++starT;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool TextMatches(std::string_view expected, std::string_view actual) {
  return WildcardMatch(NormalizeBlanks(expected), NormalizeBlanks(actual));
}

bool CaptionMatches(std::string_view expected, std::string_view actual) {
  return TextMatches(expected, actual) || TextMatches(expected, StripAccelerators(actual));
}

}  // namespace drive
