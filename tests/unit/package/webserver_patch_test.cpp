#include "package/webserver_patch.h"

#include <gtest/gtest.h>

#include <string>

#include "fakes/fake_machine.h"

namespace tovex {
namespace {

constexpr const char* kConfig = "C:\\Tovex\\config\\webserver.cfg";

TEST(PatchWebServerText, Cases) {
  struct Case {
    const char* name;
    std::string before, after;
  };
  const Case cases[] = {
      {"both sections present",
       "[Filter]\r\nphp=php.dll\r\n\r\n[Virtual-Host]\r\n/=html\r\n\r\n",
       "[Filter]\r\nphp=php.dll\r\n=modules\\wcs.dll|[wcs]\r\n\r\n[Virtual-Host]\r\n/wcs/=[wcs]\r\n/=html\r\n\r\n"},
      {"neither section",
       "[Other]\r\nx=1\r\n\r\n",
       "[Other]\r\nx=1\r\n\r\n[Filter]\r\n=modules\\wcs.dll|[wcs]\r\n\r\n[Virtual-Host]\r\n/wcs/=[wcs]\r\n"},
      {"headers in another letter case",
       "[filter]\r\na=1\r\n\r\n[VIRTUAL-HOST]\r\n/=html\r\n\r\n",
       "[filter]\r\na=1\r\n=modules\\wcs.dll|[wcs]\r\n\r\n[VIRTUAL-HOST]\r\n/wcs/=[wcs]\r\n/=html\r\n\r\n"},
      {"already patched: only the library is renamed",
       "[Filter]\r\n=modules\\wcs.dll|[wcs]\r\nmail=webmail\\web.dll\r\n\r\n[X]\r\nb=webmail\\web.dll;webmail\\web.dll\r\n",
       "[Filter]\r\n=modules\\wcs.dll|[wcs]\r\nmail=php\\php.dll\r\n\r\n[X]\r\nb=php\\php.dll;php\\php.dll\r\n"},
      {"marker is case-sensitive", "[Filter]\r\nx=WCS.DLL\r\n\r\n",
       "[Filter]\r\nx=WCS.DLL\r\n=modules\\wcs.dll|[wcs]\r\n\r\n[Virtual-Host]\r\n/wcs/=[wcs]\r\n"},
      {"filter section ends the file: the line goes at its end",
       "[Virtual-Host]\r\n/=html\r\n\r\n[Filter]\r\nphp=php.dll\r\n",
       "[Virtual-Host]\r\n/wcs/=[wcs]\r\n/=html\r\n\r\n[Filter]\r\nphp=php.dll\r\n=modules\\wcs.dll|[wcs]\r\n"},
      {"filter section ends the file without a line break",
       "[Virtual-Host]\r\n/=html\r\n\r\n[Filter]\r\nphp=php.dll",
       "[Virtual-Host]\r\n/wcs/=[wcs]\r\n/=html\r\n\r\n[Filter]\r\nphp=php.dll\r\n=modules\\wcs.dll|[wcs]\r\n"},
      {"virtual host header is the last line, without a break",
       "[Filter]\r\nphp=php.dll\r\n\r\n[Virtual-Host]",
       "[Filter]\r\nphp=php.dll\r\n=modules\\wcs.dll|[wcs]\r\n\r\n[Virtual-Host]\r\n/wcs/=[wcs]\r\n"},
      {"empty file", "",
       "[Filter]\r\n=modules\\wcs.dll|[wcs]\r\n\r\n[Virtual-Host]\r\n/wcs/=[wcs]\r\n"},
      {"other bytes kept as they are", "[Filter]\r\nn=\xE9t\xE9\r\n\r\n[Virtual-Host]\r\n\r\n",
       "[Filter]\r\nn=\xE9t\xE9\r\n=modules\\wcs.dll|[wcs]\r\n\r\n[Virtual-Host]\r\n/wcs/=[wcs]\r\n\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(PatchWebServerText(c.before), c.after);
    EXPECT_EQ(PatchWebServerText(c.after), c.after) << "a second run changes nothing";
  }
}

struct PatchFile : ::testing::Test {
  fakes::FakeMachine machine;
  PatchFile() { machine.context.InstallPath = "C:\\Tovex\\"; }
};

TEST_F(PatchFile, RewritesTheFileInPlace) {
  machine.files.AddFile(kConfig, "[Other]\r\nx=webmail\\web.dll\r\n");
  PatchWebServerConfig(machine.context);
  EXPECT_EQ(machine.files.Content(kConfig),
            "[Other]\r\nx=php\\php.dll\r\n\r\n[Filter]\r\n=modules\\wcs.dll|[wcs]\r\n\r\n[Virtual-Host]\r\n/wcs/=[wcs]\r\n");
  EXPECT_FALSE(machine.files.FileExists(std::string(kConfig) + ".new"));
}

TEST_F(PatchFile, MissingFileStaysMissing) {
  PatchWebServerConfig(machine.context);
  EXPECT_FALSE(machine.files.FileExists(kConfig));
}

TEST_F(PatchFile, UnreadableFileIsLeftAlone) {
  machine.files.AddFile(kConfig, "[Filter]\r\nphp=php.dll\r\n\r\n");
  machine.files.FailOn(fakes::FakeFiles::Op::Read, kConfig, 32);
  PatchWebServerConfig(machine.context);
  EXPECT_EQ(machine.files.Content(kConfig), "[Filter]\r\nphp=php.dll\r\n\r\n");
}

TEST_F(PatchFile, FailedWriteKeepsTheOldContents) {
  const std::string original = "[Filter]\r\nphp=php.dll\r\n\r\n";
  machine.files.AddFile(kConfig, original);
  machine.files.SetWriteLimit(10);  // the disk fills up halfway
  PatchWebServerConfig(machine.context);
  EXPECT_EQ(machine.files.Content(kConfig), original);
  EXPECT_FALSE(machine.files.FileExists(std::string(kConfig) + ".new"));

  machine.files.SetWriteLimit(UINT64_MAX);
  machine.files.AddFile(kConfig, original, attr::kReadOnly);  // cannot be replaced
  PatchWebServerConfig(machine.context);
  EXPECT_EQ(machine.files.Content(kConfig), original);
  EXPECT_FALSE(machine.files.FileExists(std::string(kConfig) + ".new"));
}

}  // namespace
}  // namespace tovex
