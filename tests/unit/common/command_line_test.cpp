// The command line, read once: what the run does, whether it may show any
// window, and the options that may stand anywhere.

#include "common/command_line.h"

#include <gtest/gtest.h>

namespace tovex {
namespace {

using Params = std::vector<std::string>;
using A = CommandAction;

TEST(ParseCommandLine, ActionAndWindows) {
  struct Row {
    Params parameters;
    A action;
    bool withoutWindows;
  };
  const Row rows[] = {
      {{}, A::Wizard, false},
      {{"/silent"}, A::Silent, false},
      {{"/silent", "/UNINSTALL"}, A::Silent, false},
      {{"/SILENT", "/VERYSILENT"}, A::Silent, false},
      {{"/VERYSILENT", "/LOADINF=a.ini"}, A::Unattended, true},
      {{"/verysilent"}, A::Unattended, true},
      // The log option in front of the action, as deployment tools write it.
      {{"/LOG=C:\\x.log", "/VERYSILENT", "/LOADINF=a.ini"}, A::Unattended, true},
      {{"/VERYSILENT", "/LOG=C:\\x.log", "/LOADINF=a.ini"}, A::Unattended, true},
      {{"/log=C:\\x.log", "/UNINSTALL", "/VERYSILENT"}, A::Uninstall, true},
      {{"/UNINSTALL", "/LOG=C:\\x.log", "/verysilent"}, A::Uninstall, true},
      {{"/UNINSTALL"}, A::Uninstall, false},
      {{"/LOG=C:\\x.log", "/UNINSTALL"}, A::Uninstall, false},
      {{"/VERYSILENT", "/UNINSTALL"}, A::Unattended, true},
      {{"/SAVEINF=C:\\s.ini"}, A::SaveAnswers, false},
      {{"/WebMailLogon"}, A::WebMailLogon, false},
      {{"/WEBADMINLOGON"}, A::WebAdminLogon, false},
      {{"/?"}, A::Help, false},
      {{"/LOG=C:\\x.log"}, A::Wizard, false},
      {{"/LOG"}, A::Unknown, false},
      {{"foo", "/VERYSILENT"}, A::Unknown, false},
      {{"/LOADINF=a.ini", "/VERYSILENT"}, A::Unknown, false},
  };
  for (const Row& row : rows) {
    std::string trace;
    for (const std::string& p : row.parameters) trace += p + " ";
    SCOPED_TRACE(trace);
    const CommandLine line = ParseCommandLine(row.parameters);
    EXPECT_EQ(line.action, row.action);
    EXPECT_EQ(line.withoutWindows, row.withoutWindows);
    EXPECT_EQ(line.parameters, row.parameters);
  }
}

TEST(ParseCommandLine, OptionsAnywhere) {
  const CommandLine line = ParseCommandLine(
      {"/LOG=C:\\a.log", "/UNINSTALL", "/LOG=", "--installdir=D:\\A B", "/log=D:\\b.log", "-InstallDir=E:\\later"});
  EXPECT_EQ(line.first, "/UNINSTALL");
  EXPECT_EQ(line.logFiles, (Params{"C:\\a.log", "D:\\b.log"}));
  EXPECT_EQ(line.installDir, "D:\\A B");
  EXPECT_FALSE(line.exportLanguage);
  EXPECT_FALSE(line.answersFile);

  const CommandLine unattended = ParseCommandLine({"/VERYSILENT", "/loadinf=C:\\a.ini", "/LOADINF=C:\\b.ini"});
  EXPECT_EQ(unattended.answersFile, "C:\\a.ini");
  EXPECT_FALSE(unattended.saveAnswersFile);
  EXPECT_EQ(ParseCommandLine({"/SAVEINF="}).saveAnswersFile, "");
  EXPECT_EQ(ParseCommandLine({"/SAVEINF=C:\\s.ini"}).saveAnswersFile, "C:\\s.ini");
  EXPECT_FALSE(ParseCommandLine({"/SILENT", "/SAVEINF=C:\\s.ini"}).saveAnswersFile);

  for (const char* exportSwitch : {"-EXPORTLANGUAGE", "/exportlanguage", "-ExportLanguage"}) {
    EXPECT_TRUE(ParseCommandLine({"foo", exportSwitch}).exportLanguage) << exportSwitch;
  }
  for (const char* notExport : {"exportlanguage", "--exportlanguage", "-exportlanguages"}) {
    EXPECT_FALSE(ParseCommandLine({notExport}).exportLanguage) << notExport;
  }
}

TEST(ParseCommandLine, InstallDirOption) {
  struct Case {
    Params parameters;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      {{"/UNINSTALL"}, std::nullopt},
      {{"/UNINSTALL", "-InstallDir=D:\\Server"}, "D:\\Server"},
      {{"/UNINSTALL", "/INSTALLDIR=D:\\Server\\"}, "D:\\Server\\"},
      {{"/UNINSTALL", "-/InstallDir=D:\\Mixed"}, "D:\\Mixed"},
      {{"//InstallDir=F:\\y"}, "F:\\y"},
      {{"/UNINSTALL", "InstallDir=D:\\NoPrefix"}, std::nullopt},
      {{"/UNINSTALL", "---InstallDir=D:\\Three"}, std::nullopt},
      {{"/UNINSTALL", "-InstallDir="}, std::nullopt},
      {{"/UNINSTALL", "-InstallDirectory=D:\\Other"}, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.parameters.back());
    EXPECT_EQ(ParseCommandLine(c.parameters).installDir, c.expected);
  }
}

}  // namespace
}  // namespace tovex
