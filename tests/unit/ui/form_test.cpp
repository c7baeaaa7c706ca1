#include "ui/form.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/system.h"
#include "ui/application.h"

namespace tovex::ui {
namespace {

struct FormFixture : ::testing::Test {
  Application app;
  Form form{app, "TTestForm", "TestForm", 200, 100};
};

TEST_F(FormFixture, OwnsComponentsInCreationOrderWithClassNames) {
  Component& panel = form.Add(Kind::Panel, "Page", nullptr, {0, 0, 200, 100});
  form.Add(Kind::Label, "Title", &panel, {1, 1, 50, 13}, "Hello");
  form.Add(Kind::CheckListBox, "List", &panel, {1, 20, 50, 50});
  ASSERT_EQ(form.Components().size(), 3u);
  EXPECT_EQ(form.Components()[1]->ClassName(), "TLabel");
  EXPECT_EQ(form.Components()[2]->ClassName(), "TCheckListBox");
  EXPECT_EQ(form.Get("Title").Parent(), &panel);
  EXPECT_EQ(form.Find("Missing"), nullptr);
  EXPECT_THROW(form.Add(Kind::Label, "Title", nullptr, {}), std::logic_error);
  EXPECT_EQ(app.Forms().size(), 1u);
  EXPECT_EQ(app.FindForm("TTestForm"), &form);
  EXPECT_EQ(app.FindForm("ttestform"), nullptr);
}

TEST_F(FormFixture, UserActionsRaiseEventsAndCodeDoesNot) {
  Component& edit = form.Add(Kind::Edit, "Edit", nullptr, {});
  Component& check = form.Add(Kind::CheckBox, "Check", nullptr, {});
  int changes = 0, clicks = 0;
  edit.OnChange = [&](Component&) { ++changes; };
  check.OnClick = [&](Component&) { ++clicks; };
  edit.SetText("code");
  check.SetChecked(true);
  EXPECT_EQ(changes + clicks, 0);
  EXPECT_TRUE(edit.UserSetText("typed"));
  EXPECT_TRUE(check.Click());
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(check.Checked());
  check.SetEnabled(false);
  EXPECT_FALSE(check.Click());
  EXPECT_EQ(clicks, 1);
}

TEST_F(FormFixture, DisabledParentBlocksItsChildren) {
  Component& panel = form.Add(Kind::Panel, "Page", nullptr, {});
  Component& button = form.Add(Kind::Button, "Button", &panel, {});
  int clicks = 0;
  button.OnClick = [&](Component&) { ++clicks; };
  panel.SetEnabled(false);
  EXPECT_FALSE(button.Click());
  panel.SetEnabled(true);
  EXPECT_TRUE(button.Click());
  EXPECT_EQ(clicks, 1);
}

TEST_F(FormFixture, RadioButtonsOfOneParentExcludeEachOther) {
  Component& a = form.Add(Kind::RadioButton, "A", nullptr, {});
  Component& b = form.Add(Kind::RadioButton, "B", nullptr, {});
  a.SetChecked(true);
  b.Click();
  EXPECT_FALSE(a.Checked());
  EXPECT_TRUE(b.Checked());
}

TEST_F(FormFixture, EscapingExceptionsAreDiscardedButProcessEndPasses) {
  Component& button = form.Add(Kind::Button, "Button", nullptr, {});
  int handled = 0;
  app.OnException = [&](std::exception_ptr) { ++handled; };
  button.OnClick = [](Component&) { throw std::runtime_error("boom"); };
  EXPECT_TRUE(button.Click());
  EXPECT_EQ(handled, 1);
  button.OnClick = [](Component&) { throw ProcessEnded{1602}; };
  EXPECT_THROW(button.Click(), ProcessEnded);
  EXPECT_EQ(handled, 1);
}

TEST_F(FormFixture, ListsAndColumns) {
  Component& list = form.Add(Kind::CheckListBox, "List", nullptr, {});
  list.SetItems({"a", "b"});
  list.SetItemChecked(1, true);
  EXPECT_TRUE(list.ItemChecked(1));
  EXPECT_FALSE(list.ItemChecked(7));
  EXPECT_THROW(list.SetItemChecked(2, true), std::out_of_range);
  Component& view = form.Add(Kind::ListView, "View", nullptr, {});
  view.SetColumns({"One", "Two"});
  EXPECT_TRUE(view.SetColumn(1, "Zwei"));
  EXPECT_FALSE(view.SetColumn(2, "Drei"));
  EXPECT_EQ(view.Columns()[1], "Zwei");
}

TEST_F(FormFixture, KeysGoToThePreviewFirstThenToDefaultAndCancelButtons) {
  Component& ok = form.Add(Kind::Button, "OK", nullptr, {});
  ok.GetStyle().defaultButton = true;
  int okClicks = 0;
  ok.OnClick = [&](Component&) { ++okClicks; };
  EXPECT_TRUE(form.PressKey(Key::Enter));
  EXPECT_EQ(okClicks, 1);
  EXPECT_FALSE(form.PressKey(Key::Escape));
  form.OnKeyPreview = [](Key key) { return key == Key::Enter; };
  EXPECT_TRUE(form.PressKey(Key::Enter));
  EXPECT_EQ(okClicks, 1);
}

TEST_F(FormFixture, HeadlessModalRunsTheScriptAndCancelsWithoutResult) {
  EXPECT_EQ(app.ShowModal(form), ModalResult::Cancel);
  app.ModalScript = [](Form& shown) { shown.SetModalResult(ModalResult::Ok); };
  EXPECT_EQ(app.ShowModal(form), ModalResult::Ok);
}

}  // namespace
}  // namespace tovex::ui
