// The answers file reader on any bytes. Besides crashes and undefined
// behaviour it checks that answers it accepts, written back as an answers
// file (as /SAVEINF does) and read again, are the same answers: a file saved
// from one run must deploy the same installation.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "setup/answers_file.h"

using namespace tovex;

namespace {

bool Same(const UnattendedAnswers& a, const UnattendedAnswers& b) {
  return a.Name == b.Name && a.Email == b.Email && a.Company == b.Company && a.Country == b.Country &&
         a.BasicMode == b.BasicMode && a.Components == b.Components && a.DestinationFolder == b.DestinationFolder &&
         a.CheckForNewVersion == b.CheckForNewVersion && a.RunConfigurationWizard == b.RunConfigurationWizard &&
         a.OpenAdministration == b.OpenAdministration && a.ViewTutorial == b.ViewTutorial &&
         a.ViewReleaseNotes == b.ViewReleaseNotes && a.HostName == b.HostName && a.Domain == b.Domain &&
         a.Administrator == b.Administrator && a.Password == b.Password;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  // Two variables are set: one holds a password, the other an empty one.
  const AnswersReading reading = ReadAnswersFile(text, [](const std::string& name) -> std::optional<std::string> {
    if (name == "TOVEX_ADMIN_PASSWORD") return std::string("s3cret");
    if (name == "EMPTY") return std::string();
    return std::nullopt;
  });
  if (reading.answers.has_value() == !reading.problems.empty()) std::abort();
  if (!reading.answers) return 0;

  const UnattendedAnswers& first = *reading.answers;
  const std::string saved = WriteAnswersFile(first);
  const std::string variable =
      first.PasswordVariable.empty() ? std::string(kDefaultPasswordVariable) : first.PasswordVariable;
  const AnswersReading again = ReadAnswersFile(saved, [&](const std::string& name) -> std::optional<std::string> {
    if (name == variable) return first.Password;
    return std::nullopt;
  });
  if (!again.answers || !Same(first, *again.answers)) std::abort();
  return 0;
}
