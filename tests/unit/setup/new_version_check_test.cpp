#include "setup/new_version_check.h"

#include <gtest/gtest.h>

#include "common/code_page_1252.h"
#include "fakes/fake_machine.h"
#include "platform/shell.h"

namespace tovex {
namespace {

class RecordingShell final : public Shell {
 public:
  std::vector<std::string> opened;
  bool accepts = true;
  bool Open(const std::string& target, const std::string&, const std::string&) override {
    opened.push_back(target);
    return accepts;
  }
  bool SaveLink(const std::string&, const ShellLink&) override { return false; }
  std::optional<ShellLink> LoadLink(const std::string&) override { return std::nullopt; }
  uint32_t LastError() const override { return accepts ? 0 : 1155; }
};

constexpr char kProductsUrl[] = "http://127.0.0.1/products.xml";

struct Check {
  fakes::FakeMachine machine;
  RecordingShell shell;
  Check() { machine.context.platform.shell = &shell; }
};

std::string Doc(const std::string& element) { return "<?xml version=\"1.0\"?>\n<products>" + element + "</products>"; }

TEST(ParseProductInfo, FindsTheElementAndDecodesIt) {
  struct Case {
    const char* name;
    std::string document;
    bool found;
    std::string url, version, date;
  };
  const Case cases[] = {
      {"double quotes", Doc("<TX url=\"http://a/b\" date=\"2026-12-01\">8.5.1</TX>"), true, "http://a/b", "8.5.1",
       "2026-12-01"},
      {"single quotes", Doc("<TX url='http://a/b' date='d'>8.5.1</TX>"), true, "http://a/b", "8.5.1", "d"},
      {"unquoted runs to the next blank", Doc("<TX url=http://a/b date=d>8.5.1</TX>"), true, "http://a/b", "8.5.1",
       "d"},
      {"tab after the code (attributes need a blank before them)", Doc("<TX\turl=\"u\">1</TX>"), true, "", "1", ""},
      {"line feed after the code", Doc("<TX\n url=\"u\">1</TX>"), true, "u", "1", ""},
      {"carriage return after the code", Doc("<TX\r url=\"u\">1</TX>"), true, "u", "1", ""},
      {"plain start tag", Doc("<TX>8.6</TX>"), true, "", "8.6", ""},
      {"empty element", Doc("<TX url=\"u\"/>"), true, "u", "", ""},
      {"a longer tag is not ours", Doc("<TXS>9.9</TXS><TX>8.6</TX>"), true, "", "8.6", ""},
      {"tags are case-sensitive", Doc("<tx>9.9</tx>"), false, "", "", ""},
      {"missing element", Doc("<AB>9.9</AB>"), false, "", "", ""},
      {"entities and references", Doc("<TX url=\"a?x=1&amp;y=&#50;&lt;&gt;&quot;&apos;\">8&#46;6</TX>"), true,
       "a?x=1&y=2<>\"'", "8.6", ""},
      {"UTF-8 to ANSI", Doc("<TX url=\"http://a/caf\xC3\xA9\">8.6</TX>"), true, "http://a/caf\xE9", "8.6", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto info = ParseProductInfo(c.document, "TX", Utf8ToCp1252);
    ASSERT_EQ(info.has_value(), c.found);
    if (!info) continue;
    EXPECT_EQ(info->url, c.url);
    EXPECT_EQ(info->version, c.version);
    EXPECT_EQ(info->date, c.date);
  }
  EXPECT_FALSE(ParseProductInfo(Doc("<>1</>"), "").has_value()) << "an empty code finds nothing";
}

TEST(CheckForNewVersion, AsksOnlyForANewerRelease) {
  struct Case {
    const char* version;
    bool asks;
  };
  const Case cases[] = {{"8.5.0-7", false}, {"8.4.9", false}, {"8.5.1", true}, {"8.5.0-10", true}, {"", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    Check check;
    check.machine.network.Serve(kProductsUrl, Doc(std::string("<TX url=\"http://127.0.0.1/dl\">") + c.version + "</TX>"));
    check.machine.user.answers.push_back(MessageAnswer::No);
    CheckForNewVersion(check.machine.context, kProductsUrl);
    ASSERT_EQ(check.machine.user.shown.size(), c.asks ? 1u : 0u);
    if (c.asks) {
      const auto& box = check.machine.user.shown[0];
      EXPECT_EQ(box.caption, "Question");
      EXPECT_EQ(box.buttons, MessageButtons::YesNoCancel);
      EXPECT_EQ(box.icon, MessageIcon::Question);
      EXPECT_EQ(box.text, std::string("There is new Tovex Mail Server ") + c.version +
                              " version on the Internet. It is suggested to download and use the latest version "
                              "instead. Do you want to download it now?");
    }
    EXPECT_TRUE(check.shell.opened.empty());
  }
}

TEST(CheckForNewVersion, YesOpensTheDownloadAndEnds) {
  Check check;
  check.machine.strings.cName = "Translated Name";  // the question keeps the fixed product name
  check.machine.network.Serve(std::string(kDefaultProductsUrl), Doc("<TX url=\"http://127.0.0.1/dl\">8.5.1</TX>"));
  try {
    CheckForNewVersion(check.machine.context, "");
    FAIL() << "Yes must end Setup";
  } catch (const ProcessEnded& ended) {
    EXPECT_EQ(ended.exitCode, kExitSuccess);
  }
  EXPECT_EQ(check.machine.network.requests, std::vector<std::string>{std::string(kDefaultProductsUrl)});
  EXPECT_EQ(check.shell.opened, std::vector<std::string>{"http://127.0.0.1/dl"});
  EXPECT_NE(check.machine.user.shown.at(0).text.find("Tovex Mail Server 8.5.1"), std::string::npos);
}

TEST(CheckForNewVersion, YesEndsSetupEvenWhenNoBrowserStarts) {
  Check check;
  check.shell.accepts = false;
  check.machine.network.Serve(std::string(kDefaultProductsUrl), Doc("<TX url=\"http://127.0.0.1/dl\">8.5.1</TX>"));
  try {
    CheckForNewVersion(check.machine.context, "");
    FAIL() << "Yes must end Setup";
  } catch (const ProcessEnded& ended) {
    EXPECT_EQ(ended.exitCode, kExitSuccess);
  }
  const std::string log = check.machine.log.Text();
  EXPECT_NE(log.find("opening the download page http://127.0.0.1/dl"), std::string::npos) << log;
  EXPECT_NE(log.find("1155"), std::string::npos) << log;
}

TEST(CheckForNewVersion, FailuresAreSilentAndLeaveNoTemporaryFile) {
  Check check;  // the network answers nothing
  CheckForNewVersion(check.machine.context, "http://127.0.0.1:1/products.xml");
  EXPECT_TRUE(check.machine.user.shown.empty());

  check.machine.network.Serve(kProductsUrl, "not a products document");
  CheckForNewVersion(check.machine.context, kProductsUrl);
  EXPECT_TRUE(check.machine.user.shown.empty());
  EXPECT_TRUE(check.machine.files.List("C:\\Temp", "*.tmp").empty());

  // A server that never answers is left at the deadline, as silently.
  fakes::FakeHttpAnswer silent;
  silent.headersAfterMs = 3600 * 1000;
  check.machine.network.answers[kProductsUrl] = silent;
  const uint64_t before = check.machine.clock.ElapsedMs();
  CheckForNewVersion(check.machine.context, kProductsUrl);
  EXPECT_EQ(check.machine.clock.ElapsedMs() - before, 20000u);
  EXPECT_TRUE(check.machine.user.shown.empty());
  const std::string log = check.machine.log.Text();
  EXPECT_NE(log.find("New-version check: gave up downloading the products document: no whole answer within 20 "
                     "seconds"),
            std::string::npos)
      << log;
}

}  // namespace
}  // namespace tovex
