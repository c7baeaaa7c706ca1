#include "localization/language_file.h"

#include <gtest/gtest.h>

#include "fakes/fake_machine.h"
#include "localization/setup_strings.h"
#include "localization/string_table.h"
#include "localization/xml.h"
#include "ui/application.h"
#include "ui/form.h"

namespace tovex {
namespace {

using fakes::FakeFiles;
using fakes::FakeMachine;

const char kPath[] = "C:\\Setup\\setup.lng";

std::string Content(FakeMachine& machine, const std::string& path = kPath) {
  return machine.files.Content(path).value_or("<missing>");
}

TEST(SaveLanguageFile, ReproducesTheEightLineExample) {
  FakeMachine machine;
  machine.stringTable.RegisterString("cName", machine.strings.cName);
  ui::Application app;
  ui::Form form(app, "TMainForm", "MainForm", 471, 402);
  form.Add(ui::Kind::Button, "NextButton", nullptr, {}, "&Next >");

  ASSERT_TRUE(SaveLanguageFile(machine.context, &app, kPath, true));
  EXPECT_EQ(Content(machine),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
            "<APPLICATION><FORMS><FORM ID=\"TMainForm\"><ITEM ID=\"NextButton\" CLASS=\"tbutton\" "
            "CAPTION=\"&amp;Next &gt;\"/>\r\n"
            "</FORM>\r\n"
            "</FORMS>\r\n"
            "<STRINGS><STRING ID=\"TStrings\"><ITEM ID=\"cname\" VALUE=\"Tovex Mail Server\"/>\r\n"
            "</STRING>\r\n"
            "</STRINGS>\r\n"
            "</APPLICATION>\r\n");
}

// The program's three forms in miniature, with texts that test the file.
struct Program {
  ui::Application app;
  ui::Form main{app, "TMainForm", "MainForm", 471, 402};
  ui::Form browse{app, "TBrowseFolder", "BrowseFolder", 300, 300};
  ui::Form wizard{app, "TWizardForm", "WizardForm", 400, 300};
  Program() {
    main.SetCaption("Tovex Mail Server 8.5.0-7 Setup");
    main.Add(ui::Kind::Button, "NextButton", nullptr, {}, "&Next >");
    main.Add(ui::Kind::CheckBox, "ReadmeCheck", nullptr, {}, "View readme").SetHint("Opens the readme");
    browse.Add(ui::Kind::Button, "OkButton", nullptr, {}, "OK");
    wizard.Add(ui::Kind::Label, "DomainLabel", nullptr, {}, "Domain:");
  }
};

TEST(LanguageFile, SaveLoadSaveGivesIdenticalBytes) {
  FakeMachine first;
  Program program;
  RegisterSetupStrings(first.strings, first.stringTable);
  first.strings.cError = "a&lt;b";                     // a literal "&lt;"
  first.strings.cName = std::string(256, 'n');          // written as text
  first.strings.cYes = "&Oui, \xE9l\xE8ve \x80";        // accented letters and the euro sign
  ASSERT_EQ(first.strings.cErrorText.substr(0, 2), "\r\n");
  ASSERT_TRUE(SaveLanguageFile(first.context, &program.app, kPath, true));
  const std::string written = Content(first);
  EXPECT_NE(written.find("<ITEM ID=\"cname\">" + std::string(256, 'n') + "</ITEM>\r\n"), std::string::npos);
  EXPECT_NE(written.find("VALUE=\"a&amp;lt;b\""), std::string::npos);
  EXPECT_NE(written.find("VALUE=\"&amp;Oui, \xC3\xA9l\xC3\xA8ve \xE2\x82\xAC\""), std::string::npos);
  EXPECT_NE(written.find("VALUE=\"\r\nThere might be"), std::string::npos);
  EXPECT_NE(written.find("HINT=\"Opens the readme\""), std::string::npos);

  // A fresh run with English texts and untouched forms loads the file...
  FakeMachine second;
  Program fresh;
  fresh.main.SetCaption("");
  fresh.main.Get("ReadmeCheck").SetHint("");
  RegisterSetupStrings(second.strings, second.stringTable);
  second.files.AddFile(kPath, written);
  ASSERT_TRUE(LoadLanguageFile(second.context, &fresh.app, kPath, true));
  EXPECT_EQ(second.strings.cError, "a&lt;b");
  EXPECT_EQ(second.strings.cName, std::string(256, 'n'));
  EXPECT_EQ(second.strings.cYes, "&Oui, \xE9l\xE8ve \x80");
  EXPECT_EQ(second.strings.cErrorText, first.strings.cErrorText);
  EXPECT_EQ(fresh.main.Caption(), "Tovex Mail Server 8.5.0-7 Setup");
  EXPECT_EQ(fresh.main.Get("ReadmeCheck").Hint(), "Opens the readme");

  // ...and writes it back byte for byte.
  ASSERT_TRUE(SaveLanguageFile(second.context, &fresh.app, "C:\\Again\\setup.lng", true));
  EXPECT_EQ(Content(second, "C:\\Again\\setup.lng"), written);
}

TEST(WriteStringItems, ValueOrTextByWrittenLength) {
  FakeMachine machine;
  std::string notRunning = SetupStrings().cNotRunning;
  ASSERT_EQ(notRunning.size(), 228u);
  std::string exactly255(255, 'x');
  std::string escapedPast255 = std::string(250, 'x') + "&&";  // 254 characters, 258 bytes written
  std::string accentedPast255 = std::string(200, 'x') + std::string(55, '\xE9');
  machine.stringTable.RegisterString("cNotRunning", notRunning);
  machine.stringTable.RegisterString("k255", exactly255);
  machine.stringTable.RegisterString("kEscaped", escapedPast255);
  machine.stringTable.RegisterString("kAccented", accentedPast255);

  XmlElement element("STRING");
  WriteStringItems(element, machine.stringTable, machine.system);
  ASSERT_EQ(element.Children().size(), 4u);
  const bool asValue[] = {true, true, false, false};
  for (size_t i = 0; i < 4; ++i) {
    const XmlElement& item = *element.Children()[i];
    SCOPED_TRACE(item.Attribute("ID"));
    EXPECT_EQ(item.FindAttribute("VALUE") != nullptr, asValue[i]);
    EXPECT_EQ(item.Text().empty(), asValue[i]);
  }
  EXPECT_EQ(element.Children()[0]->Attribute("ID"), "cnotrunning");
}

TEST(ReadStringItems, EdgeCases) {
  struct Case {
    const char* what;
    std::string items;
    std::string expectedName;
  };
  const std::string english = "Tovex Mail Server";
  const Case cases[] = {
      {"key in upper case", "<ITEM ID=\"CNAME\" VALUE=\"Upper\"/>", "Upper"},
      {"missing VALUE sets empty", "<ITEM ID=\"cname\"/>", ""},
      {"text beside VALUE wins", "<ITEM ID=\"cname\" VALUE=\"attribute\">text</ITEM>", "text"},
      {"unknown key changes nothing", "<ITEM ID=\"cunknown\" VALUE=\"x\"/>", english},
      {"missing ID changes nothing", "<ITEM VALUE=\"x\"/>", english},
      {"later item of the same key wins", "<ITEM ID=\"cname\" VALUE=\"1\"/><ITEM ID=\"cName\" VALUE=\"2\"/>", "2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeMachine machine;
    RegisterSetupStrings(machine.strings, machine.stringTable);
    const XmlDocument document = ParseXml("<STRING>" + c.items + "</STRING>", machine.system);
    ReadStringItems(document.Root(), machine.stringTable);
    EXPECT_EQ(machine.strings.cName, c.expectedName);
    EXPECT_EQ(machine.strings.cError, "Error");
  }
  FakeMachine machine;
  ReadStringItems(nullptr, machine.stringTable);  // nothing to do, nothing done
}

TEST(LoadLanguageFile, MissingEmptyAndMalformedFiles) {
  FakeMachine machine;
  RegisterSetupStrings(machine.strings, machine.stringTable);
  EXPECT_FALSE(LoadLanguageFile(machine.context, nullptr, "", true));
  EXPECT_FALSE(LoadLanguageFile(machine.context, nullptr, kPath, true));
  machine.files.AddFile(kPath, "");
  EXPECT_FALSE(LoadLanguageFile(machine.context, nullptr, kPath, true));
  machine.files.AddFile(kPath, "<APPLICATION><STRINGS><STRING ID=\"TStrings\"><ITEM ID=\"cerror\" VALUE=\"x\"/>");
  machine.files.FailOn(FakeFiles::Op::Read, kPath, 32);
  EXPECT_FALSE(LoadLanguageFile(machine.context, nullptr, kPath, true));
  EXPECT_EQ(machine.strings.cError, "Error");
  machine.files.ClearFailures();

  // A file cut short applies what came before the cut.
  machine.files.AddFile(kPath,
                        "<APPLICATION><STRINGS><STRING ID=\"TStrings\"><ITEM ID=\"cerror\" VALUE=\"Fehler\"/>\r\n"
                        "<ITEM ID=\"cyes\" VALUE=\"&amp;J");
  EXPECT_TRUE(LoadLanguageFile(machine.context, nullptr, kPath, true));
  EXPECT_EQ(machine.strings.cError, "Fehler");
  EXPECT_EQ(machine.strings.cYes, "&Yes");

  // Without strings only the forms part is applied.
  machine.files.AddFile(kPath, "<APPLICATION><STRINGS><STRING><ITEM ID=\"cerror\" VALUE=\"Erreur\"/></STRING></STRINGS></APPLICATION>");
  EXPECT_TRUE(LoadLanguageFile(machine.context, nullptr, kPath, false));
  EXPECT_EQ(machine.strings.cError, "Fehler");
  // Not a language file at all: read, nothing applied.
  machine.files.AddFile(kPath, "just text");
  EXPECT_TRUE(LoadLanguageFile(machine.context, nullptr, kPath, true));
  EXPECT_EQ(machine.strings.cError, "Fehler");
}

TEST(SaveLanguageFile, CreatesTheFolderAndReportsFailures) {
  FakeMachine machine;
  RegisterSetupStrings(machine.strings, machine.stringTable);
  EXPECT_FALSE(SaveLanguageFile(machine.context, nullptr, "", true));
  EXPECT_TRUE(SaveLanguageFile(machine.context, nullptr, "C:\\New\\Folder\\setup.lng", true));
  EXPECT_TRUE(machine.files.FolderExists("C:\\New\\Folder"));
  // Without strings the file carries an empty forms part only.
  EXPECT_TRUE(SaveLanguageFile(machine.context, nullptr, kPath, false));
  EXPECT_EQ(Content(machine), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<APPLICATION><FORMS/>\r\n</APPLICATION>\r\n");

  machine.files.AddFile(kPath, "old", attr::kReadOnly);
  EXPECT_FALSE(SaveLanguageFile(machine.context, nullptr, kPath, true));
  EXPECT_EQ(Content(machine), "old");
  // A full disk leaves the old file as it was, and no temporary file.
  machine.files.AddFile(kPath, "old");
  machine.files.SetWriteLimit(100);
  EXPECT_FALSE(SaveLanguageFile(machine.context, nullptr, kPath, true));
  EXPECT_EQ(Content(machine), "old");
  EXPECT_FALSE(machine.files.FileExists(std::string(kPath) + ".tmp"));
}

}  // namespace
}  // namespace tovex
