#include "setup/answers_file.h"

#include <gtest/gtest.h>

#include <map>

namespace tovex {
namespace {

const std::map<std::string, std::string> kEnvironment = {{"TOVEX_ADMIN_PASSWORD", "s3cret pass"},
                                                         {"EMPTY_PASSWORD", ""}};

AnswersReading Read(const std::string& text) {
  return ReadAnswersFile(text, [](const std::string& name) -> std::optional<std::string> {
    auto found = kEnvironment.find(name);
    if (found == kEnvironment.end()) return std::nullopt;
    return found->second;
  });
}

const std::string kSetup = "[Setup]\nName=Jane Doe\nEmail=jane@example.com\n";
const std::string kConfiguration =
    "[Configuration]\nHostName=mail.example.com\nDomain=example.com\nAdministrator=admin\nPassword=pw\n";

std::string Problems(const AnswersReading& reading) {
  std::string text;
  for (const auto& p : reading.problems) text += p.key + ": " + p.reason + "\n";
  return text;
}

TEST(AnswersFile, TheSmallestFileTakesTheDefaults) {
  const AnswersReading reading = Read(kSetup + kConfiguration);
  ASSERT_TRUE(reading.answers) << Problems(reading);
  const UnattendedAnswers& a = *reading.answers;
  EXPECT_EQ(a.Name, "Jane Doe");
  EXPECT_EQ(a.Email, "jane@example.com");
  EXPECT_EQ(a.Company, "");
  EXPECT_EQ(a.Country, "");
  EXPECT_FALSE(a.BasicMode);   // the wizard's default
  EXPECT_FALSE(a.Components);  // the wizard's default
  EXPECT_EQ(a.DestinationFolder, "");
  EXPECT_EQ(a.CheckForNewVersion, UnattendedAnswers::NewVersionCheck::No);
  EXPECT_TRUE(a.RunConfigurationWizard);
  EXPECT_FALSE(a.OpenAdministration);
  EXPECT_FALSE(a.ViewTutorial);
  EXPECT_FALSE(a.ViewReleaseNotes);
  EXPECT_EQ(a.HostName, "mail.example.com");
  EXPECT_EQ(a.Domain, "example.com");
  EXPECT_EQ(a.Administrator, "admin");
  EXPECT_EQ(a.Password, "pw");
}

TEST(AnswersFile, EveryKeyIsRead) {
  const AnswersReading reading = Read(
      "\xEF\xBB\xBF; written by hand\r\n"
      "[setup]\r\n"
      "  name = Jane Doe \r\n"
      "EMAIL=jane@mail.example.com\r\n"
      "Company=Example Ltd\r\n"
      "Country=Iceland\r\n"
      "Mode=basic\r\n"
      "Components=webmail; Mail Services (SMTP, POP3, IMAP) ;Instant Messaging / VoIP\r\n"
      "DestinationFolder=\"D:\\Mail Server\\\"\r\n"
      "CheckForNewVersion=Stop\r\n"
      "RunConfigurationWizard=yes\r\n"
      "OpenAdministration=1\r\n"
      "ViewTutorial=true\r\n"
      "ViewReleaseNotes=No\r\n"
      "# the first domain\r\n"
      "[Configuration]\r\n"
      "HostName=mail\r\n"
      "Domain=Example.COM\r\n"
      "Administrator=postmaster\r\n"
      "PasswordVariable=TOVEX_ADMIN_PASSWORD\r\n");
  ASSERT_TRUE(reading.answers) << Problems(reading);
  const UnattendedAnswers& a = *reading.answers;
  EXPECT_EQ(a.Name, "Jane Doe");
  EXPECT_EQ(a.Email, "jane@mail.example.com");
  EXPECT_EQ(a.Company, "Example Ltd");
  EXPECT_EQ(a.Country, "Iceland");
  EXPECT_EQ(a.BasicMode, true);
  ASSERT_TRUE(a.Components);
  EXPECT_EQ(*a.Components, (std::array<bool, 7>{true, false, true, false, false, false, true}));
  EXPECT_EQ(a.DestinationFolder, "D:\\Mail Server\\");
  EXPECT_EQ(a.CheckForNewVersion, UnattendedAnswers::NewVersionCheck::Stop);
  EXPECT_TRUE(a.OpenAdministration);
  EXPECT_TRUE(a.ViewTutorial);
  EXPECT_FALSE(a.ViewReleaseNotes);
  EXPECT_EQ(a.Domain, "Example.COM");
  EXPECT_EQ(a.Administrator, "postmaster");
  EXPECT_EQ(a.Password, "s3cret pass");
  EXPECT_EQ(a.PasswordVariable, "TOVEX_ADMIN_PASSWORD");
}

TEST(AnswersFile, SmallerChoices) {
  struct Case {
    const char* lines;
    std::function<bool(const UnattendedAnswers&)> holds;
  };
  const Case cases[] = {
      {"Components=", [](const auto& a) { return a.Components && *a.Components == std::array<bool, 7>{}; }},
      {"Mode=Advanced", [](const auto& a) { return a.BasicMode == false; }},
      {"CheckForNewVersion=Log", [](const auto& a) { return a.CheckForNewVersion == UnattendedAnswers::NewVersionCheck::Log; }},
      {"CheckForNewVersion=yes", [](const auto& a) { return a.CheckForNewVersion == UnattendedAnswers::NewVersionCheck::Log; }},
      {"DestinationFolder=\\\\server\\share\\Tovex", [](const auto& a) { return a.DestinationFolder == "\\\\server\\share\\Tovex"; }},
      {"RunConfigurationWizard=No", [](const auto& a) { return !a.RunConfigurationWizard && a.Domain.empty(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    const bool noWizard = std::string(c.lines).find("RunConfigurationWizard=No") != std::string::npos;
    const AnswersReading reading = Read(kSetup + c.lines + "\n" + (noWizard ? "" : kConfiguration));
    ASSERT_TRUE(reading.answers) << Problems(reading);
    EXPECT_TRUE(c.holds(*reading.answers));
  }
  // An empty password, when given on purpose, is what the wizard accepts too.
  const AnswersReading empty = Read(kSetup +
      "[Configuration]\nHostName=h\nDomain=example.com\nAdministrator=admin\nPasswordVariable=EMPTY_PASSWORD\n");
  ASSERT_TRUE(empty.answers) << Problems(empty);
  EXPECT_EQ(empty.answers->Password, "");
}

TEST(AnswersFile, EachProblemNamesTheKeyAndWhy) {
  struct Case {
    std::string text;
    std::string key;
    std::string reason;  // a part of it
  };
  const std::string name = "[Setup]\nName=Jane Doe\n";
  const std::string setup = kSetup;
  const std::string config = "[Configuration]\nHostName=h\nAdministrator=admin\nPassword=pw\n";
  const Case cases[] = {
      {"[Setup]\nEmail=jane@example.com\n" + kConfiguration, "[Setup] Name", "missing"},
      {"[Setup]\nName= \nEmail=jane@example.com\n" + kConfiguration, "[Setup] Name", "empty"},
      {name + kConfiguration, "[Setup] Email", "missing"},
      {name + "Email=jane@example\n" + kConfiguration, "[Setup] Email", "'jane@example' is not an e-mail address"},
      {name + "Email=@example.com\n" + kConfiguration, "[Setup] Email", "not an e-mail address"},
      {name + "Email=jane@example.\n" + kConfiguration, "[Setup] Email", "not an e-mail address"},
      {setup + "Colour=blue\n" + kConfiguration, "[Setup] Colour", "unknown key"},
      {setup + "Name=John\n" + kConfiguration, "[Setup] Name", "given twice (lines 2 and 4)"},
      {setup + "Mode=Expert\n" + kConfiguration, "[Setup] Mode", "neither Advanced nor Basic"},
      {setup + "Components=WebMail;Fax\n" + kConfiguration, "[Setup] Components", "'Fax' is not an entry"},
      {setup + "DestinationFolder=Tovex\n" + kConfiguration, "[Setup] DestinationFolder", "not an absolute folder"},
      {setup + "DestinationFolder=C:\\a|b\n" + kConfiguration, "[Setup] DestinationFolder", "not an absolute folder"},
      {setup + "DestinationFolder=C:\\" + std::string(260, 'x') + "\n" + kConfiguration, "[Setup] DestinationFolder",
       "longer than 255"},
      {setup + "CheckForNewVersion=Maybe\n" + kConfiguration, "[Setup] CheckForNewVersion", "none of No, Log and Stop"},
      {setup + "ViewTutorial=sometimes\n" + kConfiguration, "[Setup] ViewTutorial", "not Yes or No"},
      {setup + "RunConfigurationWizard=no\n" + kConfiguration, "[Configuration] HostName", "given while RunConfigurationWizard=No"},
      {setup, "[Configuration] HostName", "missing"},
      {setup + config, "[Configuration] Domain", "missing"},
      {setup + config + "Domain=\n", "[Configuration] Domain", "empty"},
      {setup + config + "Domain=..\\windows\n", "[Configuration] Domain", "refused"},
      {setup + config + "Domain=a/b.com\n", "[Configuration] Domain", "refused"},
      {setup + "[Configuration]\nHostName=h\nDomain=example.com\nAdministrator=..\\x\nPassword=p\n",
       "[Configuration] Administrator", "refused"},
      {setup + "[Configuration]\nHostName=" + std::string(128, 'h') + "\nDomain=example.com\nAdministrator=a\nPassword=p\n",
       "[Configuration] HostName", "longer than 127"},
      {setup + "[Configuration]\nHostName=h\nDomain=example.com\nAdministrator=a\n", "[Configuration] Password",
       "missing"},
      {setup + "[Configuration]\nHostName=h\nDomain=example.com\nAdministrator=a\nPassword=p\nPasswordVariable=X\n",
       "[Configuration] PasswordVariable", "together with Password"},
      {setup + "[Configuration]\nHostName=h\nDomain=example.com\nAdministrator=a\nPasswordVariable=NOT_SET\n",
       "[Configuration] PasswordVariable", "'NOT_SET' is not set"},
      {setup + "[Configuration]\nHostName=h\nDomain=example.com\nAdministrator=a\nPassword=" + std::string(128, 'p') + "\n",
       "[Configuration] Password", "longer than 127"},
      {"Name=Jane\n" + setup + kConfiguration, "line 1", "a key before the first section"},
      {setup + "just words\n" + kConfiguration, "line 4", "not a KEY=VALUE line"},
      {setup + "[Extras]\nColour=blue\n" + kConfiguration, "line 4", "unknown section [Extras]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const AnswersReading reading = Read(c.text);
    EXPECT_FALSE(reading.answers);
    ASSERT_FALSE(reading.problems.empty());
    bool found = false;
    for (const auto& p : reading.problems) {
      found = found || (p.key == c.key && p.reason.find(c.reason) != std::string::npos);
    }
    EXPECT_TRUE(found) << Problems(reading);
  }
}

TEST(AnswersFile, AWrittenFileReadsBackAndHoldsNoPassword) {
  UnattendedAnswers a;
  a.Name = "Jane Doe";
  a.Email = "jane@example.com";
  a.Company = "Example Ltd";
  a.BasicMode = true;
  a.Components = std::array<bool, 7>{true, true, false, true, false, true, true};
  a.DestinationFolder = "C:\\Program Files\\Tovex\\";
  a.ViewReleaseNotes = true;
  a.HostName = "mail.example.com";
  a.Domain = "example.com";
  a.Administrator = "admin";
  a.Password = "never-on-disk";
  const std::string text = WriteAnswersFile(a);
  EXPECT_EQ(text.find("never-on-disk"), std::string::npos);
  EXPECT_NE(text.find("PasswordVariable=TOVEX_ADMIN_PASSWORD\r\n"), std::string::npos);

  const AnswersReading reading = Read(text);
  ASSERT_TRUE(reading.answers) << Problems(reading) << text;
  const UnattendedAnswers& b = *reading.answers;
  EXPECT_EQ(b.Name, a.Name);
  EXPECT_EQ(b.Email, a.Email);
  EXPECT_EQ(b.Company, a.Company);
  EXPECT_EQ(b.BasicMode, a.BasicMode);
  EXPECT_EQ(b.Components, a.Components);
  EXPECT_EQ(b.DestinationFolder, a.DestinationFolder);
  EXPECT_EQ(b.ViewReleaseNotes, a.ViewReleaseNotes);
  EXPECT_EQ(b.Domain, a.Domain);
  EXPECT_EQ(b.Password, "s3cret pass");  // from the environment, as the file says

  // Values that the file quotes to keep: their own double quotes, blanks at
  // either end.
  UnattendedAnswers odd = a;
  odd.Name = "\"Jane\"";
  odd.Company = " Example Ltd ";
  odd.Country = "\"";
  odd.Administrator = "\"\"";
  const AnswersReading oddReading = Read(WriteAnswersFile(odd));
  ASSERT_TRUE(oddReading.answers) << Problems(oddReading) << WriteAnswersFile(odd);
  EXPECT_EQ(oddReading.answers->Name, odd.Name);
  EXPECT_EQ(oddReading.answers->Company, odd.Company);
  EXPECT_EQ(oddReading.answers->Country, odd.Country);
  EXPECT_EQ(oddReading.answers->Administrator, odd.Administrator);

  a.RunConfigurationWizard = false;
  const std::string upgrade = WriteAnswersFile(a);
  EXPECT_EQ(upgrade.find("[Configuration]"), std::string::npos);
  EXPECT_TRUE(Read(upgrade).answers) << Problems(Read(upgrade));
}

}  // namespace
}  // namespace tovex
