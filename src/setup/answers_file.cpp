#include "setup/answers_file.h"

#include <map>

#include "common/text.h"
#include "setup/main_form.h"
#include "upgrade/first_domain.h"

namespace tovex {

namespace {

// Paths handed between the parts of Setup are at most 255 characters; the
// configuration answers have the limits of the records they end up in
// (first_domain.h).
constexpr size_t kMaxFolder = 255;

enum class Section { None, Setup, Configuration };

struct Entry {
  std::string value;
  int line;
};

// Keys of each section, as written in the file.
const char* const kSetupKeys[] = {"Name",
                                  "Email",
                                  "Company",
                                  "Country",
                                  "Mode",
                                  "Components",
                                  "DestinationFolder",
                                  "CheckForNewVersion",
                                  "RunConfigurationWizard",
                                  "OpenAdministration",
                                  "ViewTutorial",
                                  "ViewReleaseNotes"};
const char* const kConfigurationKeys[] = {"HostName", "Domain", "Administrator", "Password", "PasswordVariable"};

std::string SectionName(Section section) { return section == Section::Setup ? "[Setup]" : "[Configuration]"; }

// The key as the file documents it, or empty when the section has no such key.
std::string KnownKey(Section section, std::string_view key) {
  if (section == Section::Setup) {
    for (const char* known : kSetupKeys) {
      if (SameText(known, key)) return known;
    }
  } else if (section == Section::Configuration) {
    for (const char* known : kConfigurationKeys) {
      if (SameText(known, key)) return known;
    }
  }
  return {};
}

std::string Unquoted(std::string value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') return value.substr(1, value.size() - 2);
  return value;
}

std::optional<bool> YesNo(std::string_view value) {
  for (const char* yes : {"yes", "true", "1"}) {
    if (SameText(value, yes)) return true;
  }
  for (const char* no : {"no", "false", "0"}) {
    if (SameText(value, no)) return false;
  }
  return std::nullopt;
}

bool HasControlCharacter(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) < 32) return true;
  }
  return false;
}

// An absolute folder: a drive ("C:\...") or a network share ("\\server\share").
bool IsAbsoluteFolder(std::string_view folder) {
  const bool drive = folder.size() >= 3 && ((folder[0] | 0x20) >= 'a' && (folder[0] | 0x20) <= 'z') &&
                     folder[1] == ':' && folder[2] == '\\';
  const bool share = folder.size() >= 5 && folder.substr(0, 2) == "\\\\" && folder[2] != '\\';
  if (!drive && !share) return false;
  const std::string_view rest = folder.substr(2);  // past the drive's "C:" or the two backslashes of a share
  return rest.find_first_of("<>\"|?*:/") == std::string_view::npos && !HasControlCharacter(folder);
}

class Reader {
 public:
  Reader(std::string_view text, const std::function<std::optional<std::string>(const std::string&)>& environment)
      : environment_(environment) {
    Parse(text);
  }

  AnswersReading Result() {
    UnattendedAnswers a;
    Setup(a);
    if (a.RunConfigurationWizard) {
      Configuration(a);
    } else {
      for (const char* key : kConfigurationKeys) {
        if (configuration_.count(key) != 0) {
          Problem(Section::Configuration, key, "given while RunConfigurationWizard=No");
        }
      }
    }
    AnswersReading reading;
    reading.problems = std::move(problems_);
    if (reading.problems.empty()) reading.answers = std::move(a);
    return reading;
  }

 private:
  void Problem(Section section, const std::string& key, const std::string& reason) {
    problems_.push_back({SectionName(section) + " " + key, reason});
  }
  void LineProblem(int line, const std::string& reason) {
    problems_.push_back({"line " + std::to_string(line), reason});
  }

  void Parse(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // a UTF-8 mark from Notepad
    Section section = Section::None;
    bool skipping = false;  // inside an unknown section, already reported
    int number = 0;
    for (const std::string& raw : Split(text, "\n")) {
      ++number;
      const std::string line = Trim(raw);
      if (line.empty() || line[0] == ';' || line[0] == '#') continue;
      if (line.front() == '[') {
        const std::string name = line.back() == ']' ? Trim(line.substr(1, line.size() - 2)) : std::string();
        skipping = false;
        if (SameText(name, "Setup")) {
          section = Section::Setup;
        } else if (SameText(name, "Configuration")) {
          section = Section::Configuration;
        } else {
          LineProblem(number, "unknown section " + line + " (the sections are [Setup] and [Configuration])");
          section = Section::None;
          skipping = true;
        }
      } else if (skipping) {
        // Its keys were reported with the section.
      } else if (line.find('=') == std::string::npos) {
        LineProblem(number, "not a KEY=VALUE line: " + line);
      } else if (section == Section::None) {
        LineProblem(number, "a key before the first section: " + line);
      } else {
        const size_t equals = line.find('=');
        const std::string key = Trim(line.substr(0, equals));
        const std::string known = KnownKey(section, key);
        auto& entries = section == Section::Setup ? setup_ : configuration_;
        if (known.empty()) {
          Problem(section, key, "unknown key");
        } else if (entries.count(known) != 0) {
          Problem(section, known, "given twice (lines " + std::to_string(entries[known].line) + " and " +
                                      std::to_string(number) + ")");
        } else {
          entries[known] = {Unquoted(Trim(line.substr(equals + 1))), number};
        }
      }
    }
  }

  const std::string* Value(const std::map<std::string, Entry>& entries, const char* key) {
    auto found = entries.find(key);
    return found == entries.end() ? nullptr : &found->second.value;
  }

  bool Flag(const char* key, bool fallback) {
    const std::string* value = Value(setup_, key);
    if (value == nullptr) return fallback;
    if (auto flag = YesNo(*value)) return *flag;
    Problem(Section::Setup, key, "'" + *value + "' is not Yes or No");
    return fallback;
  }

  void Setup(UnattendedAnswers& a) {
    const std::string* name = Value(setup_, "Name");
    const std::string* email = Value(setup_, "Email");
    if (name == nullptr) {
      Problem(Section::Setup, "Name", "missing; the user details need a name");
    } else if (name->empty()) {
      Problem(Section::Setup, "Name", "empty; the user details need a name");
    } else {
      a.Name = *name;
    }
    if (email == nullptr) {
      Problem(Section::Setup, "Email", "missing; the user details need an e-mail address");
    } else if (!TMainForm::CredentialsValid("x", *email)) {  // the credentials page's rule, name apart
      Problem(Section::Setup, "Email", "'" + *email + "' is not an e-mail address of the form name@domain.tld");
    } else {
      a.Email = *email;
    }
    if (const std::string* company = Value(setup_, "Company")) a.Company = *company;
    if (const std::string* country = Value(setup_, "Country")) a.Country = *country;

    if (const std::string* mode = Value(setup_, "Mode")) {
      if (SameText(*mode, "Advanced")) {
        a.BasicMode = false;
      } else if (SameText(*mode, "Basic")) {
        a.BasicMode = true;
      } else {
        Problem(Section::Setup, "Mode", "'" + *mode + "' is neither Advanced nor Basic");
      }
    }

    if (const std::string* components = Value(setup_, "Components")) {
      std::array<bool, kComponentCount> installed{};
      for (const std::string& part : Split(*components, ";")) {
        const std::string wanted = Trim(part);
        if (wanted.empty()) continue;
        bool known = false;
        for (int i = 0; i < kComponentCount; ++i) {
          if (SameText(wanted, ComponentEntries()[i])) {
            installed[i] = true;
            known = true;
          }
        }
        if (!known) Problem(Section::Setup, "Components", "'" + wanted + "' is not an entry of the component list");
      }
      a.Components = installed;
    }

    if (const std::string* folder = Value(setup_, "DestinationFolder")) {
      if (!IsAbsoluteFolder(*folder)) {
        Problem(Section::Setup, "DestinationFolder",
                "'" + *folder + "' is not an absolute folder such as C:\\Program Files\\Tovex\\");
      } else if (folder->size() + (folder->back() == '\\' ? 0 : 1) > kMaxFolder) {
        Problem(Section::Setup, "DestinationFolder", "longer than " + std::to_string(kMaxFolder) + " characters");
      } else {
        a.DestinationFolder = *folder;
      }
    }

    if (const std::string* check = Value(setup_, "CheckForNewVersion")) {
      if (auto flag = YesNo(*check)) {
        a.CheckForNewVersion = *flag ? UnattendedAnswers::NewVersionCheck::Log : UnattendedAnswers::NewVersionCheck::No;
      } else if (SameText(*check, "Log")) {
        a.CheckForNewVersion = UnattendedAnswers::NewVersionCheck::Log;
      } else if (SameText(*check, "Stop")) {
        a.CheckForNewVersion = UnattendedAnswers::NewVersionCheck::Stop;
      } else {
        Problem(Section::Setup, "CheckForNewVersion", "'" + *check + "' is none of No, Log and Stop");
      }
    }
    a.RunConfigurationWizard = Flag("RunConfigurationWizard", true);
    a.OpenAdministration = Flag("OpenAdministration", false);
    a.ViewTutorial = Flag("ViewTutorial", false);
    a.ViewReleaseNotes = Flag("ViewReleaseNotes", false);
  }

  // A required text of [Configuration], trimmed as the configuration wizard's
  // answers are; nullopt after a problem.
  std::optional<std::string> Required(const char* key, size_t maxLength) {
    const std::string* value = Value(configuration_, key);
    if (value == nullptr) {
      Problem(Section::Configuration, key, "missing; the configuration wizard needs it (or RunConfigurationWizard=No)");
      return std::nullopt;
    }
    if (value->empty()) {
      Problem(Section::Configuration, key, "empty; the configuration wizard needs it");
      return std::nullopt;
    }
    if (value->size() > maxLength) {
      Problem(Section::Configuration, key, "longer than " + std::to_string(maxLength) + " characters");
      return std::nullopt;
    }
    return *value;
  }

  void Configuration(UnattendedAnswers& a) {
    if (auto host = Required("HostName", kMaxHostName)) a.HostName = *host;
    if (auto domain = Required("Domain", kMaxDomain)) {
      if (!IsSafeDomainName(*domain)) {
        Problem(Section::Configuration, "Domain",
                "'" + *domain + "' is refused: a domain may hold no \\, /, :, control character or ..");
      } else {
        a.Domain = *domain;
      }
    }
    if (auto user = Required("Administrator", kMaxUserName)) {
      if (!IsSafeUserName(*user)) {
        Problem(Section::Configuration, "Administrator", "'" + *user + "' is refused: a user name may hold no \\, / or ..");
      } else {
        a.Administrator = *user;
      }
    }

    const std::string* password = Value(configuration_, "Password");
    const std::string* variable = Value(configuration_, "PasswordVariable");
    if (password != nullptr && variable != nullptr) {
      Problem(Section::Configuration, "PasswordVariable", "given together with Password; give one of the two");
    } else if (password == nullptr && variable == nullptr) {
      Problem(Section::Configuration, "Password",
              "missing; give Password, or PasswordVariable naming an environment variable that holds it");
    } else if (variable != nullptr) {
      std::optional<std::string> value;
      if (!variable->empty() && environment_) value = environment_(*variable);
      if (!value) {
        Problem(Section::Configuration, "PasswordVariable",
                "the environment variable '" + *variable + "' is not set");
      } else if (value->size() > kMaxPassword) {
        Problem(Section::Configuration, "PasswordVariable",
                "the password in '" + *variable + "' is longer than " + std::to_string(kMaxPassword) + " characters");
      } else {
        a.Password = *value;
        a.PasswordVariable = *variable;
      }
    } else if (password->size() > kMaxPassword) {
      Problem(Section::Configuration, "Password", "longer than " + std::to_string(kMaxPassword) + " characters");
    } else {
      a.Password = *password;
    }
  }

  const std::function<std::optional<std::string>(const std::string&)>& environment_;
  std::map<std::string, Entry> setup_;
  std::map<std::string, Entry> configuration_;
  std::vector<AnswersProblem> problems_;
};

const char* YesNoText(bool value) { return value ? "Yes" : "No"; }

// A value as the file holds it: in double quotes when reading would
// otherwise lose its blanks at either end or the double quotes around it.
std::string Written(const std::string& value) {
  const bool quotedAlready = value.size() >= 2 && value.front() == '"' && value.back() == '"';
  return quotedAlready || Trim(value) != value ? "\"" + value + "\"" : value;
}

}  // namespace

AnswersReading ReadAnswersFile(std::string_view text,
                               const std::function<std::optional<std::string>(const std::string&)>& environment) {
  return Reader(text, environment).Result();
}

std::string WriteAnswersFile(const UnattendedAnswers& a) {
  std::string out;
  auto line = [&out](const std::string& text) { out += text + "\r\n"; };
  line("; Answers for an unattended installation: setup.exe /VERYSILENT /LOADINF=<this file>");
  line("[Setup]");
  line("Name=" + Written(a.Name));
  line("Email=" + Written(a.Email));
  line("Company=" + Written(a.Company));
  line("Country=" + Written(a.Country));
  if (a.BasicMode) line(std::string("Mode=") + (*a.BasicMode ? "Basic" : "Advanced"));
  if (a.Components) {
    std::string list;
    for (int i = 0; i < kComponentCount; ++i) {
      if (!(*a.Components)[i]) continue;
      if (!list.empty()) list += ";";
      list += ComponentEntries()[i];
    }
    line("Components=" + list);
  }
  if (!a.DestinationFolder.empty()) line("DestinationFolder=" + Written(a.DestinationFolder));
  const char* check = a.CheckForNewVersion == UnattendedAnswers::NewVersionCheck::Stop  ? "Stop"
                      : a.CheckForNewVersion == UnattendedAnswers::NewVersionCheck::Log ? "Log"
                                                                                        : "No";
  line(std::string("CheckForNewVersion=") + check);
  line(std::string("RunConfigurationWizard=") + YesNoText(a.RunConfigurationWizard));
  line(std::string("OpenAdministration=") + YesNoText(a.OpenAdministration));
  line(std::string("ViewTutorial=") + YesNoText(a.ViewTutorial));
  line(std::string("ViewReleaseNotes=") + YesNoText(a.ViewReleaseNotes));
  if (a.RunConfigurationWizard) {
    line("[Configuration]");
    line("HostName=" + Written(a.HostName));
    line("Domain=" + Written(a.Domain));
    line("Administrator=" + Written(a.Administrator));
    line("; No password is ever written here: set this variable before the installation.");
    line("PasswordVariable=" +
         Written(a.PasswordVariable.empty() ? std::string(kDefaultPasswordVariable) : a.PasswordVariable));
  }
  return out;
}

}  // namespace tovex
