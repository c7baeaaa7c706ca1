// The wizard's pages, navigation, validation and cancelling, driven
// headlessly through the events a click or key would raise.

#include <gtest/gtest.h>

#include <stdexcept>

#include "unit/setup/wizard_fixture.h"

namespace tovex::testing {
namespace {

using ui::Component;

struct Wizard : ::testing::Test, WizardFixture {
  void SetUp() override { ASSERT_EQ(Start({"/SILENT"}), -1); }

  // The panel brought to front last among the page panels.
  int FrontPage() {
    int front = -1;
    uint32_t best = 0;
    for (uint8_t i = 0; i < 8; ++i) {
      if (form().PagePanel(i).ZOrder() > best) {
        best = form().PagePanel(i).ZOrder();
        front = i;
      }
    }
    return front;
  }
  void EnterCredentials() {
    Get("NameEdit").UserSetText("Jane Admin");
    Get("EmailEdit").UserSetText("jane@example.test");
  }
};

TEST_F(Wizard, PageTableFromWelcomeToInstallFolder) {
  struct Row {
    int page;
    const char* caption;
    bool backVisible;
    const char* back;
    const char* next;
    bool nextEnabled;
    const char* cancel;
  };
  const Row rows[] = {
      {0, "Welcome to the Tovex Mail Server Setup Wizard", false, "< &Back", "&Next >", true, "&Cancel"},
      {1, "Software License Agreement", true, "< &Back", "&Yes", true, "&No"},
      {2, "User/Company Details", true, "< &Back", "&Next >", false, "&Cancel"},
      {3, "Server Type && Console Mode", true, "< &Back", "&Next >", true, "&Cancel"},
      {4, "Components To Install", true, "< &Back", "&Next >", true, "&Cancel"},
      {5, "Start The Installation Process", true, "< &Back", "&Install >", true, "&Cancel"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE("page " + std::to_string(row.page));
    EXPECT_EQ(program.state.PageIndex, row.page);
    EXPECT_EQ(FrontPage(), row.page);
    EXPECT_TRUE(form().PagePanel(row.page).Enabled());
    if (row.page > 0) {
      EXPECT_FALSE(form().PagePanel(row.page - 1).Enabled());
    }
    EXPECT_FALSE(form().PagePanel(row.page + 1).Enabled());
    EXPECT_EQ(form().PageCaption().Caption(), row.caption);
    EXPECT_EQ(form().BackButton().Visible(), row.backVisible);
    if (row.backVisible) {
      EXPECT_EQ(form().BackButton().Caption(), row.back);
    }
    EXPECT_EQ(form().NextButton().Caption(), row.next);
    EXPECT_EQ(form().NextButton().Enabled(), row.nextEnabled);
    EXPECT_EQ(form().CloseButton().Caption(), row.cancel);
    if (row.page == 2) EnterCredentials();
    if (row.page < 5) {
      ASSERT_EQ(Next(), -1);
    }
  }
}

TEST_F(Wizard, WelcomeFocusesNextOnceTheWindowShows) {
  EXPECT_TRUE(form().NextButton().Focused());
  EXPECT_EQ(Get("ConsoleMemo").Text(), "All options will be visible. Expert's mode.");
}

TEST_F(Wizard, BackAndNextWalkPagesZeroToFiveBothWays) {
  Next();
  Next();
  EnterCredentials();
  for (int page = 3; page <= 5; ++page) {
    Next();
    EXPECT_EQ(program.state.PageIndex, page);
  }
  for (int page = 4; page >= 0; --page) {
    Back();
    EXPECT_EQ(program.state.PageIndex, page);
    EXPECT_EQ(FrontPage(), page);
  }
  EXPECT_FALSE(form().BackButton().Visible());
  // A click on the hidden Back button (posted from outside) changes nothing.
  form().BackButtonClick(form().BackButton());
  EXPECT_EQ(program.state.PageIndex, 0);
}

TEST_F(Wizard, VersionCheckRunsOnEveryEntryIntoTheLicencePageWhileTicked) {
  Next();
  Back();
  Next();
  Next();
  EnterCredentials();
  Back();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "CheckForNewVersion"), 3);
  Back();
  Get("CheckLatest").Click();
  Next();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "CheckForNewVersion"), 3);
}

TEST_F(Wizard, ComponentPageShowsTheFlagsAndTheFolderPageStoresThem) {
  machine.context.flags.NoInstallAV = true;
  machine.context.flags.NoInstallIM = true;
  Next();
  Next();
  EnterCredentials();
  Next();
  Next();
  Component& list = Get("ComponentList");
  ASSERT_EQ(list.Items().size(), 7u);
  EXPECT_EQ(list.Items()[6], "Instant Messaging / VoIP");
  for (size_t i = 0; i < 7; ++i) EXPECT_EQ(list.ItemChecked(i), i != 4 && i != 6) << i;
  EXPECT_EQ(list.ItemIndex(), 0);

  // Changes are discarded by going back, and shown again on the next entry.
  list.UserSetItemChecked(0, false);
  Back();
  EXPECT_FALSE(machine.context.flags.NoInstallMail);
  Next();
  EXPECT_TRUE(list.ItemChecked(0));

  // Unchecking every entry is accepted: every flag is set on page 5.
  for (size_t i = 0; i < 7; ++i) list.UserSetItemChecked(i, false);
  Next();
  const ComponentFlags& f = machine.context.flags;
  EXPECT_TRUE(f.NoInstallMail && f.NoInstallControl && f.NoInstallWebMail && f.NoInstallIAS && f.NoInstallAV &&
              f.NoInstallCalendar && f.NoInstallIM);
}

TEST(CredentialsRule, NamesAndAddresses) {
  struct Case {
    const char* name;
    const char* email;
    bool valid;
  };
  const Case cases[] = {
      {"Jane", "jane@example.com", true},   {"Jane", "j.doe@mail.example.org", true},
      {"Jane", "x@y.z", true},              {"  Jane  ", "x@y.z", true},
      {"   ", "x@y.z", false},              {"", "x@y.z", false},
      {"Jane", "@example.com", false},      {"Jane", "jane@example", false},
      {"Jane", "jane.doe@example", false},  {"Jane", "jane@example.", false},
      {"Jane", "jane@", false},             {"Jane", "", false},
      {"Jane", "jane@.com", true},          {"Jane", "a@b@c.d", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("'") + c.name + "' / '" + c.email + "'");
    EXPECT_EQ(TMainForm::CredentialsValid(c.name, c.email), c.valid);
  }
}

TEST_F(Wizard, CredentialsPageValidatesAsTheUserTypes) {
  Next();
  Next();
  EXPECT_FALSE(form().NextButton().Enabled());
  EXPECT_TRUE(Get("NameEdit").Focused());
  EXPECT_TRUE(Get("NameEdit").AllSelected());
  Get("NameEdit").UserSetText("Jane");
  Get("EmailEdit").UserSetText("jane@example");
  EXPECT_FALSE(form().NextButton().Enabled());
  Get("EmailEdit").UserSetText("jane@example.com");
  EXPECT_TRUE(form().NextButton().Enabled());
  Get("NameEdit").UserSetText("   ");
  EXPECT_FALSE(form().NextButton().Enabled());
  // Next stays where it is while disabled.
  EXPECT_EQ(Next(), -1);
  EXPECT_EQ(program.state.PageIndex, 2);
}

TEST(CredentialsFocus, ANameFromThePreviousInstallationLeavesTheFocusAlone) {
  WizardFixture run;
  run.SetRecord("Name", "Jane");
  run.SetRecord("Email", "jane@example.com");
  ASSERT_EQ(run.Start({"/silent"}), -1);
  run.Next();
  run.Next();
  EXPECT_TRUE(run.form().NextButton().Enabled());
  EXPECT_FALSE(run.Get("NameEdit").Focused());
}

TEST_F(Wizard, InterfaceModeHintFollowsTheRadioButtons) {
  Next();
  Next();
  EnterCredentials();
  Next();
  Get("BasicMode").Click();
  EXPECT_EQ(Get("ConsoleMemo").Text(), "Some options will be invisible. Beginner's mode.");
  EXPECT_FALSE(Get("AdvancedMode").Checked());
  Get("AdvancedMode").Click();
  EXPECT_EQ(Get("ConsoleMemo").Text(), "All options will be visible. Expert's mode.");
}

TEST_F(Wizard, EveryCancelPathAsksAndYesEndsAsCancelled) {
  struct Path {
    const char* what;
    std::function<long(WizardFixture&)> act;
  };
  const Path paths[] = {
      {"Cancel button", [](WizardFixture& w) { return w.Click("CloseButton"); }},
      {"No on the licence page",
       [](WizardFixture& w) {
         w.Next();
         return w.Click("CloseButton");
       }},
      {"Escape",
       [](WizardFixture& w) {
         try {
           EXPECT_TRUE(w.form().PressKey(ui::Key::Escape));
         } catch (const ProcessEnded& end) {
           return static_cast<long>(end.exitCode);
         }
         return -1L;
       }},
      {"close box",
       [](WizardFixture& w) {
         try {
           w.form().UserClose();
         } catch (const ProcessEnded& end) {
           return static_cast<long>(end.exitCode);
         }
         return -1L;
       }},
  };
  for (const Path& path : paths) {
    SCOPED_TRACE(path.what);
    WizardFixture w;
    ASSERT_EQ(w.Start({"/SILENT"}), -1);
    w.machine.user.answers = {MessageAnswer::No};
    const size_t page = w.program.state.PageIndex;
    EXPECT_EQ(path.act(w), -1);
    ASSERT_FALSE(w.machine.user.shown.empty());
    EXPECT_EQ(w.machine.user.shown.back().text, "Do you wish to cancel this installation?");
    EXPECT_EQ(w.machine.user.shown.back().caption, "Exit Setup");
    EXPECT_EQ(w.machine.user.shown.back().icon, MessageIcon::Question);
    EXPECT_TRUE(w.machine.user.shown.back().ownedByMain);
    EXPECT_TRUE(w.form().Showing());
    (void)page;
    w.machine.user.answers = {MessageAnswer::Yes};
    EXPECT_EQ(path.act(w), 1602);
  }
}

TEST_F(Wizard, InstallationLeadsToTheFinishedPageEvenWhenItFails) {
  program.services.RunInstallation = [this] {
    calls.push_back("RunInstallation");
    EXPECT_FALSE(form().NextButton().Enabled());
    EXPECT_FALSE(form().BackButton().Enabled());
    EXPECT_TRUE(machine.user.waitCursor);
    program.state.IsUpgrade = true;
    throw std::runtime_error("copy failed");
  };
  Next();
  Next();
  EnterCredentials();
  Next();
  Next();
  Next();
  EXPECT_EQ(Next(), -1);
  EXPECT_EQ(program.state.PageIndex, 7);
  EXPECT_FALSE(machine.user.waitCursor);
  EXPECT_EQ(form().PageCaption().Caption(), "Setup Complete");
  EXPECT_FALSE(form().BackButton().Visible());
  EXPECT_EQ(form().NextButton().Caption(), "&Finish");
  EXPECT_TRUE(form().NextButton().Enabled());
  EXPECT_TRUE(form().NextButton().Focused());
  // After an upgrade the tutorials are not offered.
  EXPECT_FALSE(Get("ShowTutorial").Checked());
  EXPECT_FALSE(Get("RunTutorial").Checked());
  EXPECT_FALSE(Get("RunTutorial").Enabled());

  EXPECT_EQ(Next(), 0);
  EXPECT_EQ(program.state.PageIndex, 8);
  EXPECT_EQ(form().PageCaption().Caption(), "Installation Wizard");
  EXPECT_FALSE(form().NextButton().Enabled());
  EXPECT_FALSE(form().PagePanel(7).Enabled());
  EXPECT_EQ(calls.back(), "RunFinishActions");
}

TEST_F(Wizard, PhaseCaptionLetsACancelThroughBeforeItShows) {
  machine.user.answers = {MessageAnswer::Yes};
  machine.user.onProcessMessages = [this] { form().CloseButtonClick(); };
  try {
    form().SetPhaseCaption("Stopping Services...");
    FAIL() << "the confirmed cancel ends the run";
  } catch (const ProcessEnded& end) {
    EXPECT_EQ(end.exitCode, 1602u);
  }
  EXPECT_EQ(Get("InstallPanelText").Caption(), "");
  machine.user.onProcessMessages = nullptr;
  form().SetPhaseCaption("Extracting Files...");
  EXPECT_EQ(Get("InstallPanelText").Caption(), "Extracting Files...");
  for (int i = 0; i < 3; ++i) form().StepProgress();
  EXPECT_EQ(Get("ProgressBar").Position(), 3);
  EXPECT_EQ(Get("ProgressBar").Max(), 12);
}

TEST_F(Wizard, AnErrorInAHandlerIsDiscardedAndTheWizardStays) {
  program.services.CheckForNewVersion = [] { throw std::runtime_error("network down"); };
  EXPECT_EQ(Next(), -1);
  EXPECT_EQ(program.state.PageIndex, 1);
  EXPECT_TRUE(form().Showing());
}

TEST_F(Wizard, ButtonCaptionsComeFromTheStringTableOnEachEntry) {
  machine.strings.cYes = "&Ja";
  machine.strings.cNo = "&Nein";
  Next();
  EXPECT_EQ(form().NextButton().Caption(), "&Ja");
  EXPECT_EQ(form().CloseButton().Caption(), "&Nein");
}

}  // namespace
}  // namespace tovex::testing
