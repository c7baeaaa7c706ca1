#include "localization/form_translation.h"

#include <gtest/gtest.h>

#include <functional>

#include "fakes/fake_system.h"
#include "localization/xml.h"
#include "ui/application.h"
#include "ui/form.h"

namespace tovex {
namespace {

using ui::Kind;

std::vector<std::string> Numbered(const std::string& prefix, int count) {
  std::vector<std::string> lines;
  for (int i = 0; i < count; ++i) lines.push_back(prefix + std::to_string(i));
  return lines;
}

// One form with a component of every kind that matters to translation.
struct Forms {
  ui::Application app;
  ui::Form form{app, "TTestForm", "TestForm", 400, 300};
  ui::Form unnamed{app, "TUnnamedForm", "", 100, 100};
  Forms() {
    form.SetCaption("Test");
    form.Add(Kind::Label, "Empty", nullptr, {});
    form.Add(Kind::Label, "Title", nullptr, {}, "Welcome");
    form.Add(Kind::Label, "", nullptr, {}, "decoration without a name");
    form.Add(Kind::CheckBox, "Check", nullptr, {}, "Tick").SetHint("Tick to agree");
    form.Add(Kind::Edit, "Edit", nullptr, {}, "edit text");
    form.Add(Kind::CheckListBox, "Components", nullptr, {}).SetItems({"Mail", "Web"});
    form.Add(Kind::Panel, "Panel", nullptr, {}, "panel caption");
    form.Add(Kind::DriveList, "Drives", nullptr, {}).SetItems({"C:"});
    form.Add(Kind::ComboBox, "Combo", nullptr, {}).SetItems({" One", "Two", "Three "});
    form.Add(Kind::ComboBox, "EmptyCombo", nullptr, {});
    form.AddOfClass(Kind::ListView, "TDFSEnhListView", "Columns", nullptr, {}).SetColumns(Numbered("C", 20));
    form.Add(Kind::ListView, "PlainListView", nullptr, {}).SetColumns({"not a translated class"});
    form.AddOfClass(Kind::HeaderList, "TAdvancedHeaderList", "Header", nullptr, {}).SetColumns({"Name", "Size"});
    form.Add(Kind::MenuItem, "Menu", nullptr, {}, "&File").SetHint("File menu");
    form.AddOfClass(Kind::Panel, "TDynPanel", "Dyn", nullptr, {}, "Dynamic");
    unnamed.Add(Kind::Button, "Button", nullptr, {}, "never written");
  }
};

TEST(WriteFormItems, WritesTranslatableComponentsByClass) {
  fakes::FakeSystem system;
  Forms forms;
  XmlElement element("FORMS");
  WriteFormItems(element, forms.app);
  std::string columns;
  for (int i = 0; i < 16; ++i) columns += (i > 0 ? "\r\nC" : "C") + std::to_string(i);
  EXPECT_EQ(WriteXml(element, system),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
            "<FORMS><FORM ID=\"TTestForm\" CAPTION=\"Test\"><ITEM ID=\"Title\" CLASS=\"tlabel\" CAPTION=\"Welcome\"/>\r\n"
            "<ITEM ID=\"Check\" CLASS=\"tcheckbox\" CAPTION=\"Tick\" HINT=\"Tick to agree\"/>\r\n"
            "<ITEM ID=\"Combo\" CLASS=\"tcombobox\" ITEMSTEXT=\"One\r\nTwo\r\nThree\"/>\r\n"
            "<ITEM ID=\"Columns\" CLASS=\"tcustomlistview\" ITEMSTEXT=\"" + columns + "\"/>\r\n"
            "<ITEM ID=\"Header\" CLASS=\"tadvancedheaderlist\" ITEMSTEXT=\"Name\r\nSize\"/>\r\n"
            "<ITEM ID=\"Menu\" CLASS=\"tmenuitem\" CAPTION=\"&amp;File\" HINT=\"File menu\"/>\r\n"
            "<ITEM ID=\"Dyn\" CLASS=\"tdynpanel\" CAPTION=\"Dynamic\"/>\r\n"
            "</FORM>\r\n"
            "</FORMS>\r\n");
}

TEST(ReadFormItems, AppliesByFormClassComponentNameAndClass) {
  fakes::FakeSystem system;
  struct Case {
    const char* what;
    std::string forms;
    std::function<void(const ui::Form&)> check;
  };
  const Case cases[] = {
      {"caption and hint, a missing HINT clears the hint",
       "<FORM ID='TTestForm' CAPTION='Essai'><ITEM ID='Check' CLASS='tcheckbox' CAPTION='Cocher'/></FORM>",
       [](const ui::Form& f) {
         EXPECT_EQ(f.Caption(), "Essai");
         EXPECT_EQ(f.Get("Check").Caption(), "Cocher");
         EXPECT_EQ(f.Get("Check").Hint(), "");
       }},
      {"form class in lower case matches no form",
       "<FORM ID='ttestform' CAPTION='x'><ITEM ID='Title' CLASS='tlabel' CAPTION='x'/></FORM>",
       [](const ui::Form& f) {
         EXPECT_EQ(f.Caption(), "Test");
         EXPECT_EQ(f.Get("Title").Caption(), "Welcome");
       }},
      {"a form without CAPTION gets an empty caption", "<FORM ID='TTestForm'/>",
       [](const ui::Form& f) { EXPECT_EQ(f.Caption(), ""); }},
      {"unknown components are skipped, later ones applied",
       "<FORM ID='TTestForm'><ITEM ID='Nothing' CLASS='tlabel' CAPTION='x'/><ITEM ID='title' CLASS='tlabel' "
       "CAPTION='x'/><ITEM CLASS='tlabel' CAPTION='no id'/><ITEM ID='Title' CLASS='tlabel' CAPTION='Bienvenue' "
       "HINT='h'/></FORM>",
       [](const ui::Form& f) {
         EXPECT_EQ(f.Get("Title").Caption(), "Bienvenue");
         EXPECT_EQ(f.Get("Title").Hint(), "h");
       }},
      {"combo box with three lines, first selected",
       "<FORM ID='TTestForm'><ITEM ID='EmptyCombo' CLASS='tcombobox' ITEMSTEXT='Un&#13;&#10;Deux&#13;&#10;Trois'/></FORM>",
       [](const ui::Form& f) {
         EXPECT_EQ(f.Get("EmptyCombo").Items(), (std::vector<std::string>{"Un", "Deux", "Trois"}));
         EXPECT_EQ(f.Get("EmptyCombo").ItemIndex(), 0);
       }},
      {"combo box emptied", "<FORM ID='TTestForm'><ITEM ID='Combo' CLASS='tcombobox'/></FORM>",
       [](const ui::Form& f) {
         EXPECT_TRUE(f.Get("Combo").Items().empty());
         EXPECT_EQ(f.Get("Combo").ItemIndex(), -1);
       }},
      {"list view: empty line dropped, the rest kept",
       "<FORM ID='TTestForm'><ITEM ID='Columns' CLASS='tcustomlistview' ITEMSTEXT='One\r\n\r\n  Two  '/></FORM>",
       [](const ui::Form& f) {
         const auto& columns = f.Get("Columns").Columns();
         EXPECT_EQ(columns[0], "One");
         EXPECT_EQ(columns[1], "Two");
         EXPECT_EQ(columns[2], "C2");
         EXPECT_EQ(columns.size(), 20u);
       }},
      {"more lines than sections: the extra is ignored and loading goes on",
       "<FORM ID='TTestForm'><ITEM ID='Header' CLASS='tadvancedheaderlist' ITEMSTEXT='Nom&#10;Taille&#10;Extra'/>"
       "<ITEM ID='Title' CLASS='tlabel' CAPTION='after'/></FORM>",
       [](const ui::Form& f) {
         EXPECT_EQ(f.Get("Header").Columns(), (std::vector<std::string>{"Nom", "Taille"}));
         EXPECT_EQ(f.Get("Title").Caption(), "after");
       }},
      {"another list view class of the same kind applies",
       "<FORM ID='TTestForm'><ITEM ID='Columns' CLASS='tdfsextlistview' ITEMSTEXT='X'/></FORM>",
       [](const ui::Form& f) { EXPECT_EQ(f.Get("Columns").Columns()[0], "X"); }},
      {"a CLASS of another kind is skipped",
       "<FORM ID='TTestForm'><ITEM ID='Title' CLASS='tcombobox' ITEMSTEXT='a&#10;b'/>"
       "<ITEM ID='Combo' CLASS='tlabel' CAPTION='x'/><ITEM ID='Check' CLASS='tbutton' CAPTION='x'/>"
       "<ITEM ID='Edit' CLASS='tlabel' CAPTION='x'/><ITEM ID='Menu' CLASS='nonsense' CAPTION='x'/></FORM>",
       [](const ui::Form& f) {
         EXPECT_EQ(f.Get("Title").Caption(), "Welcome");
         EXPECT_EQ(f.Get("Combo").Items().size(), 3u);
         EXPECT_EQ(f.Get("Check").Caption(), "Tick");
         EXPECT_EQ(f.Get("Check").Hint(), "Tick to agree");
         EXPECT_EQ(f.Get("Edit").Text(), "edit text");
         EXPECT_EQ(f.Get("Menu").Caption(), "&File");
       }},
      {"menu item and dynamic panel",
       "<FORM ID='TTestForm'><ITEM ID='Menu' CLASS='tmenuitem' CAPTION='&amp;Fichier' HINT='Menu fichier'/>"
       "<ITEM ID='Dyn' CLASS='tdynpanel' CAPTION='Dynamique'/></FORM>",
       [](const ui::Form& f) {
         EXPECT_EQ(f.Get("Menu").Caption(), "&Fichier");
         EXPECT_EQ(f.Get("Menu").Hint(), "Menu fichier");
         EXPECT_EQ(f.Get("Dyn").Caption(), "Dynamique");
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Forms forms;
    const XmlDocument document = ParseXml("<FORMS>" + c.forms + "</FORMS>", system);
    ASSERT_TRUE(document.complete) << document.error;
    ReadFormItems(document.Root(), forms.app);
    c.check(forms.form);
  }
  Forms forms;
  ReadFormItems(nullptr, forms.app);
  EXPECT_EQ(forms.form.Caption(), "Test");
}

}  // namespace
}  // namespace tovex
