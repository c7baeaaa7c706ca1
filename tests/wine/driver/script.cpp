#include "script.h"

#include <algorithm>

namespace drive {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// A whole argument in double quotes loses them; quotes inside are kept.
std::string Unquote(std::string_view text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"' &&
      text.substr(1, text.size() - 2).find('"') == std::string_view::npos) {
    return std::string(text.substr(1, text.size() - 2));
  }
  return std::string(text);
}

// Takes one word (or "quoted words") off the front of rest.
bool TakeWord(std::string_view& rest, std::string& word, std::string& error) {
  rest = Trim(rest);
  if (rest.front() == '"') {
    const size_t close = rest.find('"', 1);
    if (close == std::string_view::npos) {
      error = "unterminated quote";
      return false;
    }
    word = std::string(rest.substr(1, close - 1));
    rest.remove_prefix(close + 1);
    if (!rest.empty() && !IsBlank(rest.front())) {
      error = "a quoted argument must be followed by a blank";
      return false;
    }
    return true;
  }
  size_t end = 0;
  while (end < rest.size() && !IsBlank(rest[end])) ++end;
  word = std::string(rest.substr(0, end));
  rest.remove_prefix(end);
  return true;
}

}  // namespace

const std::vector<VerbRule>& Verbs() {
  static const std::vector<VerbRule> verbs = {
      {"timeout", 1, 1},          {"setup-folder", 1, 1},     {"put", 1, 2},
      {"remove", 1, 1},           {"start", 0, 1},            {"expect-window", 1, 1},
      {"expect-page", 1, 1},      {"expect-text", 1, 2},      {"expect-enabled", 1, 1},
      {"expect-disabled", 1, 1},  {"expect-visible", 1, 1},   {"expect-hidden", 1, 1},
      {"expect-focus", 1, 1},     {"expect-checked", 1, 2},   {"expect-unchecked", 1, 2},
      {"click", 1, 1},            {"set", 1, 2},              {"tick", 1, 2},
      {"untick", 1, 2},           {"key", 1, 2},              {"close", 0, 0},
      {"expect-box", 1, 1},       {"answer", 1, 1},           {"expect-no-box", 0, 0},
      {"expect-exit", 1, 1},      {"expect-file", 1, 1},      {"expect-no-file", 1, 1},
      {"expect-reg", 2, 3},       {"expect-no-reg", 1, 2},    {"run", 1, 2},
      {"expect-output", 1, 1},    {"expect-run-exit", 1, 1},  {"screenshot", 1, 1},
      {"select", 2, 2},           {"open", 2, 2},             {"start-program", 1, 2},
      {"expect-exit-unseen", 1, 1}, {"setenv", 1, 2},
      {"expect-no-output", 1, 1}, {"link", 2, 2}, {"cut", 2, 2},
  };
  return verbs;
}

Script ParseScript(std::string_view text) {
  Script script;
  int lineNumber = 0;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++lineNumber;

    line = Trim(line);
    if (line.empty() || line.front() == '#') continue;

    Step step;
    step.line = lineNumber;
    step.source = std::string(line);
    std::string_view rest = line;
    std::string error;
    TakeWord(rest, step.verb, error);

    const auto& verbs = Verbs();
    const auto known = std::find_if(verbs.begin(), verbs.end(),
                                   [&](const VerbRule& v) { return step.verb == v.name; });
    if (known == verbs.end()) {
      script.errors.push_back("line " + std::to_string(lineNumber) + ": unknown step '" + step.verb + "'");
      continue;
    }
    while (error.empty() && !Trim(rest).empty()) {
      if (static_cast<int>(step.args.size()) == known->maxArgs - 1) {
        step.args.push_back(Unquote(Trim(rest)));
        rest = {};
        break;
      }
      if (static_cast<int>(step.args.size()) == known->maxArgs) {
        error = "too many arguments";
        break;
      }
      std::string word;
      if (TakeWord(rest, word, error)) step.args.push_back(word);
    }
    if (error.empty() && static_cast<int>(step.args.size()) < known->minArgs) error = "missing argument";
    if (!error.empty()) {
      script.errors.push_back("line " + std::to_string(lineNumber) + ": " + error + " in '" + step.source + "'");
      continue;
    }
    script.steps.push_back(std::move(step));
  }
  // A script without steps (an empty or truncated file) would pass without
  // testing anything.
  if (script.steps.empty() && script.errors.empty()) script.errors.push_back("the script has no steps");
  return script;
}

}  // namespace drive
