#pragma once
// How a script's expected text is compared with what a window shows: runs of
// blanks and line breaks count as one blank, leading and trailing blanks are
// ignored, and "*" stands for any run of characters. Captions also match with
// their keyboard accelerators removed, so "&Next >" and "Next >" both name the
// button that shows Next >.

#include <string>
#include <string_view>

namespace drive {

std::string NormalizeBlanks(std::string_view text);
std::string StripAccelerators(std::string_view caption);
bool WildcardMatch(std::string_view pattern, std::string_view text);
bool TextMatches(std::string_view expected, std::string_view actual);
bool CaptionMatches(std::string_view expected, std::string_view actual);

}  // namespace drive
