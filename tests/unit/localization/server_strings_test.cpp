#include "localization/server_strings.h"

#include <gtest/gtest.h>

#include "fakes/fake_machine.h"
#include "localization/setup_strings.h"
#include "localization/string_table.h"

namespace tovex {
namespace {

TEST(DecodeQuotedValue, QuotedRunsAndCodes) {
  fakes::FakeSystem system;
  struct Case {
    const char* quoted;
    std::string expected;
  };
  const Case cases[] = {
      {"'plain text'", "plain text"},
      {"'Your message to '#39'list'#39' awaits approval.'#13#10'Thanks'",
       "Your message to 'list' awaits approval.\r\nThanks"},
      {"#72#105", "Hi"},
      {"'a'#0'b'", "ab"},                      // code 0 adds nothing
      {"'a' + 'b' junk #x 'c'", "abc"},        // everything else outside quotes is ignored
      {"'unterminated run", "unterminated run"},
      {"#233't'#8364", "\xE9t\x80"},           // 233 is a byte; 8364 the euro sign in the code page
      {"#99999999999999999999'x'", "x"},       // a code beyond Unicode adds nothing
      {"''", ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.quoted);
    EXPECT_EQ(DecodeQuotedValue(c.quoted, &system), c.expected);
  }
}

TEST(ParseServerStrings, LinesKeysAndValues) {
  const std::string content =
      "  stApprovalRequest = 'Approve'#13#10'please'  \r\n"
      "\r\n"
      "no equals sign here\r\n"
      "= 'no key'\r\n"
      "stDeliveryNotification='a=b' = 'ignored after the second ='\n"
      "stEmpty=\r\n"
      "stLast='last line without break'";
  const std::vector<ServerStringLine> lines = ParseServerStrings(content);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].key, "stApprovalRequest");
  EXPECT_EQ(lines[0].value, "Approve\r\nplease");
  EXPECT_EQ(lines[1].key, "stDeliveryNotification");
  EXPECT_EQ(lines[1].value, "a=b");
  EXPECT_EQ(lines[2].key, "stEmpty");
  EXPECT_EQ(lines[2].value, "");
  EXPECT_EQ(lines[3].value, "last line without break");
}

TEST(LoadServerStrings, SetsServerTextsOnEachLoadAndLeavesSetupTextsAlone) {
  fakes::FakeMachine machine;
  RegisterSetupStrings(machine.strings, machine.stringTable);
  const size_t setupKeys = machine.stringTable.Entries().size();
  ServerStrings server;

  EXPECT_FALSE(LoadServerStrings(machine.files, "C:\\Tovex\\config\\", machine.stringTable, server, &machine.system));

  machine.files.AddFile("C:\\Tovex\\config\\strings.dat",
                        "stApprovalRequest='first'\r\nSTAPPROVALREQUEST='second'\r\ncName='Hijacked'\r\n");
  EXPECT_TRUE(LoadServerStrings(machine.files, "C:\\Tovex\\config", machine.stringTable, server, &machine.system));
  EXPECT_EQ(server.Text("stApprovalRequest"), "second");
  EXPECT_EQ(machine.strings.cName, "Tovex Mail Server");
  EXPECT_EQ(machine.stringTable.Entries().size(), setupKeys + 1);

  // A later load of another configuration sets the texts again without
  // registering the keys a second time.
  machine.files.AddFile("C:\\Other\\config\\strings.dat", "stApprovalRequest='third'\r\nstOther='x'\r\n");
  EXPECT_TRUE(LoadServerStrings(machine.files, "C:\\Other\\config\\", machine.stringTable, server, &machine.system));
  EXPECT_EQ(server.Text("stapprovalrequest"), "third");
  EXPECT_EQ(server.Text("stOther"), "x");
  EXPECT_EQ(machine.stringTable.Entries().size(), setupKeys + 2);

  // The table reaches the server's texts like any other.
  machine.stringTable.SetLocalizedString("stOther", "through the table");
  EXPECT_EQ(server.Text("stOther"), "through the table");
}

}  // namespace
}  // namespace tovex
