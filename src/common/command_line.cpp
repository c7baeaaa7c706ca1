#include "common/command_line.h"

#include <string_view>

#include "common/text.h"

namespace tovex {

namespace {

bool IsExportLanguageSwitch(const std::string& parameter) {
  return parameter.size() > 1 && (parameter[0] == '-' || parameter[0] == '/') &&
         SameText(std::string_view(parameter).substr(1), "exportlanguage");
}

// "-InstallDir=folder", with one or two "-" or "/" before the name.
std::optional<std::string> InstallDirValue(const std::string& parameter) {
  constexpr std::string_view kName = "installdir=";
  std::string_view rest = parameter;
  size_t prefix = 0;
  while (prefix < 2 && prefix < rest.size() && (rest[prefix] == '-' || rest[prefix] == '/')) ++prefix;
  if (prefix == 0) return std::nullopt;
  rest.remove_prefix(prefix);
  if (rest.size() <= kName.size() || !SameText(rest.substr(0, kName.size()), kName)) return std::nullopt;
  return std::string(rest.substr(kName.size()));
}

CommandAction ActionOf(const std::string& first) {
  if (first.empty()) return CommandAction::Wizard;
  if (SameText(first, "/SILENT")) return CommandAction::Silent;
  if (SameText(first, "/VERYSILENT")) return CommandAction::Unattended;
  if (ParameterValue(first, "/SAVEINF")) return CommandAction::SaveAnswers;
  if (SameText(first, "/UNINSTALL")) return CommandAction::Uninstall;
  if (SameText(first, "/WEBMAILLOGON")) return CommandAction::WebMailLogon;
  if (SameText(first, "/WEBADMINLOGON")) return CommandAction::WebAdminLogon;
  if (first == "/?") return CommandAction::Help;
  return CommandAction::Unknown;
}

}  // namespace

std::optional<std::string> ParameterValue(const std::string& parameter, const std::string& name) {
  const std::string prefix = name + "=";
  if (parameter.size() < prefix.size() || !SameText(std::string_view(parameter).substr(0, prefix.size()), prefix)) {
    return std::nullopt;
  }
  return parameter.substr(prefix.size());
}

CommandLine ParseCommandLine(const std::vector<std::string>& parameters) {
  CommandLine line;
  line.parameters = parameters;
  // /LOG=FILE may stand anywhere and is no parameter of its own for the rest.
  std::vector<std::string> rest;
  for (const std::string& parameter : parameters) {
    if (const std::optional<std::string> log = ParameterValue(parameter, "/LOG")) {
      if (!log->empty()) line.logFiles.push_back(*log);
    } else {
      rest.push_back(parameter);
    }
  }
  if (!rest.empty()) line.first = rest.front();
  line.action = ActionOf(line.first);
  if (line.action == CommandAction::SaveAnswers) line.saveAnswersFile = ParameterValue(line.first, "/SAVEINF");

  bool verySilentAfterFirst = false;
  for (size_t i = 0; i < rest.size(); ++i) {
    const std::string& parameter = rest[i];
    line.exportLanguage = line.exportLanguage || IsExportLanguageSwitch(parameter);
    if (!line.answersFile) line.answersFile = ParameterValue(parameter, "/LOADINF");
    if (!line.installDir) {
      const std::optional<std::string> folder = InstallDirValue(parameter);
      if (folder && !folder->empty()) line.installDir = folder;
    }
    if (i > 0 && SameText(parameter, "/VERYSILENT")) verySilentAfterFirst = true;
  }
  line.withoutWindows = line.action == CommandAction::Unattended ||
                        (line.action == CommandAction::Uninstall && verySilentAfterFirst);
  return line;
}

}  // namespace tovex
