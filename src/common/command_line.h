#pragma once
// The command line of one Setup run, read once at the entry into one value.
// The decision to run without any window, the start-up and the unattended
// run all read this value, so they can never disagree about what was asked
// (a log option in front of /VERYSILENT once made the entry open windows for
// a run that then waited on a box nobody would see).

#include <optional>
#include <string>
#include <vector>

namespace tovex {

// What the run does, chosen by the first parameter that is not /LOG=.
enum class CommandAction {
  Wizard,         // no parameter: the wizard after the installation question
  Silent,         // /SILENT: the wizard without that question
  Unattended,     // /VERYSILENT: the installation with the answers file
  SaveAnswers,    // /SAVEINF=FILE: the wizard, its answers written to FILE
  Uninstall,      // /UNINSTALL
  WebMailLogon,   // /WEBMAILLOGON
  WebAdminLogon,  // /WEBADMINLOGON
  Help,           // /?
  Unknown,        // anything else: nothing is done
};

struct CommandLine {
  std::vector<std::string> parameters;  // every parameter as given, for the log
  CommandAction action = CommandAction::Wizard;
  std::string first;                    // the parameter that chose the action
  // No window at any moment: /VERYSILENT first, or /UNINSTALL first with
  // /VERYSILENT after it. Every box then goes to the setup log.
  bool withoutWindows = false;
  bool exportLanguage = false;             // "-" or "/" and "exportlanguage", anywhere
  std::vector<std::string> logFiles;       // /LOG=FILE, in any position
  std::optional<std::string> answersFile;  // /LOADINF=FILE
  std::optional<std::string> saveAnswersFile;  // the value of /SAVEINF= when it is the action
  std::optional<std::string> installDir;   // -InstallDir=FOLDER as written, when not empty
};

CommandLine ParseCommandLine(const std::vector<std::string>& parameters);

// The value of "/NAME=VALUE" (the name in any letter case), or nullopt when
// the parameter has another name.
std::optional<std::string> ParameterValue(const std::string& parameter, const std::string& name);

}  // namespace tovex
