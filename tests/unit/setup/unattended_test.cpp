#include "setup/unattended.h"

#include <gtest/gtest.h>

#include "setup/new_version_check.h"
#include "setup/main_form.h"
#include "setup/wizard_form.h"
#include "upgrade/config_store.h"
#include "wizard_fixture.h"

namespace tovex {
namespace {

using testing::WizardFixture;

const char* const kAnswers =
    "[Setup]\r\n"
    "Name=Jane Doe\r\n"
    "Email=jane@example.com\r\n"
    "Company=Example Ltd\r\n"
    "Mode=Basic\r\n"
    "Components=Mail Services (SMTP, POP3, IMAP);WebMail;GroupWare\r\n"
    "DestinationFolder=D:\\Mail\\\r\n"
    "ViewReleaseNotes=Yes\r\n"
    "[Configuration]\r\n"
    "HostName=mail.example.com\r\n"
    "Domain=example.com\r\n"
    "Administrator=admin\r\n"
    "PasswordVariable=ADMIN_PW\r\n";

// A run without windows: the boxes go through the silent user to the log.
struct SilentRun : WizardFixture {
  SilentUser silent{machine.context};
  SilentRun() {
    machine.context.platform.user = &silent;
    silent.decide = UnattendedDecisions(machine.context);
    machine.system.environment["ADMIN_PW"] = "pw";
  }
  std::string Log() const { return machine.log.Text(); }
};

TEST(Unattended, VerySilentWalksTheWizardWithTheAnswers) {
  SilentRun run;
  run.machine.files.AddFile("C:\\answers.ini", kAnswers);
  bool releaseNotes = false;
  run.program.services.RunFinishActions = [&run, &releaseNotes] {
    run.calls.push_back("RunFinishActions");
    releaseNotes = run.Get("ViewReleaseNotes").Checked();
    EndSetup(run.machine.context, kExitSuccess);
  };
  EXPECT_EQ(run.Start({"/VERYSILENT", "/LOADINF=C:\\answers.ini"}), 0);
  EXPECT_TRUE(run.machine.user.shown.empty());
  EXPECT_EQ(run.calls, (std::vector<std::string>{"Migrate", "RunInstallation", "RunFinishActions"}));
  EXPECT_EQ(run.Get("NameEdit").Text(), "Jane Doe");
  EXPECT_EQ(run.Get("CompanyEdit").Text(), "Example Ltd");
  EXPECT_TRUE(run.Get("BasicMode").Checked());
  EXPECT_EQ(run.Get("PathEdit").Caption(), "D:\\Mail\\");
  const ComponentFlags& f = run.machine.context.flags;
  EXPECT_FALSE(f.NoInstallMail);
  EXPECT_TRUE(f.NoInstallControl);
  EXPECT_FALSE(f.NoInstallWebMail);
  EXPECT_TRUE(f.NoInstallIAS);
  EXPECT_TRUE(f.NoInstallAV);
  EXPECT_FALSE(f.NoInstallCalendar);
  EXPECT_TRUE(f.NoInstallIM);
  EXPECT_TRUE(releaseNotes);
  EXPECT_NE(run.Log().find("Answers file C:\\answers.ini read"), std::string::npos) << run.Log();
}

TEST(Unattended, ARefusedAnswersFileEndsFatallyBeforeAnythingChanges) {
  struct Case {
    std::vector<std::string> parameters;
    std::string file;
    std::string logged;
  };
  const std::string bad = std::string(kAnswers).replace(std::string(kAnswers).find("jane@example.com"), 16, "jane");
  const Case cases[] = {
      {{"/VERYSILENT"}, kAnswers, "/VERYSILENT needs /LOADINF=FILE"},
      {{"/VERYSILENT", "/LOADINF=C:\\missing.ini"}, kAnswers, "reading C:\\missing.ini"},
      {{"/VERYSILENT", "/LOADINF=C:\\answers.ini"}, bad, "[Setup] Email: 'jane' is not an e-mail address"},
      {{"/verysilent", "/LOADINF=C:\\answers.ini"}, std::string(kAnswers) + "Colour=blue\r\n",
       "[Configuration] Colour: unknown key"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.logged);
    SilentRun run;
    run.machine.files.AddFile("C:\\answers.ini", c.file);
    EXPECT_EQ(run.Start(c.parameters), 1603);
    EXPECT_TRUE(run.calls.empty());  // not even the registry migration ran
    EXPECT_TRUE(run.machine.user.shown.empty());
    EXPECT_NE(run.Log().find(c.logged), std::string::npos) << run.Log();
    EXPECT_NE(run.Log().find("nothing was changed"), std::string::npos) << run.Log();
  }
}

TEST(Unattended, WhatWouldHaveBeenABoxGoesToTheLog) {
  SilentRun run;
  run.machine.files.AddFile("C:\\answers.ini", kAnswers);
  run.machine.files.Delete("C:\\Setup\\setup.Dat");
  EXPECT_EQ(run.Start({"/VERYSILENT", "/LOADINF=C:\\answers.ini"}), 1603);
  EXPECT_NE(run.Log().find("Message (Error, OK): Setup could not find the required files."), std::string::npos)
      << run.Log();

  // A question nobody answers ends the run as declined.
  SilentRun asked;
  asked.Start({"/SILENT"});
  try {
    asked.silent.ShowMessage("Continue?", "Question", MessageButtons::YesNo, MessageIcon::Question);
    FAIL() << "an unanswered question must end the run";
  } catch (const ProcessEnded& end) {
    EXPECT_EQ(end.exitCode, kExitCancelled);
  }
}

TEST(Unattended, UninstallVerySilentAnswersItsQuestion) {
  SilentRun run;
  EXPECT_EQ(run.Start({"/UNINSTALL", "/VERYSILENT"}), 0);
  EXPECT_NE(std::find(run.calls.begin(), run.calls.end(), "Uninstall"), run.calls.end());
  EXPECT_NE(run.Log().find("Answered Yes by the unattended run"), std::string::npos) << run.Log();
}

TEST(Unattended, TheNewVersionQuestionIsAnsweredByTheFile) {
  for (const char* check : {"Log", "Stop"}) {
    SCOPED_TRACE(check);
    SilentRun run;
    run.machine.network.Serve(std::string(kDefaultProductsUrl),
                              "<products><TX url=\"http://127.0.0.1/dl\">8.5.1</TX></products>");
    std::string text = kAnswers;
    text.insert(text.find("[Configuration]"), std::string("CheckForNewVersion=") + check + "\r\n");
    run.machine.files.AddFile("C:\\answers.ini", text);
    const long code = run.Start({"/VERYSILENT", "/LOADINF=C:\\answers.ini"});
    EXPECT_EQ(code, std::string(check) == "Stop" ? 1602 : 0);
    EXPECT_NE(run.Log().find("a newer release 8.5.1 is offered"), std::string::npos) << run.Log();
    const bool installed = std::find(run.calls.begin(), run.calls.end(), "RunInstallation") != run.calls.end();
    EXPECT_EQ(installed, std::string(check) == "Log");
  }
}

TEST(CommandLine, QuestionMarkListsEveryParameter) {
  WizardFixture run;
  EXPECT_EQ(run.Start({"/?"}), 0);
  ASSERT_EQ(run.machine.user.shown.size(), 1u);
  const std::string& text = run.machine.user.shown[0].text;
  for (const char* parameter : {"/SILENT", "/VERYSILENT /LOADINF=FILE", "/SAVEINF=FILE", "/UNINSTALL /VERYSILENT",
                                "/WEBMAILLOGON", "/WEBADMINLOGON", "/LOG=FILE", "/exportlanguage", "/InstallDir=",
                                "/?"}) {
    EXPECT_NE(text.find(std::string("\n") + parameter), std::string::npos) << parameter;
  }
  EXPECT_EQ(run.machine.user.shown[0].caption, "Tovex Mail Server Setup");
  EXPECT_TRUE(run.calls.empty());
}

TEST(CommandLine, LogGoesToTheNamedFileFromAnyPosition) {
  WizardFixture silent;
  silent.machine.files.AddFolder("C:\\Logs");
  EXPECT_EQ(silent.Start({"/LOG=C:\\Logs\\setup.log", "/SILENT"}), -1);
  EXPECT_TRUE(silent.machine.user.shown.empty());  // /SILENT counts as the first parameter
  EXPECT_TRUE(silent.machine.files.Content("C:\\Logs\\setup.log"));

  WizardFixture first;  // the log's folder is made
  EXPECT_EQ(first.Start({"/LOG=C:\\Logs\\setup.log"}), -1);  // the wizard, with its question
  ASSERT_EQ(first.machine.user.shown.size(), 1u);
  const std::optional<std::string> written = first.machine.files.Content("C:\\Logs\\setup.log");
  ASSERT_TRUE(written);
  EXPECT_NE(written->find("Parameter: /LOG=C:\\Logs\\setup.log"), std::string::npos) << *written;
  EXPECT_NE(written->find("Wizard ready"), std::string::npos) << *written;
}

TEST(CommandLine, SaveInfWritesTheAnswersAtInstallWithoutAPassword) {
  WizardFixture run;
  EXPECT_EQ(run.Start({"/SAVEINF=C:\\saved.ini"}), -1);
  ASSERT_EQ(run.machine.user.shown.size(), 1u);  // the installation question, as usual
  run.Get("CheckLatest").SetChecked(false);
  run.Next();
  run.Next();
  run.Get("NameEdit").UserSetText("Jane Doe");
  run.Get("EmailEdit").UserSetText("jane@example.com");
  run.Next();
  run.Get("BasicMode").SetChecked(true);
  run.Get("AdvancedMode").SetChecked(false);
  run.Next();
  run.Get("ComponentList").SetItemChecked(4, false);  // no anti-virus
  run.Next();
  EXPECT_FALSE(run.machine.files.Content("C:\\saved.ini"));
  run.Next();  // "&Install >"
  const std::optional<std::string> saved = run.machine.files.Content("C:\\saved.ini");
  ASSERT_TRUE(saved);
  EXPECT_NE(saved->find("Name=Jane Doe\r\n"), std::string::npos) << *saved;
  EXPECT_EQ(saved->find("Password="), std::string::npos) << *saved;
  const AnswersReading reading = ReadAnswersFile(*saved, [](const std::string&) { return std::nullopt; });
  ASSERT_TRUE(reading.answers) << *saved;
  EXPECT_EQ(reading.answers->BasicMode, true);
  EXPECT_EQ(*reading.answers->Components, (std::array<bool, 7>{true, true, true, true, false, true, true}));
  EXPECT_EQ(reading.answers->DestinationFolder, "C:\\Program Files\\Tovex\\");
  EXPECT_FALSE(reading.answers->RunConfigurationWizard);

  // The finish page adds its choices.
  run.Get("ViewReleaseNotes").SetChecked(true);
  EXPECT_EQ(run.Next(), 0);
  const AnswersReading finished =
      ReadAnswersFile(*run.machine.files.Content("C:\\saved.ini"), [](const std::string&) { return std::nullopt; });
  ASSERT_TRUE(finished.answers);
  EXPECT_TRUE(finished.answers->ViewReleaseNotes);
}

// The configuration wizard's hook with a real store over the fake files.
struct WithStore {
  ConfigurationStore store;
  explicit WithStore(WizardFixture& run) : store(run.machine.context.platform, &run.machine.log) {
    run.machine.context.config = &store;
    run.machine.context.InstallPath = "C:\\Tovex\\";
    run.machine.files.AddFolder("C:\\Tovex\\config");
  }
};

TEST(Unattended, TheConfigurationWizardIsAnsweredByTheFile) {
  SilentRun run;
  WithStore with(run);
  const AnswersReading reading =
      ReadAnswersFile(kAnswers, [](const std::string&) { return std::optional<std::string>("pw"); });
  ASSERT_TRUE(reading.answers);
  run.Start({"/SILENT"});
  InstallConfigurationAnswers(run.program, *reading.answers);
  run.program.services.RunConfigurationWizard();
  EXPECT_EQ(with.store.DomainName(0), "example.com");
  EXPECT_TRUE(run.machine.files.FileExists("C:\\Tovex\\config\\example.com\\users.cfg"));
  EXPECT_TRUE(run.machine.user.shown.empty());
}

TEST(CommandLine, SaveInfAddsTheConfigurationWizardsAnswersButNoPassword) {
  WizardFixture run;
  WithStore with(run);
  EXPECT_EQ(run.Start({"/SAVEINF=C:\\saved.ini"}), -1);
  run.Get("NameEdit").SetText("Jane Doe");
  run.Get("EmailEdit").SetText("jane@example.com");
  run.program.application.ModalScript = [&run](ui::Form& form) {
    auto& w = static_cast<TWizardForm&>(form);
    w.Get("NameEdit").UserSetText("mail.example.com");
    w.NextButton().Click();
    w.Get("OtherEdit").UserSetText("Example.com");
    w.NextButton().Click();
    w.Get("EmailEdit").UserSetText("admin");
    w.Get("PassEdit").UserSetText("typed-secret");
    w.NextButton().Click();
    w.NextButton().Click();
  };
  run.program.services.RunConfigurationWizard();
  EXPECT_EQ(with.store.DomainName(0), "example.com");
  const std::optional<std::string> saved = run.machine.files.Content("C:\\saved.ini");
  ASSERT_TRUE(saved);
  EXPECT_EQ(saved->find("typed-secret"), std::string::npos) << *saved;
  const AnswersReading reading =
      ReadAnswersFile(*saved, [](const std::string&) { return std::optional<std::string>("from-env"); });
  ASSERT_TRUE(reading.answers) << *saved;
  EXPECT_TRUE(reading.answers->RunConfigurationWizard);
  EXPECT_EQ(reading.answers->HostName, "mail.example.com");
  EXPECT_EQ(reading.answers->Domain, "Example.com");
  EXPECT_EQ(reading.answers->Administrator, "admin");
  EXPECT_EQ(reading.answers->PasswordVariable, "TOVEX_ADMIN_PASSWORD");
}

}  // namespace
}  // namespace tovex
