#pragma once
// The scenario script: one step a line, "#" starts a comment line. A step is
// a verb followed by its arguments; arguments are separated by blanks, a
// "double-quoted" argument may hold blanks, and the last argument a verb
// takes is the rest of the line as written. tests/wine/README.md documents
// every verb.

#include <string>
#include <string_view>
#include <vector>

namespace drive {

struct Step {
  int line = 0;                    // 1-based line in the script
  std::string verb;
  std::vector<std::string> args;
  std::string source;              // the line as written, trimmed
};

struct Script {
  std::vector<Step> steps;
  std::vector<std::string> errors;  // "line N: what is wrong"
};

Script ParseScript(std::string_view text);

// The verbs the language knows, with how many arguments each takes.
struct VerbRule {
  const char* name;
  int minArgs;
  int maxArgs;
};
const std::vector<VerbRule>& Verbs();

}  // namespace drive
