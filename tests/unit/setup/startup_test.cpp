// Start-up and the command line of Setup.

#include <gtest/gtest.h>

#include <algorithm>

#include "unit/setup/wizard_fixture.h"

namespace tovex::testing {
namespace {

bool Called(const std::vector<std::string>& calls, const std::string& what) {
  return std::find(calls.begin(), calls.end(), what) != calls.end();
}

TEST(CommandLine, EachRow) {
  struct Row {
    std::vector<std::string> parameters;
    std::vector<MessageAnswer> answers;
    long exitCode;               // -1: the wizard runs
    std::vector<std::string> expectedCalls;
    std::vector<std::string> unexpectedCalls;
  };
  const std::string lng = "SaveLanguageFile C:\\Setup\\setup.lng";
  const Row rows[] = {
      {{}, {MessageAnswer::Yes}, -1, {"Migrate"}, {"InitConfigurationStore"}},
      {{"/SILENT"}, {}, -1, {}, {"InitConfigurationStore"}},
      {{"/silent"}, {}, -1, {}, {}},
      {{"/silent", "/UNINSTALL"}, {}, -1, {}, {"Uninstall"}},
      {{"-EXPORTLANGUAGE"}, {}, 0, {lng}, {"Migrate"}},
      {{"foo", "/exportlanguage"}, {}, 0, {lng}, {"InitConfigurationStore"}},
      {{"/UNINSTALL"}, {MessageAnswer::Yes}, 0, {"InitConfigurationStore", "LoadConfiguration", "Uninstall"}, {}},
      {{"/uninstall"}, {MessageAnswer::No}, 1602, {"InitConfigurationStore"}, {"Uninstall"}},
      {{"/WEBMAILLOGON"}, {}, 0, {"LoadConfiguration"}, {}},
      {{"/bogus"}, {}, 1639, {"InitConfigurationStore"}, {"Uninstall"}},
  };
  for (const Row& row : rows) {
    std::string trace;
    for (const std::string& p : row.parameters) trace += p + " ";
    SCOPED_TRACE(trace);
    WizardFixture run;
    run.machine.user.answers.assign(row.answers.begin(), row.answers.end());
    EXPECT_EQ(run.Start(row.parameters), row.exitCode);
    for (const std::string& call : row.expectedCalls) EXPECT_TRUE(Called(run.calls, call)) << call;
    for (const std::string& call : row.unexpectedCalls) EXPECT_FALSE(Called(run.calls, call)) << call;
    if (row.exitCode == -1) {
      EXPECT_EQ(run.program.state.PageIndex, 0);
    }
  }
}

TEST(CommandLine, UninstallQuestion) {
  WizardFixture run;
  run.machine.user.answers = {MessageAnswer::No};
  EXPECT_EQ(run.Start({"/uninstall"}), 1602);
  ASSERT_EQ(run.machine.user.shown.size(), 1u);
  EXPECT_EQ(run.machine.user.shown[0].text,
            "Are you sure to completely remove all files and components of this program?");
  EXPECT_EQ(run.machine.user.shown[0].caption, "Tovex Mail Server Setup");
  EXPECT_EQ(run.machine.user.shown[0].buttons, MessageButtons::YesNo);
}

TEST(CommandLine, ExportLoadsAnExistingLanguageFileFirst) {
  WizardFixture run;
  run.machine.files.AddFile("C:\\Setup\\setup.lng", "<x/>");
  EXPECT_EQ(run.Start({"/EXPORTLANGUAGE"}), 0);
  ASSERT_EQ(run.calls.size(), 2u);
  EXPECT_EQ(run.calls[0], "LoadLanguageFile C:\\Setup\\setup.lng");
  EXPECT_EQ(run.calls[1], "SaveLanguageFile C:\\Setup\\setup.lng");
  EXPECT_FALSE(run.machine.stringTable.Entries().empty());
}

TEST(CommandLine, AFailedExportIsNotReportedAsSuccess) {
  WizardFixture run;
  run.program.services.SaveLanguageFile = [](const std::string&) { return false; };
  EXPECT_EQ(run.Start({"/exportlanguage"}), 1603);
}

TEST(CommandLine, WebLogonOpensTheAddressAndLogsIt) {
  WizardFixture run;
  run.program.services.ServerHostList = [] { return std::string(" mail.example.test ;backup"); };
  run.program.services.WebAdminPort = [] { return uint16_t{8080}; };
  EXPECT_EQ(run.Start({"/WEBADMINLOGON"}), 0);
  ASSERT_EQ(run.machine.shell.opened.size(), 1u);
  EXPECT_EQ(run.machine.shell.opened[0].target, "http://mail.example.test:8080/admin/");
  EXPECT_NE(run.machine.log.Text().find("http://mail.example.test:8080/admin/"), std::string::npos);
  EXPECT_TRUE(run.machine.user.shown.empty());
}

TEST(WebLogonAddress, HostAndPortRules) {
  EXPECT_EQ(WebLogonAddress("", 0, false), "http://localhost:32000/admin/");
  EXPECT_EQ(WebLogonAddress("", 32000, true), "http://localhost:32000/mail/");
  EXPECT_EQ(WebLogonAddress("  ; other", 81, true), "http://localhost:81/mail/");
  EXPECT_EQ(WebLogonAddress("host.example", 65535, false), "http://host.example:65535/admin/");
}

TEST(Startup, InstallationQuestionAndCaption) {
  WizardFixture run;
  run.machine.user.answers = {MessageAnswer::Yes};
  EXPECT_EQ(run.Start(), -1);
  ASSERT_EQ(run.machine.user.shown.size(), 1u);
  EXPECT_EQ(run.machine.user.shown[0].text, "This will install Tovex Mail Server 8.5.0-7. Do you wish to continue?");
  EXPECT_EQ(run.machine.user.shown[0].caption, "Tovex Mail Server Setup");
  EXPECT_EQ(run.machine.user.shown[0].icon, MessageIcon::Question);
  EXPECT_EQ(run.form().Caption(), "Tovex Mail Server 8.5.0-7 Setup");
  EXPECT_EQ(run.machine.log.IsAttached("C:\\Temp\\TovexSetup.log"), true);
}

TEST(Startup, NoToTheInstallationQuestionEndsAsDeclined) {
  WizardFixture run;
  run.machine.user.answers = {MessageAnswer::No};
  EXPECT_EQ(run.Start(), 1602);
}

TEST(Startup, WithoutSetupDataEvenSilentShowsTheErrorAndEndsFatally) {
  for (const char* parameter : {"", "/SILENT"}) {
    SCOPED_TRACE(parameter);
    WizardFixture run;
    run.machine.files.Delete("C:\\Setup\\setup.Dat");
    std::vector<std::string> parameters;
    if (*parameter != '\0') parameters.push_back(parameter);
    EXPECT_EQ(run.Start(parameters), 1603);
    ASSERT_EQ(run.machine.user.shown.size(), 1u);
    EXPECT_EQ(run.machine.user.shown[0].text, "Setup could not find the required files.");
    EXPECT_EQ(run.machine.user.shown[0].caption, "Error");
    EXPECT_EQ(run.machine.user.shown[0].icon, MessageIcon::Error);
  }
  // The command-line actions end before the check.
  WizardFixture run;
  run.machine.files.Delete("C:\\Setup\\setup.Dat");
  EXPECT_EQ(run.Start({"/WEBMAILLOGON"}), 0);
}

TEST(Startup, WelcomeTitleTakesTheReleaseWhereATranslationAsksForIt) {
  WizardFixture run;
  run.program.CreateForms();
  run.Get("AboutLabel").SetCaption("Willkommen zu %s");
  run.machine.context.commandLine = ParseCommandLine({"/SILENT"});
  run.program.ShowMainForm();
  EXPECT_EQ(run.Get("AboutLabel").Caption(), "Willkommen zu 8.5.0-7");
  EXPECT_EQ(run.form().PageCaption().Caption(), "Willkommen zu 8.5.0-7");
}

TEST(Startup, FreshMachineGetsTheDefaultDestination) {
  WizardFixture run;
  EXPECT_EQ(run.Start({"/SILENT"}), -1);
  EXPECT_EQ(run.Get("PathEdit").Caption(), "C:\\Program Files\\Tovex\\");
  WizardFixture other;
  other.SetRecord("ProgramFilesDir", "D:\\Apps", kWindowsCurrentVersionKey);
  other.SetRecord("Version", "8.1.0");  // a version without a folder
  EXPECT_EQ(other.Start({"/SILENT"}), -1);
  EXPECT_EQ(other.Get("PathEdit").Caption(), "D:\\Apps\\Tovex\\");
  EXPECT_EQ(other.program.state.PreviousVersion, "8.1.0");
  EXPECT_FALSE(other.program.state.RemoveOldAntivirus);
}

TEST(Startup, PreviousInstallationFillsTheWizard) {
  WizardFixture run;
  run.SetRecord("Version", "8.2.6");
  run.SetRecord("InstallDir", "E:\\Mail\\");
  run.SetRecord("Name", "Jane");
  run.SetRecord("Country", "Utopia");
  run.recordFlags["NoInstallAV"] = true;
  std::string configFolder;
  run.program.services.SetConfigurationFolder = [&](const std::string& folder) { configFolder = folder; };
  run.program.services.ConsoleMode = [] { return std::string("basic.xml"); };
  run.machine.files.AddFile("C:\\Setup\\license.txt", "line one\nline two\n");
  EXPECT_EQ(run.Start({"/SILENT"}), -1);
  const WizardState& state = run.program.state;
  EXPECT_EQ(state.PreviousInstallDir, "E:\\Mail\\");
  EXPECT_EQ(run.Get("PathEdit").Caption(), "E:\\Mail\\");
  EXPECT_EQ(configFolder, "E:\\Mail\\config\\");
  EXPECT_TRUE(run.Get("BasicMode").Checked());
  EXPECT_EQ(run.Get("ConsoleMemo").Text(), "Some options will be invisible. Beginner's mode.");
  EXPECT_TRUE(state.RemoveOldAntivirus);
  EXPECT_TRUE(run.machine.context.flags.NoInstallAV);
  EXPECT_FALSE(run.machine.context.flags.NoInstallMail);
  EXPECT_EQ(run.Get("NameEdit").Text(), "Jane");
  EXPECT_EQ(run.Get("CountryEdit").Text(), "Utopia");
  EXPECT_EQ(run.Get("LicenseMemo").Text(), "line one\r\nline two\r\n");
}

TEST(Startup, ConsoleModeIsMatchedExactly) {
  WizardFixture run;
  run.SetRecord("InstallDir", "E:\\Mail\\");
  run.program.services.ConsoleMode = [] { return std::string("Basic.xml"); };
  EXPECT_EQ(run.Start({"/SILENT"}), -1);
  EXPECT_TRUE(run.Get("AdvancedMode").Checked());
}

TEST(Startup, AnErrorReadingTheRecordGivesTheDefaultDestination) {
  WizardFixture run;
  run.SetRecord("InstallDir", "E:\\Mail\\");
  run.program.services.ReadBool = [](const std::string&, const std::string&) -> bool {
    throw std::runtime_error("access denied");
  };
  EXPECT_EQ(run.Start({"/SILENT"}), -1);
  EXPECT_EQ(run.Get("PathEdit").Caption(), "C:\\Program Files\\Tovex\\");
}

TEST(Startup, OldWebMail) {
  struct Case {
    const char* version;
    bool folderExists;
    bool found;
  };
  const Case cases[] = {{"4.2.2", true, false}, {"4.2.1", true, true}, {"4.2.1", false, false}, {"5.0", true, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.version) + (c.folderExists ? " present" : " absent"));
    WizardFixture run;
    run.SetRecord("Version", c.version, kWebMailRecordKey);
    run.SetRecord("InstallDir", "C:\\WebMail\\", kWebMailRecordKey);
    if (c.folderExists) run.machine.files.AddFolder("C:\\WebMail");
    EXPECT_EQ(run.Start({"/SILENT"}), -1);
    EXPECT_EQ(run.program.state.OldWebMailFound, c.found);
  }
}

TEST(Startup, ProductsAddressComesFromInfoXml) {
  WizardFixture run;
  run.machine.files.AddFile("C:\\Setup\\info.xml", "<INFO/>");
  run.program.services.ReadProductsUrl = [](const std::string& path) {
    return path == "C:\\Setup\\info.xml" ? std::string("http://127.0.0.1/products.xml") : std::string();
  };
  EXPECT_EQ(run.Start({"/SILENT"}), -1);
  EXPECT_EQ(run.program.state.ProductsUrl, "http://127.0.0.1/products.xml");
}

TEST(Startup, FormsAreCreatedInOrder) {
  WizardFixture run;
  run.program.CreateForms();
  const auto& forms = run.program.application.Forms();
  ASSERT_EQ(forms.size(), 3u);
  EXPECT_EQ(forms[0]->ClassName(), "TMainForm");
  EXPECT_EQ(forms[1]->ClassName(), "TBrowseFolder");
  EXPECT_EQ(forms[2]->ClassName(), "TWizardForm");
  EXPECT_EQ(run.program.application.Title, "Setup");
}

}  // namespace
}  // namespace tovex::testing

namespace tovex::testing {
namespace {

TEST(Startup, InfoXmlIsReadWithTheXmlReader) {
  struct Case {
    const char* content;
    const char* url;
  };
  const Case cases[] = {
      {"<?xml version=\"1.0\"?><INFO><PRODUCTSXML>http://127.0.0.1:8080/p.xml</PRODUCTSXML></INFO>",
       "http://127.0.0.1:8080/p.xml"},
      {"<INFO><OTHER>x</OTHER></INFO>", ""},
      {"<INFO><PRODUCTSXML>http://a/b", ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content);
    WizardFixture run;
    run.machine.files.AddFile("C:\\Setup\\info.xml", c.content);
    EXPECT_EQ(run.Start({"/SILENT"}), -1);
    EXPECT_EQ(run.program.state.ProductsUrl, c.url);
  }
}

}  // namespace
}  // namespace tovex::testing

namespace tovex::testing {
namespace {

TEST(CommandLine, ExportWritesTheFormsAndEveryString) {
  fakes::FakeMachine machine;
  SetupProgram program(machine.context);
  machine.context.commandLine = ParseCommandLine({"foo", "/exportlanguage"});
  program.CreateForms();
  try {
    program.ShowMainForm();
    FAIL() << "the export ends the process";
  } catch (const ProcessEnded& end) {
    EXPECT_EQ(end.exitCode, 0u);
  }
  const std::optional<std::string> written = machine.files.Content("C:\\Setup\\setup.lng");
  ASSERT_TRUE(written.has_value());
  for (const char* expected : {"ID=\"TMainForm\"", "ID=\"TBrowseFolder\"", "ID=\"TWizardForm\"", "ID=\"NextButton\"",
                               "ID=\"AboutLabel\"", "ID=\"cname\""}) {
    EXPECT_NE(written->find(expected), std::string::npos) << expected;
  }
}

}  // namespace
}  // namespace tovex::testing
