// The program group: the shortcut table on both branches, the group folders
// and the names a translation gives the links.
#include <gtest/gtest.h>

#include <map>

#include "common/text.h"
#include "fakes/fake_machine.h"
#include "platform/shell.h"
#include "system/shortcuts.h"

namespace tovex {
namespace {

constexpr auto HKLM = RegistryRoot::LocalMachine;
constexpr auto HKCU = RegistryRoot::CurrentUser;
constexpr const char* kShellFolders = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kCommon = "C:\\ProgramData\\Start Menu\\Programs";
constexpr const char* kUser = "C:\\Users\\jane\\Start Menu\\Programs";
constexpr const char* kGroup = "C:\\ProgramData\\Start Menu\\Programs\\Tovex Mail Server\\";

// Saves links as files of the fake file tree (so the group folder must exist)
// and remembers what each holds.
class LinkShell final : public Shell {
 public:
  explicit LinkShell(fakes::FakeFiles& files) : files_(files) {}
  std::map<std::string, ShellLink> links;  // by upper-cased path
  std::vector<std::string> saved;          // paths in order

  bool Open(const std::string&, const std::string&, const std::string&) override { return true; }
  bool SaveLink(const std::string& linkPath, const ShellLink& link) override {
    auto file = files_.CreateForWriting(linkPath);
    if (!file) {
      lastError_ = files_.LastError();
      return false;
    }
    file->Write("L", 1);
    links[UpperCase(linkPath)] = link;
    saved.push_back(linkPath);
    return true;
  }
  std::optional<ShellLink> LoadLink(const std::string& linkPath) override {
    auto found = links.find(UpperCase(linkPath));
    if (found == links.end() || !files_.FileExists(linkPath)) return std::nullopt;
    return found->second;
  }
  uint32_t LastError() const override { return lastError_; }

 private:
  fakes::FakeFiles& files_;
  uint32_t lastError_ = 0;
};

struct Expected {
  const char* name;
  const char* target;  // after "C:\Tovex\"
  const char* arguments;
  int icon;
};

// The whole table; rows 7 to 12 depend on the run.
const Expected kTable[] = {
    {"Tovex Mail Server Administration", "config.exe", "", 0},
    {"Tovex Mail Server Readme", "doc\\readme.txt", "", 0},
    {"Tovex Mail Server Help", "doc\\manual.chm", "", 0},
    {"DNS Query Tool", "dnsquery.exe", "", 0},
    {"Tovex Mail Server Tutorial", "tutorial\\index.html", "", 0},
    {"Uninstall Tovex Mail Server", "setup.exe", "/UNINSTALL", 1},
    {"Polvane WebMail Documentation", "html\\mail\\help\\index.htm", "", 0},
    {"Start Tovex SMTP Service", "smtp.exe", "", 0},
    {"Start Tovex POP3-IMAP4 Service", "pop3.exe", "", 0},
    {"Start Tovex Control Service", "control.exe", "", 0},
    {"Start Tovex Instant Messaging Service", "im.exe", "", 0},
    {"Start Tovex GroupWare Service", "cal.exe", "", 0},
    {"Tovex Mail Server Web Mail", "setup.exe", "/WEBMAILLOGON", 2},
    {"Tovex Mail Server Web Administration", "setup.exe", "/WEBADMINLOGON", 2},
};

struct ProgramGroupTest : ::testing::Test {
  fakes::FakeMachine machine;
  LinkShell shell{machine.files};
  MainFormRegistries registries{machine.context};
  ProgramGroupInputs inputs;
  std::vector<std::string> captions;

  void SetUp() override {
    machine.context.platform.shell = &shell;
    machine.context.InstallPath = "C:\\Tovex\\";
    machine.files.AddFolder("C:\\Tovex");
    machine.registry.SetString(HKLM, kShellFolders, "Common Programs", kCommon);
    machine.registry.SetString(HKCU, kShellFolders, "Programs", kUser);
    machine.files.AddFolder(kCommon);
    machine.files.AddFolder(kUser);
    inputs.user = {"Jane", "", "", ""};
    inputs.setPhaseCaption = [this](const std::string& caption) { captions.push_back(caption); };
  }
};

TEST_F(ProgramGroupTest, ShortcutTableOnBothBranches) {
  struct Branch {
    bool windowsNT;
    bool webMail;
    size_t count;
  } branches[] = {{true, false, 8}, {true, true, 9}, {false, false, 13}, {false, true, 14}};
  for (const Branch& branch : branches) {
    SCOPED_TRACE(testing::Message() << "NT " << branch.windowsNT << ", web mail " << branch.webMail);
    fakes::FakeMachine run;
    LinkShell links{run.files};
    run.context.platform.shell = &links;
    run.context.InstallPath = "C:\\Tovex\\";
    run.context.IsWindowsNT = branch.windowsNT;
    run.registry.SetString(HKLM, kShellFolders, "Common Programs", kCommon);
    MainFormRegistries forms(run.context);
    ProgramGroupInputs in;
    in.webMailInstalled = branch.webMail;
    EXPECT_EQ(CreateProgramGroup(run.context, forms, in), kGroup);

    std::vector<std::string> expectedPaths;
    for (size_t row = 0; row < std::size(kTable); ++row) {
      const bool made = (row != 6 || branch.webMail) && (row < 7 || row > 11 || !branch.windowsNT);
      if (!made) continue;
      const Expected& e = kTable[row];
      const std::string path = std::string(kGroup) + e.name + ".lnk";
      expectedPaths.push_back(path);
      auto link = links.LoadLink(path);
      ASSERT_TRUE(link) << path;
      EXPECT_EQ(link->target, std::string("C:\\Tovex\\") + e.target);
      EXPECT_EQ(link->arguments, e.arguments);
      EXPECT_EQ(link->iconIndex, e.icon);
      EXPECT_EQ(link->iconPath, e.icon != 0 ? link->target : "") << "no icon index: the target's own icon";
      EXPECT_EQ(link->workingFolder, "");
      EXPECT_EQ(link->description, "");
    }
    EXPECT_EQ(links.saved, expectedPaths);
    EXPECT_EQ(links.saved.size(), branch.count);
  }
}

TEST_F(ProgramGroupTest, RebuildsTheGroupAndWritesTheRecordsLast) {
  machine.files.AddFile(std::string(kGroup) + "Added by hand.lnk", "x");
  machine.files.AddFile(std::string(kUser) + "\\Tovex Mail Server\\Old.lnk", "x");
  machine.files.AddFile(std::string(kUser) + "\\Other Product\\Keep.lnk", "x");

  CreateProgramGroup(machine.context, registries, inputs);

  EXPECT_EQ(captions, std::vector<std::string>{"Creating Icons..."});
  EXPECT_FALSE(machine.files.FileExists(std::string(kGroup) + "Added by hand.lnk"));
  EXPECT_FALSE(machine.files.FolderExists(std::string(kUser) + "\\Tovex Mail Server"))
      << "the per-user group of an earlier installation is deleted and not recreated";
  EXPECT_TRUE(machine.files.FileExists(std::string(kUser) + "\\Other Product\\Keep.lnk"));
  EXPECT_EQ(shell.saved.size(), 8u);
  EXPECT_EQ(registries.AdvancedRegistry.RegistryRootKey(), TRegistryKey::hkLOCAL_MACHINE) << "stays there";
  EXPECT_EQ(machine.registry.String(HKLM, "\\Software\\Polvane\\Tovex Mail Server", "Name"), "Jane");
  EXPECT_EQ(machine.registry.String(HKLM, "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tovex",
                                    "UninstallString"),
            "\"C:\\Tovex\\setup.exe\" /UNINSTALL");
}

TEST_F(ProgramGroupTest, BlankProductNameLeavesEveryProgramsFolderAlone) {
  machine.strings.cName = "  ";
  machine.files.AddFile(std::string(kCommon) + "\\Other Product\\Keep.lnk", "x");
  machine.files.AddFile(std::string(kUser) + "\\Other Product\\Keep.lnk", "x");

  EXPECT_EQ(CreateProgramGroup(machine.context, registries, inputs), "");

  EXPECT_TRUE(machine.files.FileExists(std::string(kCommon) + "\\Other Product\\Keep.lnk"));
  EXPECT_TRUE(machine.files.FileExists(std::string(kUser) + "\\Other Product\\Keep.lnk"));
  EXPECT_TRUE(shell.saved.empty());
  EXPECT_EQ(machine.registry.String(HKLM, "\\Software\\Polvane\\Tovex Mail Server", "Name"), "Jane")
      << "the installation record is written all the same";
}

TEST_F(ProgramGroupTest, TranslatedValueNamesChooseTheShellFolders) {
  machine.strings.cCommonPrograms = "Common Start Menu Programs";
  machine.strings.cName = "Serveur Tovex";
  machine.registry.SetString(HKLM, kShellFolders, "Common Start Menu Programs", "C:\\Other");
  machine.files.AddFolder("C:\\Other");
  EXPECT_EQ(CreateProgramGroup(machine.context, registries, inputs), "C:\\Other\\Serveur Tovex\\");
  EXPECT_TRUE(machine.files.FileExists("C:\\Other\\Serveur Tovex\\DNS Query Tool.lnk"));
}

TEST_F(ProgramGroupTest, WithoutAnAllUsersFolderTheGroupGoesToTheUsersPrograms) {
  machine.registry.SetString(HKLM, kShellFolders, "Common Programs", "");
  const std::string group = std::string(kUser) + "\\Tovex Mail Server\\";
  EXPECT_EQ(CreateProgramGroup(machine.context, registries, inputs), group);
  EXPECT_TRUE(machine.files.FileExists(group + "Tovex Mail Server Readme.lnk"));

  fakes::FakeMachine bare;  // neither folder known: no links, but the records are still written
  LinkShell links{bare.files};
  bare.context.platform.shell = &links;
  bare.context.InstallPath = "C:\\Tovex\\";
  MainFormRegistries forms(bare.context);
  EXPECT_EQ(CreateProgramGroup(bare.context, forms, inputs), "");
  EXPECT_TRUE(links.saved.empty());
  EXPECT_EQ(bare.registry.String(HKLM, "\\Software\\Polvane\\Tovex Mail Server", "Version"), "8.5.0-7");
}

TEST_F(ProgramGroupTest, AShortLinkDescTranslationKeepsEnglishNamesForTheRest) {
  machine.strings.LinkDesc = "Administration du serveur\r\nLisez-moi\r\n";
  CreateProgramGroup(machine.context, registries, inputs);
  for (const char* name : {"Administration du serveur", "Lisez-moi", "Tovex Mail Server Help", "DNS Query Tool",
                           "Tovex Mail Server Tutorial"})
    EXPECT_TRUE(machine.files.FileExists(std::string(kGroup) + name + ".lnk")) << name;
  EXPECT_FALSE(machine.files.FileExists(std::string(kGroup) + ".lnk"));
  EXPECT_EQ(shell.saved.size(), 8u);
}

TEST(LinkDescNames, SplitsAtLineFeedsAndTrims) {
  EXPECT_EQ(LinkDescNames("  A \r\nB\nC\r\n\r\n E\t"),
            (std::vector<std::string>{"A", "B", "C", "DNS Query Tool", "E"}));
  EXPECT_EQ(LinkDescNames("").size(), 5u);
  EXPECT_EQ(LinkDescNames("1\n2\n3\n4\n5\n6"), (std::vector<std::string>{"1", "2", "3", "4", "5"}));
}

TEST_F(ProgramGroupTest, AFailingLinkIsSilent) {
  machine.files.FailOn(fakes::FakeFiles::Op::Write, std::string(kGroup) + "DNS Query Tool.lnk", 5);
  CreateProgramGroup(machine.context, registries, inputs);
  EXPECT_EQ(shell.saved.size(), 7u);
  EXPECT_TRUE(machine.user.shown.empty());
  EXPECT_NE(machine.log.Text().find("DNS Query Tool.lnk"), std::string::npos);
}

}  // namespace
}  // namespace tovex
