#pragma once
// The answers file of an unattended installation: an INI file that holds
// every answer the wizard, its questions and the configuration wizard would
// have asked for, so that an administrator can deploy the server on many
// machines with "/VERYSILENT /LOADINF=FILE", and can make such a file from a
// wizard run with "/SAVEINF=FILE".
//
//   [Setup]
//   Name=Jane Doe                      required
//   Email=jane@example.com             required; the credentials page's rule
//   Company=, Country=                 optional, empty by default
//   Mode=Advanced | Basic              default: as the wizard shows it
//   Components=WebMail;Anti-Spam       the component list's entries to
//                                      install, separated by ";"; default:
//                                      as the wizard shows them
//   DestinationFolder=C:\Tovex\        absolute; default: as the wizard shows it
//   CheckForNewVersion=No | Log | Stop default No; Stop ends with 1602 when a
//                                      newer release is offered
//   RunConfigurationWizard=Yes | No    default Yes (never after an upgrade)
//   OpenAdministration=, ViewTutorial=, ViewReleaseNotes=   Yes | No, default No
//   [Configuration]                    required while RunConfigurationWizard=Yes
//   HostName=mail.example.com
//   Domain=example.com                 the configuration wizard's rule
//   Administrator=admin
//   Password=...  or  PasswordVariable=NAME   exactly one of the two
//
// Names of sections and keys and the words Yes/No/... ignore letter case.

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tovex {

struct UnattendedAnswers {
  enum class NewVersionCheck { No, Log, Stop };

  // [Setup]
  std::string Name;
  std::string Email;
  std::string Company;
  std::string Country;
  std::optional<bool> BasicMode;  // nullopt: the wizard's default
  // Installed or not, by component list index; nullopt: the wizard's default.
  std::optional<std::array<bool, 7>> Components;
  std::string DestinationFolder;  // empty: the wizard's default
  NewVersionCheck CheckForNewVersion = NewVersionCheck::No;
  bool RunConfigurationWizard = true;
  bool OpenAdministration = false;
  bool ViewTutorial = false;
  bool ViewReleaseNotes = false;

  // [Configuration], filled while RunConfigurationWizard is set.
  std::string HostName;
  std::string Domain;
  std::string Administrator;
  std::string Password;          // from the file or the environment; never written back
  std::string PasswordVariable;  // the environment variable it came from, if any
};

// Why an answers file was refused: the key (as "[Section] Key") and the reason.
struct AnswersProblem {
  std::string key;
  std::string reason;
};

struct AnswersReading {
  std::optional<UnattendedAnswers> answers;  // set only when there is no problem
  std::vector<AnswersProblem> problems;
};

// Reads and checks an answers file. environment looks a variable up
// (PasswordVariable); nullopt when it is not set.
AnswersReading ReadAnswersFile(std::string_view text,
                               const std::function<std::optional<std::string>(const std::string&)>& environment);

// The answers as an answers file, CR LF line breaks. A password is never
// written: the file names the variable that must hold it instead
// (PasswordVariable, kDefaultPasswordVariable when the answers name none).
std::string WriteAnswersFile(const UnattendedAnswers& answers);

inline constexpr std::string_view kDefaultPasswordVariable = "TOVEX_ADMIN_PASSWORD";

}  // namespace tovex
