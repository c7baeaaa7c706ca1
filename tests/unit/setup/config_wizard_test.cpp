// The configuration wizard: its pages and the Next rule of each, the ways it
// closes, the refused names, and the finish hook that turns its answers into
// the primary domain.

#include <gtest/gtest.h>

#include "unit/setup/wizard_fixture.h"
#include "upgrade/config_store.h"

namespace tovex::testing {
namespace {

using ui::Component;
using ui::ModalResult;

struct ConfigWizard : ::testing::Test, WizardFixture {
  void SetUp() override { ASSERT_EQ(Start({"/SILENT"}), -1); }

  TWizardForm& wizard() { return *program.wizardForm; }
  Component& W(const std::string& name) { return wizard().Get(name); }
  // Shows the wizard modally; the script acts in it as a user would.
  ModalResult Show(std::function<void(TWizardForm&)> script) {
    program.application.ModalScript = [script](ui::Form& form) { script(static_cast<TWizardForm&>(form)); };
    return program.application.ShowModal(wizard());
  }
  // The page panel in front; the only one visible.
  std::string FrontPanel() {
    std::string front;
    uint32_t best = 0;
    int visible = 0;
    for (const char* name : {"NamePanel", "OtherPanel", "EmailPanel", "FinishPanel"}) {
      Component& panel = W(name);
      if (panel.Visible()) ++visible;
      if (panel.ZOrder() > best) {
        best = panel.ZOrder();
        front = name;
      }
    }
    EXPECT_EQ(visible, 1);
    EXPECT_TRUE(W(front).Visible());
    return front;
  }
};

TEST_F(ConfigWizard, FormAsDesigned) {
  EXPECT_EQ(wizard().Caption(), "Wizard");
  EXPECT_EQ(wizard().ClientWidth(), 544);
  EXPECT_EQ(wizard().ClientHeight(), 367);
  EXPECT_EQ(W("NameEdit").Tag(), 0);
  EXPECT_EQ(W("EmailEdit").Tag(), 1);
  EXPECT_EQ(W("PassEdit").Tag(), 1);
  EXPECT_EQ(W("OtherEdit").Tag(), 2);
  EXPECT_TRUE(W("PassEdit").GetStyle().password);
  EXPECT_TRUE(W("NextButton").GetStyle().defaultButton);
  EXPECT_EQ(W("PreviousButton").Caption(), "< Back");
  EXPECT_EQ(W("NextButton").Caption(), "Next >");
  EXPECT_EQ(W("CancelButton").Caption(), "Cancel");
}

TEST_F(ConfigWizard, PagesInTurnWithTheirNextRules) {
  W("NameEdit").SetText("left over");
  W("EmailEdit").SetText("left over");
  W("PassEdit").SetText("left over");
  W("OtherEdit").SetText("kept.example");
  machine.strings.WPrimaryDomain = "Domaine principal";  // hints come from the string table
  const ModalResult result = Show([this](TWizardForm& w) {
    // 0: host name; showing emptied the edits but the domain.
    EXPECT_EQ(w.PageNumber(), 0);
    EXPECT_EQ(FrontPanel(), "NamePanel");
    EXPECT_EQ(w.HintLabel().Caption(), "Host Name");
    EXPECT_TRUE(W("NameEdit").Focused());
    EXPECT_EQ(W("NameEdit").Text(), "");
    EXPECT_EQ(W("EmailEdit").Text(), "");
    EXPECT_EQ(W("PassEdit").Text(), "");
    EXPECT_EQ(W("OtherEdit").Text(), "kept.example");
    EXPECT_FALSE(w.PreviousButton().Enabled());
    EXPECT_FALSE(w.NextButton().Enabled());
    W("NameEdit").UserSetText("   ");  // blanks are not empty
    EXPECT_TRUE(w.NextButton().Enabled());
    W("NameEdit").UserSetText("");
    EXPECT_FALSE(w.NextButton().Enabled());
    EXPECT_FALSE(w.NextButton().Click());
    W("NameEdit").UserSetText("mail.example.com");
    EXPECT_TRUE(w.PressKey(ui::Key::Enter));  // Enter is Next

    // 1: the domain typed before enables Next at once.
    EXPECT_EQ(w.PageNumber(), 1);
    EXPECT_EQ(FrontPanel(), "OtherPanel");
    EXPECT_EQ(w.HintLabel().Caption(), "Domaine principal");
    EXPECT_TRUE(W("OtherEdit").Focused());
    EXPECT_TRUE(w.PreviousButton().Enabled());
    EXPECT_TRUE(w.NextButton().Enabled());
    W("OtherEdit").UserSetText("");
    EXPECT_FALSE(w.NextButton().Enabled());
    W("OtherEdit").UserSetText("Example.COM");
    w.NextButton().Click();

    // 2: the user name decides, also when the password changes.
    EXPECT_EQ(w.PageNumber(), 2);
    EXPECT_EQ(FrontPanel(), "EmailPanel");
    EXPECT_EQ(w.HintLabel().Caption(), "Administrator");
    EXPECT_TRUE(W("EmailEdit").Focused());
    EXPECT_FALSE(w.NextButton().Enabled());
    W("PassEdit").UserSetText("secret");
    EXPECT_FALSE(w.NextButton().Enabled());
    W("EmailEdit").UserSetText("admin");
    EXPECT_TRUE(w.NextButton().Enabled());
    W("PassEdit").UserSetText("");  // an empty password is accepted
    EXPECT_TRUE(w.NextButton().Enabled());

    // Back to 1 keeps the domain; Next is enabled again at once.
    w.PreviousButton().Click();
    EXPECT_EQ(w.PageNumber(), 1);
    EXPECT_EQ(W("OtherEdit").Text(), "Example.COM");
    EXPECT_TRUE(w.NextButton().Enabled());
    w.NextButton().Click();
    EXPECT_EQ(W("EmailEdit").Text(), "admin");
    EXPECT_TRUE(w.NextButton().Enabled());
    w.NextButton().Click();

    // 3: no way back; Next finishes.
    EXPECT_EQ(w.PageNumber(), 3);
    EXPECT_EQ(FrontPanel(), "FinishPanel");
    EXPECT_EQ(w.HintLabel().Caption(), "Wizard Complete");
    EXPECT_EQ(w.NextButton().Caption(), "&Finish");
    EXPECT_TRUE(w.NextButton().Focused());
    EXPECT_FALSE(w.PreviousButton().Visible());
    EXPECT_FALSE(w.PreviousButton().Click());
    EXPECT_EQ(w.GetModalResult(), ModalResult::None);
    w.NextButton().Click();
    EXPECT_EQ(w.PageNumber(), 4);
  });
  EXPECT_EQ(result, ModalResult::Ok);
  const WizardAnswers answers = wizard().Answers();
  EXPECT_EQ(answers.hostName, "mail.example.com");
  EXPECT_EQ(answers.domain, "Example.COM");
  EXPECT_EQ(answers.userName, "admin");
  EXPECT_EQ(answers.password, "");

  // Shown again, it starts over with its own buttons.
  Show([this](TWizardForm& w) {
    EXPECT_EQ(w.PageNumber(), 0);
    EXPECT_EQ(w.NextButton().Caption(), "Next >");
    EXPECT_TRUE(w.PreviousButton().Visible());
    EXPECT_FALSE(w.PreviousButton().Enabled());
    EXPECT_EQ(W("OtherEdit").Text(), "Example.COM");
  });
}

TEST_F(ConfigWizard, EscapeCancelAndTheCloseBoxCancel) {
  const std::function<void(TWizardForm&)> closers[] = {
      [](TWizardForm& w) { EXPECT_TRUE(w.PressKey(ui::Key::Escape)); },
      [](TWizardForm& w) { w.CancelButton().Click(); },
      [](TWizardForm& w) { w.UserClose(); },
  };
  for (const auto& close : closers) {
    const ModalResult result = Show([&close](TWizardForm& w) {
      w.Get("NameEdit").UserSetText("host");
      w.NextButton().Click();
      close(w);
    });
    EXPECT_EQ(result, ModalResult::Cancel);
  }
}

// Next stays disabled while a name would lead out of its folder; a warning
// says why.
TEST_F(ConfigWizard, UnsafeNamesKeepNextDisabled) {
  const struct {
    const char* domain;
    bool accepted;
  } domains[] = {{"example.com", true}, {"a\\b", false}, {"a/b", false}, {"c:", false},
                 {"..", false},        {"x..y", false}, {"tab\tx", false}, {"we?b*.com", true}};
  const struct {
    const char* user;
    bool accepted;
  } users[] = {{"admin", true}, {"a\\b", false}, {"a/b", false}, {"..", false}, {"we?b*", true}, {"c:x", true}};
  Show([&](TWizardForm& w) {
    W("NameEdit").UserSetText("host");
    w.NextButton().Click();
    for (const auto& c : domains) {
      SCOPED_TRACE(c.domain);
      W("OtherEdit").UserSetText(c.domain);
      EXPECT_EQ(w.NextButton().Enabled(), c.accepted);
      EXPECT_EQ(W("OtherWarningLabel").Visible(), !c.accepted);
    }
    w.NextButton().Click();
    for (const auto& c : users) {
      SCOPED_TRACE(c.user);
      W("EmailEdit").UserSetText(c.user);
      EXPECT_EQ(w.NextButton().Enabled(), c.accepted);
      EXPECT_EQ(W("EmailWarningLabel").Visible(), !c.accepted);
    }
  });
}

struct ConfigWizardHook : ConfigWizard {
  ConfigurationStore store{machine.context.platform, &machine.log};
  void SetUp() override {
    ConfigWizard::SetUp();
    machine.context.config = &store;
    machine.context.InstallPath = "C:\\Tovex\\";
    machine.files.AddFolder("C:\\Tovex\\config");
    machine.windows.Open("TSMTPForm", "SMTP");
  }
  void Answer(TWizardForm& w, bool finish) {
    W("NameEdit").UserSetText("mail.example.com");
    w.NextButton().Click();
    W("OtherEdit").UserSetText("Example.com");
    w.NextButton().Click();
    W("EmailEdit").UserSetText("admin");
    W("PassEdit").UserSetText("pw");
    w.NextButton().Click();
    if (finish) w.NextButton().Click();
  }
};

TEST_F(ConfigWizardHook, FinishCreatesThePrimaryDomain) {
  program.application.ModalScript = [this](ui::Form& form) { Answer(static_cast<TWizardForm&>(form), true); };
  program.services.RunConfigurationWizard();
  EXPECT_EQ(store.DomainName(0), "example.com");
  EXPECT_TRUE(machine.files.FileExists("C:\\Tovex\\config\\example.com\\users.cfg"));
  ASSERT_EQ(machine.windows.sent.size(), 1u);
  EXPECT_EQ(machine.windows.sent[0].message, 1280u);
}

TEST_F(ConfigWizardHook, CancelLeavesTheConfigurationUntouched) {
  program.application.ModalScript = [this](ui::Form& form) {
    Answer(static_cast<TWizardForm&>(form), false);
    form.PressKey(ui::Key::Escape);
  };
  program.services.RunConfigurationWizard();
  EXPECT_FALSE(machine.files.FileExists("C:\\Tovex\\config\\settings.cfg"));
  EXPECT_FALSE(machine.files.FileExists("C:\\Tovex\\config\\example.com"));
  EXPECT_TRUE(machine.windows.sent.empty());
}

}  // namespace
}  // namespace tovex::testing
