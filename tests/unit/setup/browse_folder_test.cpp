// The folder chooser: its OK rules, Escape, and the directory list.

#include <gtest/gtest.h>

#include "unit/setup/wizard_fixture.h"

namespace tovex::testing {
namespace {

struct BrowseFolder : ::testing::Test, WizardFixture {
  void SetUp() override {
    machine.files.AddFolder("C:\\Program Files\\Tovex");
    machine.files.AddFolder("C:\\Program Files\\Other");
    ASSERT_EQ(Start({"/SILENT"}), -1);
  }
  TBrowseFolder& chooser() { return *program.browseFolder; }
  // Opens the chooser from the folder page's Browse button; the script acts
  // in it while it is shown.
  void Browse(std::function<void(TBrowseFolder&)> script) {
    program.application.ModalScript = [script](ui::Form& form) { script(static_cast<TBrowseFolder&>(form)); };
    form().BrowseButtonClick();
  }
};

TEST_F(BrowseFolder, OkOnAnExistingFolderCloses) {
  Browse([](TBrowseFolder& c) {
    EXPECT_EQ(c.PathEdit().Text(), "C:\\Program Files\\Tovex\\");
    EXPECT_TRUE(c.PathEdit().Focused());
    EXPECT_TRUE(c.PathEdit().AllSelected());
    c.PathEdit().UserSetText("C:\\Program Files\\Other");
    c.Get("OKButton").Click();
    EXPECT_EQ(c.GetModalResult(), ui::ModalResult::Ok);
  });
  EXPECT_TRUE(machine.user.shown.empty());
  EXPECT_EQ(Get("PathEdit").Caption(), "C:\\Program Files\\Other");
}

TEST_F(BrowseFolder, OkOnAMissingFolderAsksAndNoKeepsTheChooserOpen) {
  machine.user.answers = {MessageAnswer::No, MessageAnswer::Yes};
  Browse([](TBrowseFolder& c) {
    c.PathEdit().UserSetText("D:\\New");
    c.Get("OKButton").Click();
    EXPECT_EQ(c.GetModalResult(), ui::ModalResult::None);
    EXPECT_EQ(c.PathEdit().Text(), "D:\\New");
    c.PressKey(ui::Key::Enter);  // Enter is OK: asked again, Yes
    EXPECT_EQ(c.GetModalResult(), ui::ModalResult::Ok);
  });
  ASSERT_EQ(machine.user.shown.size(), 2u);
  EXPECT_EQ(machine.user.shown[0].text,
            "The Folder:\r\n\r\n'D:\\New'\r\n\r\ndoes not exist. Do you want the folder to be created?");
  EXPECT_EQ(machine.user.shown[0].caption, "Setup");
  EXPECT_FALSE(machine.user.shown[0].ownedByMain);
  EXPECT_EQ(Get("PathEdit").Caption(), "D:\\New");
}

TEST_F(BrowseFolder, EscapeAndCloseCancelWithoutAsking) {
  Browse([](TBrowseFolder& c) {
    c.PathEdit().UserSetText("D:\\New");
    EXPECT_TRUE(c.PressKey(ui::Key::Escape));
    EXPECT_EQ(c.GetModalResult(), ui::ModalResult::Cancel);
  });
  Browse([](TBrowseFolder& c) {
    c.PathEdit().UserSetText("D:\\Other");
    c.UserClose();
  });
  EXPECT_TRUE(machine.user.shown.empty());
  EXPECT_EQ(Get("PathEdit").Caption(), "C:\\Program Files\\Tovex\\");
}

TEST_F(BrowseFolder, DirectoryListWritesTheFolderIntoThePath) {
  Browse([](TBrowseFolder& c) {
    ui::Component& list = c.DirectoryList();
    // C:\, Program Files, Tovex: the path; then Tovex's subfolders (none).
    ASSERT_GE(list.Items().size(), 3u);
    EXPECT_EQ(list.Items()[0], "C:\\");
    EXPECT_EQ(list.ItemIndex(), 2);
    list.UserSetItemIndex(1);
    list.Click();
    EXPECT_EQ(c.PathEdit().Text(), "C:\\Program Files\\");
    const auto& items = list.Items();
    auto other = std::find(items.begin(), items.end(), "    Other");
    ASSERT_NE(other, items.end());
    list.UserSetItemIndex(static_cast<int>(other - items.begin()));
    list.Click();
    EXPECT_EQ(c.PathEdit().Text(), "C:\\Program Files\\Other\\");
    c.Get("OKButton").Click();
  });
  EXPECT_EQ(Get("PathEdit").Caption(), "C:\\Program Files\\Other\\");
}

TEST_F(BrowseFolder, ThePathOfAMissingFolderStartsTheListAtItsNearestParent) {
  Get("PathEdit").SetCaption("C:\\Program Files\\Missing\\Deeper\\");
  Browse([](TBrowseFolder& c) {
    EXPECT_EQ(c.Directory(), "C:\\Program Files\\");
    EXPECT_EQ(c.PathEdit().Text(), "C:\\Program Files\\Missing\\Deeper\\");
  });
}

}  // namespace
}  // namespace tovex::testing
