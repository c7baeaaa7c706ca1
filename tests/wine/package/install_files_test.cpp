// InstallFiles on real files under Wine: a package unpacked into an
// extraction folder, the optional archives packed for real, and the
// anti-virus vendor's library (the setiface.dll peer) loaded and called.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "common/context.h"
#include "common/folders.h"
#include "common/paths.h"
#include "common/setup_log.h"
#include "common/text.h"
#include "fakes/fake_user.h"
#include "localization/setup_strings.h"
#include "package/component_files.h"
#include "package/extract_archive.h"
#include "package/webserver_patch.h"
#include "platform/win32/clock_win32.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/libraries_win32.h"
#include "platform/win32/system_win32.h"
#include "shared/archive_builder.h"

namespace tovex {
namespace {

using ::testing::HasSubstr;

// The real system, except that the end of Setup comes back to the test.
class TestSystem final : public System {
 public:
  bool IsWindowsNT() override { return real.IsWindowsNT(); }
  std::string ProgramPath() override { return real.ProgramPath(); }
  std::vector<std::string> Parameters() override { return real.Parameters(); }
  std::optional<std::string> Environment(const std::string& name) override { return real.Environment(name); }
  std::string ErrorText(uint32_t code) override { return real.ErrorText(code); }
  std::string AnsiToUtf8(const std::string& ansi) override { return real.AnsiToUtf8(ansi); }
  std::string Utf8ToAnsi(const std::string& utf8) override { return real.Utf8ToAnsi(utf8); }
  [[noreturn]] void EndProcess(uint32_t exitCode) override { throw ProcessEnded{exitCode}; }
  win32::Win32System real;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteAll(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

// The build's Unix path of the peer, as Wine shows it on drive Z:.
std::string PeerPath() {
  std::string path = std::string("Z:") + TOVEX_SETIFACE_DLL;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

struct RealInstallation : ::testing::Test {
  win32::Win32Files files;
  win32::Win32Clock clock;
  win32::Win32Libraries libraries;
  TestSystem system;
  fakes::FakeUser user;
  SetupStrings strings;
  SetupLog log{&files, &clock};
  SetupContext context;
  FileInstallation run;
  std::string base;

  RealInstallation() {
    base = files.TempFolder() + "tovex-install-" + std::to_string(::GetCurrentProcessId()) + "\\";
    DeleteTree(files, base, "", true);
    context.platform.files = &files;
    context.platform.clock = &clock;
    context.platform.system = &system;
    context.platform.user = &user;
    context.platform.libraries = &libraries;
    context.log = &log;
    context.strings = &strings;
    context.SetupFolder = base + "setup\\";
    context.InstallPath = base + "Program Files\\Tovex\\";
    run.ExtractionFolder = base + "tovexinstall\\";
    run.hooks.ExtractArchive = [this](const std::string& archive, const std::string& folder, bool overwrite,
                                      const std::string& keepList) {
      return ExtractArchive(context, archive, folder, overwrite, keepList);
    };

    // The unpacked setup.Dat.
    for (const char* name : kCoreProgramFiles) Add(run.ExtractionFolder + name, std::string("new ") + name);
    Add(run.ExtractionFolder + "cert.pem", "certificate");
    Add(run.ExtractionFolder + "webserver.dat", "root=%%installpath%%html\\\r\n");
    Add(run.ExtractionFolder + "spam\\challenge.mdb", "challenge");
    Add(run.ExtractionFolder + "spam\\rules\\local.cf", "packaged local rules");
    Add(run.ExtractionFolder + "spam\\rules\\10_misc.cf", "new misc rules");
    Add(run.ExtractionFolder + "calendar\\calendar.mdb", "calendar");
    Add(run.ExtractionFolder + "html\\index.html", "index");

    // The setup folder: a copy of "Setup" (the running program's name), the
    // loose files, the engine and web mail archives.
    Add(context.SetupFolder + ExtractFileNameOf(system.ProgramPath()), "setup program");
    Add(context.SetupFolder + "readme.txt", "readme");
    Add(context.SetupFolder + "releasenotes.txt", "release notes");
    WriteAll(context.SetupFolder + "setupav.dat", testing::ArchiveBuilder(true)
                                                      .Add("setiface.dll", ReadAll(PeerPath()))
                                                      .Add("avastoem.exe", "installer")
                                                      .End()
                                                      .str());
    WriteAll(context.SetupFolder + "setupweb.dat", testing::ArchiveBuilder(true)
                                                       .Add("settings.dat", "home=%%installpath%%\r\n")
                                                       .Add("html\\index.html", "web mail page")
                                                       .Add("projects\\standard\\project.xml", "new project")
                                                       .End()
                                                       .str());
  }
  ~RealInstallation() override { DeleteTree(files, base, "", true); }

  static std::string ExtractFileNameOf(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

  void Add(const std::string& path, const std::string& content) {
    ForceDirectories(files, path.substr(0, path.find_last_of('\\')));
    WriteAll(path, content);
  }
  std::string Installed(const std::string& relative) { return ReadAll(context.InstallPath + relative); }

  std::optional<uint32_t> Install() {
    try {
      EnsureInstallFolder(context);
      InstallFiles(context, run);
    } catch (const ProcessEnded& ended) {
      return ended.exitCode;
    }
    return std::nullopt;
  }
};

TEST_F(RealInstallation, UpgradeReplacesReadOnlyProgramsAndRunsTheEngineSetup) {
  Add(context.InstallPath + "smtp.exe", "old smtp");
  ASSERT_TRUE(::SetFileAttributesA((context.InstallPath + "smtp.exe").c_str(),
                                   FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  Add(context.InstallPath + "spam\\rules\\local.cf", "administrator's rules");
  Add(context.InstallPath + "spam\\rules\\30_old.cf", "withdrawn rules");
  Add(context.InstallPath + "webmail\\projects\\old\\project.xml", "old project");
  Add(context.InstallPath + "config\\webserver.cfg", "[Filter]\r\nphp=php.dll\r\n\r\n[Virtual-Host]\r\n/=html\r\n\r\n");
  const std::string before = files.CurrentFolder();

  ASSERT_EQ(Install(), std::nullopt) << log.Text();
  PatchWebServerConfig(context);

  EXPECT_EQ(Installed("smtp.exe"), "new smtp.exe");
  EXPECT_EQ(Installed("spam\\rules\\local.cf"), "administrator's rules");
  EXPECT_EQ(Installed("spam\\rules\\10_misc.cf"), "new misc rules");
  EXPECT_FALSE(files.FileExists(context.InstallPath + "spam\\rules\\30_old.cf"));
  EXPECT_FALSE(files.FolderExists(context.InstallPath + "webmail\\projects\\old"));
  EXPECT_EQ(Installed("webmail\\projects\\standard\\project.xml"), "new project");
  EXPECT_EQ(Installed("html\\mail\\index.html"), "web mail page");
  EXPECT_EQ(Installed("webmail\\config\\settings.dat"), "home=" + context.InstallPath + "\r\n");
  EXPECT_EQ(Installed("config\\webserver.dat"), "root=" + context.InstallPath + "html\\\r\n");
  EXPECT_EQ(Installed("config\\webserver.cfg"),
            "[Filter]\r\nphp=php.dll\r\n=modules\\wcs.dll|[wcs]\r\n\r\n[Virtual-Host]\r\n/wcs/=[wcs]\r\n/=html\r\n\r\n");

  // The vendor library ran its installer from the unpacked copy and the file
  // update from the installed one, each in its own folder.
  const std::string calls = Installed("avast\\setup\\setiface.calls");
  const std::string unpacked = ExcludeTrailingBackslash(run.ExtractionFolder + "avast\\");
  EXPECT_THAT(calls, HasSubstr("setifaceInstallProgram product=\"Polvane\" installer=\"" + run.ExtractionFolder +
                               "avast\\avastoem.exe\" target=\"" + context.InstallPath +
                               "avast\" switches=\"/minicore /noreboot /forceinstall\" mode=2"));
  EXPECT_THAT(LowerCase(calls), HasSubstr(LowerCase("cwd=\"" + unpacked + "\" -> 0")));
  EXPECT_THAT(calls, HasSubstr("setifaceUpdateFiles product=\"Polvane\" switches=\"/overwrite\" mode=2"));
  EXPECT_THAT(LowerCase(calls), HasSubstr(LowerCase("cwd=\"" + context.InstallPath + "avast\\setup\" -> 0 status=0x20000000")));
  EXPECT_EQ(files.CurrentFolder(), before);
  EXPECT_FALSE(files.FolderExists(run.ExtractionFolder + "avast"));
}

TEST_F(RealInstallation, MissingRegexDllIsFatalWithTheSystemsText) {
  ASSERT_TRUE(files.Delete(run.ExtractionFolder + "regex.dll"));
  EXPECT_EQ(Install(), kExitFatal);
  ASSERT_EQ(user.shown.size(), 1u);
  EXPECT_EQ(user.shown[0].text, "File copy error: " + TrimRight(system.ErrorText(ERROR_FILE_NOT_FOUND)) +
                                    "\r\nregex.dll\r\nIt is suggested to reboot this computer and run the setup again.");
  EXPECT_EQ(user.shown[0].icon, MessageIcon::Error);
}

}  // namespace
}  // namespace tovex
