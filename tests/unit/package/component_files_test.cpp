#include "package/component_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/folders.h"
#include "common/text.h"
#include "fakes/fake_machine.h"
#include "package/antivirus_engine.h"
#include "platform/libraries.h"

namespace tovex {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr const char* kInstall = "C:\\Program Files\\Tovex\\";
constexpr const char* kExtract = "C:\\Temp\\tovexinstall\\";

using ArchiveContent = std::map<std::string, std::string>;  // relative name -> bytes

// The vendor library as the tests want it: records every call with the
// current directory it was made in; the installer puts a copy of the library
// into the engine's setup folder, as the real one does.
class FakeEngineLibraries final : public Libraries {
 public:
  struct Call {
    std::string library, entry, currentFolder;
    std::vector<std::string> texts;
  };
  explicit FakeEngineLibraries(fakes::FakeFiles& files) : files_(files) {}

  std::vector<Call> calls;
  bool loadable = true;
  uint32_t updateStatus = kEngineUpdateDone;

  std::unique_ptr<LoadedLibrary> Load(const std::string& path) override;
  uint32_t LastError() const override { return 126; }

 private:
  friend class FakeEngine;
  fakes::FakeFiles& files_;
};

class FakeEngine final : public LoadedLibrary {
 public:
  FakeEngine(FakeEngineLibraries& owner, std::string path) : owner_(owner), path_(std::move(path)) {}
  bool HasEntry(const std::string&) override { return true; }
  std::optional<int32_t> Call(const std::string& name, const std::vector<LibraryArgument>& arguments,
                              std::vector<std::string>* outputs) override {
    FakeEngineLibraries::Call call{path_, name, owner_.files_.CurrentFolder(), {}};
    for (const LibraryArgument& argument : arguments) {
      call.texts.push_back(argument.kind == LibraryArgument::Kind::Integer ? std::to_string(argument.integer)
                                                                           : argument.text);
    }
    owner_.calls.push_back(call);
    uint32_t status = 0;
    if (name == setiface::kInstallProgram) {
      owner_.files_.AddFile(call.texts[2] + "\\setup\\setiface.dll", "engine setup library");
    } else {
      status = owner_.updateStatus;
    }
    if (outputs != nullptr) {
      outputs->push_back(std::string{static_cast<char>(status), static_cast<char>(status >> 8),
                                     static_cast<char>(status >> 16), static_cast<char>(status >> 24)});
    }
    return 0;
  }

 private:
  FakeEngineLibraries& owner_;
  std::string path_;
};

std::unique_ptr<LoadedLibrary> FakeEngineLibraries::Load(const std::string& path) {
  if (!loadable || !files_.FileExists(path)) return nullptr;
  return std::make_unique<FakeEngine>(*this, path);
}

// The package of a typical release, as "setup.Dat" unpacks it.
ArchiveContent SetupPackage() {
  ArchiveContent package;
  for (const char* name : kCoreProgramFiles) package[name] = std::string("new ") + name;
  for (const char* name : {"polvanecom.dll", "im.exe", "cal.exe", "cert.pem"}) {
    package[name] = std::string("new ") + name;
  }
  package["webserver.dat"] = "[Main]\r\nroot=%%installpath%%html\\\r\ncache=%%temppath%%cache\\\r\n";
  package["doc\\manual.html"] = "manual";
  package["modules\\wcs.dll"] = "module";
  package["html\\index.html"] = "index";
  package["wizards\\basic.xml"] = "wizard";
  package["spam\\challenge.mdb"] = "empty challenge database";
  package["spam\\rules\\local.cf"] = "packaged local rules";
  package["spam\\rules\\10_misc.cf"] = "new misc rules";
  package["spam\\rules\\20_head.cf"] = "new head rules";
  package["calendar\\calendar.xml"] = "new calendar definition";
  package["calendar\\calendar.mdb"] = "empty calendar database";
  package["calendar\\skins\\default.css"] = "skin";
  package["calendar\\holidays\\uk.txt"] = "holidays";
  package["calendar\\doc\\index.html"] = "calendar doc";
  package["api\\api.txt"] = "api";
  package["tutorial\\index.html"] = "tutorial";
  package["examples\\example.txt"] = "example";
  package["xml\\basic.xml"] = "xml";
  return package;
}

// One machine with a typical package unpacked and the setup folder filled.
struct InstallBench {
  fakes::FakeMachine machine;
  FakeEngineLibraries engine{machine.files};
  FileInstallation run;
  std::map<std::string, ArchiveContent> archives;  // by archive path, upper case
  struct Extraction {
    std::string archive, folder;
    bool overwrite;
    std::string keepList;
  };
  std::vector<Extraction> extractions;
  std::vector<std::string> captions;
  std::vector<std::string> dataSources;  // "name=database"
  int progress = 0;

  InstallBench() {
    machine.context.InstallPath = kInstall;
    machine.context.platform.libraries = &engine;
    run.ExtractionFolder = kExtract;
    run.hooks.SetPhaseCaption = [this](const std::string& caption) { captions.push_back(caption); };
    run.hooks.StepProgress = [this] { ++progress; };
    run.hooks.ExtractArchive = [this](const std::string& archive, const std::string& folder, bool overwrite,
                                      const std::string& keepList) {
      extractions.push_back({archive, folder, overwrite, keepList});
      auto it = archives.find(UpperCase(archive));
      if (it == archives.end() || !machine.files.FileExists(archive)) return false;
      for (const auto& [name, content] : it->second) {
        const std::string target = folder + name;
        if (!overwrite && machine.files.FileExists(target)) continue;
        machine.files.AddFile(target, content);
      }
      return true;
    };
    run.hooks.DataSourceExists = [this](const std::string& name) {
      for (const std::string& source : dataSources) {
        if (source.starts_with(name + "=")) return true;
      }
      return false;
    };
    run.hooks.CreateAccessDataSource = [this](const std::string& name, const std::string& database) {
      dataSources.push_back(name + "=" + database);
      return true;
    };

    // The setup folder: setup.Dat already unpacked, the loose files and the
    // optional archives beside the program.
    for (const auto& [name, content] : SetupPackage()) machine.files.AddFile(kExtract + name, content);
    for (const char* name : {"setup.exe", "setup.lng", "info.xml", "readme.txt", "releasenotes.txt"}) {
      machine.files.AddFile(std::string("C:\\Setup\\") + name, std::string("setup folder ") + name);
    }
    AddArchive("setupav.dat", {{"setiface.dll", "engine setup library"}, {"avastoem.exe", "engine installer"}});
    AddArchive("setupweb.dat", {{"settings.dat", "home=%%installpath%%webmail\\\r\n"},
                                {"html\\index.html", "web mail page"},
                                {"projects\\standard\\project.xml", "new project"},
                                {"webmail.dll", "web mail library"}});
  }

  void AddArchive(const std::string& name, ArchiveContent content) {
    const std::string path = "C:\\Setup\\" + name;
    machine.files.AddFile(path, "archive");
    archives[UpperCase(path)] = std::move(content);
  }

  std::string Installed(const std::string& relative) {
    return machine.files.Content(kInstall + relative).value_or("<missing>");
  }
  bool Exists(const std::string& relative) { return machine.files.FileExists(kInstall + relative); }

  // Runs the installation; the exit code when Setup ended, nullopt otherwise.
  std::optional<uint32_t> Install() {
    try {
      EnsureInstallFolder(machine.context);
      InstallFiles(machine.context, run);
    } catch (const ProcessEnded& ended) {
      return ended.exitCode;
    }
    return std::nullopt;
  }
};

struct Installation : ::testing::Test, InstallBench {};

TEST_F(Installation, FreshInstallationPutsEveryComponentInPlace) {
  AddArchive("setupldap.dat", {{"slapd.conf", "ldap config"}});
  AddArchive("setupphp.dat", {{"php.dll", "php"}, {"wmi.ini", "dir=%%installpath%%php\\\r\n"}});
  AddArchive("other.dat", {{"extra\\extra.txt", "extra"}});

  ASSERT_EQ(Install(), std::nullopt) << machine.log.Text();

  for (const char* name : kCoreProgramFiles) EXPECT_EQ(Installed(name), std::string("new ") + name);
  EXPECT_EQ(Installed("im.exe"), "new im.exe");
  EXPECT_EQ(Installed("config\\cert.pem"), "new cert.pem");
  EXPECT_EQ(Installed("xml\\info.xml"), "setup folder info.xml");
  EXPECT_EQ(Installed("setup.lng"), "setup folder setup.lng");
  EXPECT_EQ(Installed("setup.exe"), "setup folder setup.exe");
  EXPECT_EQ(Installed("doc\\readme.txt"), "setup folder readme.txt");
  EXPECT_EQ(Installed("doc\\releasenotes.txt"), "setup folder releasenotes.txt");
  EXPECT_EQ(Installed("spam\\rules\\local.cf"), "packaged local rules");
  EXPECT_EQ(Installed("calendar\\skins\\default.css"), "skin");
  EXPECT_EQ(Installed("examples\\example.txt"), "example");
  EXPECT_EQ(Installed("config\\webserver.dat"),
            "[Main]\r\nroot=C:\\Program Files\\Tovex\\html\\\r\ncache=C:\\Windows\\temp\\cache\\\r\n");
  EXPECT_TRUE(machine.files.FolderExists("C:\\Windows\\temp\\cache"));

  // Web mail: pages under html\mail\, the rest under webmail\.
  EXPECT_TRUE(run.WebMailInstalled);
  EXPECT_EQ(Installed("control.exe.local"), "");
  EXPECT_EQ(Installed("html\\mail\\index.html"), "web mail page");
  EXPECT_FALSE(Exists("webmail\\html\\index.html"));
  EXPECT_EQ(Installed("webmail\\config\\settings.dat"), "home=C:\\Program Files\\Tovex\\webmail\\\r\n");
  EXPECT_FALSE(Exists("webmail\\settings.dat"));
  EXPECT_EQ(Installed("webmail\\projects\\standard\\project.xml"), "new project");

  // Optional archives.
  EXPECT_EQ(Installed("ldap\\slapd.conf"), "ldap config");
  EXPECT_EQ(Installed("php\\php.dll"), "php");
  EXPECT_FALSE(Exists("php\\wmi.ini")) << "the template's source goes once it is filled in";
  EXPECT_EQ(machine.files.Content("C:\\Windows\\wmi.ini"), "dir=C:\\Program Files\\Tovex\\php\\\r\n");
  EXPECT_EQ(Installed("extra\\extra.txt"), "extra");
  ASSERT_EQ(extractions.size(), 5u);
  EXPECT_EQ(extractions[1].archive, "C:\\Setup\\setupldap.dat");
  EXPECT_EQ(extractions[1].folder, std::string(kInstall) + "ldap\\");
  EXPECT_FALSE(extractions[1].overwrite);
  EXPECT_EQ(extractions[1].keepList, kLdapKeepList);

  EXPECT_THAT(dataSources, ElementsAre("PolvaneSpamChallenge=C:\\Program Files\\Tovex\\spam\\challenge.mdb",
                                       "PolvaneCalendar=C:\\Program Files\\Tovex\\calendar\\calendar.mdb"));
  const SetupStrings& text = machine.strings;
  EXPECT_THAT(captions, ElementsAre(text.cInstallFiles, text.cInstallingAV, text.cInstallingWeb));
  EXPECT_EQ(progress, 2);
  EXPECT_FALSE(machine.files.FolderExists(std::string(kExtract) + "avast"));
  EXPECT_FALSE(machine.files.FolderExists(std::string(kExtract) + "webmail"));
}

TEST_F(Installation, EngineIsInstalledFromTheUnpackedLibraryThenUpdatedFromItsInstalledCopy) {
  machine.files.AddFolder("C:\\Elsewhere");
  machine.files.SetCurrentFolder("C:\\Elsewhere");
  ASSERT_EQ(Install(), std::nullopt);

  ASSERT_EQ(engine.calls.size(), 2u);
  const auto& install = engine.calls[0];
  EXPECT_EQ(install.library, std::string(kExtract) + "avast\\setiface.dll");
  EXPECT_EQ(install.entry, "setifaceInstallProgram");
  EXPECT_EQ(install.currentFolder, std::string(kExtract) + "avast\\");
  EXPECT_THAT(install.texts, ElementsAre("Polvane", std::string(kExtract) + "avast\\avastoem.exe",
                                         "C:\\Program Files\\Tovex\\avast", "/minicore /noreboot /forceinstall",
                                         "2", std::string(4, '\0')));
  const auto& update = engine.calls[1];
  EXPECT_EQ(update.library, "C:\\Program Files\\Tovex\\avast\\setup\\setiface.dll");
  EXPECT_EQ(update.entry, "setifaceUpdateFiles");
  EXPECT_EQ(update.currentFolder, "C:\\Program Files\\Tovex\\avast\\setup\\");
  EXPECT_THAT(update.texts, ElementsAre("Polvane", "/overwrite", "2", std::string(4, '\0')));
  EXPECT_EQ(machine.files.CurrentFolder(), "C:\\Elsewhere\\") << "the current directory comes back";
}

TEST_F(Installation, EngineRules) {
  struct Case {
    const char* name;
    bool installedEngine, removeOld, noInstallAV, loadable;
    std::vector<std::string> entries;
    bool oldFileStays;
  };
  const Case cases[] = {
      {"installed engine is only updated", true, false, false, true, {"setifaceUpdateFiles"}, true},
      {"an engine older than 8.2.7 goes first", true, true, false, true,
       {"setifaceInstallProgram", "setifaceUpdateFiles"}, false},
      {"not chosen: setupav.dat untouched", true, true, true, true, {}, true},
      {"a library that does not load changes nothing", false, false, false, false, {}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InstallBench fixture;  // a fresh machine per case
    fixture.engine.loadable = c.loadable;
    fixture.run.RemoveOldAntivirus = c.removeOld;
    fixture.machine.context.flags.NoInstallAV = c.noInstallAV;
    fixture.machine.files.AddFile(std::string(kInstall) + "avast\\old.vps", "old definitions");
    if (c.installedEngine) fixture.machine.files.AddFile(std::string(kInstall) + "avast\\setup\\setiface.dll", "old");
    ASSERT_EQ(fixture.Install(), std::nullopt);
    std::vector<std::string> entries;
    for (const auto& call : fixture.engine.calls) entries.push_back(call.entry);
    EXPECT_EQ(entries, c.entries);
    EXPECT_EQ(fixture.Exists("avast\\old.vps"), c.oldFileStays);
    const bool unpacked = !fixture.extractions.empty() && fixture.extractions[0].archive == "C:\\Setup\\setupav.dat";
    EXPECT_EQ(unpacked, !c.noInstallAV);
  }
}

TEST_F(Installation, MissingRegexDllEndsSetupWithTheSystemsTextAndTheName) {
  machine.files.Delete(std::string(kExtract) + "regex.dll");
  EXPECT_EQ(Install(), kExitFatal);
  ASSERT_EQ(machine.user.shown.size(), 1u);
  const auto& box = machine.user.shown[0];
  EXPECT_EQ(box.text,
            "File copy error: The system cannot find the file specified.\r\nregex.dll\r\n"
            "It is suggested to reboot this computer and run the setup again.");
  EXPECT_EQ(box.caption, "Error");
  EXPECT_EQ(box.icon, MessageIcon::Error);
  EXPECT_TRUE(box.ownedByMain);
  EXPECT_EQ(Installed("ldap32.dll"), "new ldap32.dll") << "files copied so far stay";
}

TEST_F(Installation, FatalAndHarmlessGaps) {
  struct Case {
    const char* name;
    std::string removeFromPackage;  // below the extraction folder, or a setup-folder file
    std::optional<uint32_t> exit;
    std::string message;
  };
  const Case cases[] = {
      {"polvanecom.dll is optional", std::string(kExtract) + "polvanecom.dll", std::nullopt, ""},
      {"calendar.xml is optional", std::string(kExtract) + "calendar\\calendar.xml", std::nullopt, ""},
      {"im.exe is copied only when packaged", std::string(kExtract) + "im.exe", std::nullopt, ""},
      {"challenge.mdb is needed", std::string(kExtract) + "spam\\challenge.mdb", kExitFatal, "challenge.mdb"},
      {"calendar.mdb is needed", std::string(kExtract) + "calendar\\calendar.mdb", kExitFatal, "calendar.mdb"},
      {"readme.txt is needed", "C:\\Setup\\readme.txt", kExitFatal, "readme.txt"},
      {"setupweb.dat is needed for web mail", "C:\\Setup\\setupweb.dat", kExitFatal,
       "Extracting files error: data file error"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InstallBench fixture;
    ASSERT_TRUE(fixture.machine.files.Delete(c.removeFromPackage));
    EXPECT_EQ(fixture.Install(), c.exit);
    if (c.message.empty()) {
      EXPECT_TRUE(fixture.machine.user.shown.empty());
    } else {
      ASSERT_EQ(fixture.machine.user.shown.size(), 1u);
      EXPECT_THAT(fixture.machine.user.shown[0].text, HasSubstr(c.message));
    }
  }
}

TEST_F(Installation, WithoutWebMailSetupwebDatNeedNotExist) {
  machine.context.flags.NoInstallWebMail = true;
  machine.files.Delete("C:\\Setup\\setupweb.dat");
  ASSERT_EQ(Install(), std::nullopt);
  EXPECT_FALSE(run.WebMailInstalled);
  EXPECT_FALSE(Exists("control.exe.local"));
  EXPECT_EQ(progress, 2);
}

TEST_F(Installation, UnreadableEngineArchiveIsFatal) {
  archives.erase(UpperCase("C:\\Setup\\setupav.dat"));  // present, but does not unpack
  EXPECT_EQ(Install(), kExitFatal);
  ASSERT_EQ(machine.user.shown.size(), 1u);
  EXPECT_EQ(machine.user.shown[0].text, "Extracting files error: data file error");
}

TEST_F(Installation, UpgradeKeepsWhatItMustNotLose) {
  auto& files = machine.files;
  const std::string install = kInstall;
  files.AddFile(install + "smtp.exe", "old smtp.exe", attr::kReadOnly | attr::kHidden);
  files.AddFile(install + "config\\webserver.dat", "administrator's web server");
  files.AddFile(install + "webmail\\config\\settings.dat", "administrator's web mail");
  files.AddFile(install + "webmail\\projects\\old\\project.xml", "old project");
  files.AddFile(install + "spam\\challenge.mdb", "live challenge database");
  files.AddFile(install + "spam\\rules\\local.cf", "administrator's rules");
  files.AddFile(install + "spam\\rules\\10_misc.cf", "old misc rules");
  files.AddFile(install + "spam\\rules\\60_old.cf", "withdrawn rules");
  files.AddFile(install + "spam\\rules\\70_x.cf", "third-party rules");
  files.AddFile(install + "calendar\\calendar.mdb", "live calendar");
  files.AddFile(install + "calendar\\calendar.xml", "old calendar definition");
  files.AddFile(install + "config\\cert.pem", "administrator's certificate");
  files.AddFile(install + "cert.dat", "old certificate store");
  files.AddFile(install + "default.ini", "stray default.ini");
  files.AddFile(install + "config\\default.ini", "kept default.ini");
  files.AddFile(install + "doc\\old.txt", "unpackaged document");

  ASSERT_EQ(Install(), std::nullopt) << machine.log.Text();

  EXPECT_EQ(Installed("smtp.exe"), "new smtp.exe") << "a read-only program is replaced";
  EXPECT_EQ(Installed("config\\webserver.dat"), "administrator's web server");
  EXPECT_EQ(Installed("webmail\\config\\settings.dat"), "administrator's web mail");
  EXPECT_FALSE(Exists("webmail\\projects\\old\\project.xml")) << "projects are replaced entirely";
  EXPECT_EQ(Installed("webmail\\projects\\standard\\project.xml"), "new project");

  EXPECT_EQ(Installed("spam\\challenge.mdb"), "live challenge database");
  EXPECT_EQ(Installed("spam\\rules\\local.cf"), "administrator's rules");
  EXPECT_EQ(Installed("spam\\rules\\10_misc.cf"), "new misc rules");
  EXPECT_FALSE(Exists("spam\\rules\\60_old.cf")) << "numbered rules 1 to 6 go before the copy";
  EXPECT_EQ(Installed("spam\\rules\\70_x.cf"), "third-party rules");
  EXPECT_EQ(Installed("spam\\rules\\20_head.cf"), "new head rules");

  // The calendar: definition, holidays and documentation only.
  EXPECT_EQ(Installed("calendar\\calendar.mdb"), "live calendar");
  EXPECT_EQ(Installed("calendar\\calendar.xml"), "new calendar definition");
  EXPECT_EQ(Installed("calendar\\holidays\\uk.txt"), "holidays");
  EXPECT_EQ(Installed("calendar\\doc\\index.html"), "calendar doc");
  EXPECT_FALSE(Exists("calendar\\skins\\default.css"));

  EXPECT_EQ(Installed("config\\cert.pem"), "administrator's certificate");
  EXPECT_EQ(Installed("config\\cert.dat"), "old certificate store");
  EXPECT_FALSE(Exists("cert.dat"));
  EXPECT_EQ(Installed("default.ini"), "stray default.ini") << "config\\ had one already: both stay";
  EXPECT_EQ(Installed("config\\default.ini"), "kept default.ini");
  EXPECT_EQ(Installed("doc\\old.txt"), "unpackaged document");
}

// Links an ordinary program planted in the installation folder before an
// upgrade: each is removed as a link and replaced by a real file or folder.
struct PlantedLinks : Installation {
  const std::string canary = "C:\\Canary\\";
  PlantedLinks() {
    machine.files.AddFile(canary + "bird.txt", "tweet");
    machine.files.AddFile(canary + "nest\\egg.txt", "egg");
    const std::string install = kInstall;
    machine.files.AddLink(install + "doc", "C:\\Canary", true);
    machine.files.AddLink(install + "html\\mail", "C:\\Canary", true);
    machine.files.AddLink(install + "webmail\\projects\\trap", "C:\\Canary", true);
    machine.files.AddLink(install + "smtp.exe", canary + "bird.txt", false);
    machine.files.AddLink(install + "control.exe.local", canary + "bird.txt", false);
    machine.files.AddLink(install + "cert.pem", canary + "bird.txt", false);
  }
  void ExpectCanaryIntact() {
    EXPECT_THAT(machine.files.AllPaths(), ::testing::IsSupersetOf({"C:\\CANARY\\", "C:\\CANARY\\BIRD.TXT",
                                                                   "C:\\CANARY\\NEST\\", "C:\\CANARY\\NEST\\EGG.TXT"}));
    EXPECT_EQ(machine.files.List(canary, "*.*").size(), 2u) << "nothing added to the canary";
    EXPECT_EQ(machine.files.Content(canary + "bird.txt"), "tweet");
    EXPECT_EQ(machine.files.Content(canary + "nest\\egg.txt"), "egg");
  }
};

TEST_F(PlantedLinks, AreRemovedAsLinksAndNeverWrittenThrough) {
  ASSERT_EQ(Install(), std::nullopt) << machine.log.Text();
  ExpectCanaryIntact();
  for (const char* path : {"doc", "html\\mail", "smtp.exe", "control.exe.local"}) {
    EXPECT_FALSE(IsLink(machine.files, kInstall + std::string(path))) << path;
  }
  EXPECT_EQ(Installed("doc\\manual.html"), "manual");
  EXPECT_EQ(Installed("doc\\readme.txt"), "setup folder readme.txt");
  EXPECT_EQ(Installed("html\\mail\\index.html"), "web mail page");
  EXPECT_EQ(Installed("smtp.exe"), "new smtp.exe");
  EXPECT_EQ(Installed("control.exe.local"), "");
  EXPECT_FALSE(machine.files.Attributes(std::string(kInstall) + "webmail\\projects\\trap"));
  EXPECT_TRUE(IsLink(machine.files, std::string(kInstall) + "cert.pem")) << "a link is not moved like a file";
  EXPECT_THAT(machine.log.Text(), HasSubstr("cert.pem is a link and stays where it is"));
}

TEST_F(PlantedLinks, ThatCannotBeRemovedEndTheInstallationBeforeAnyWriteThroughThem) {
  const std::string install = kInstall;
  for (const char* path : {"doc", "html\\mail", "webmail\\projects\\trap", "smtp.exe", "control.exe.local"}) {
    machine.files.FailOn(fakes::FakeFiles::Op::RemoveLink, install + path, oserr::kNotAReparsePoint);
  }
  EXPECT_EQ(Install(), kExitFatal);
  ExpectCanaryIntact();
  ASSERT_EQ(machine.user.shown.size(), 1u);
  EXPECT_THAT(machine.user.shown[0].text, HasSubstr("File copy error: "));
  EXPECT_THAT(machine.user.shown[0].text, HasSubstr("\r\nsmtp.exe\r\n"));
}

TEST_F(Installation, SpamFolderWithoutRulesGetsThePackagedLocalRules) {
  machine.files.AddFile(std::string(kInstall) + "spam\\challenge.mdb", "live");
  ASSERT_EQ(Install(), std::nullopt);
  EXPECT_EQ(Installed("spam\\rules\\local.cf"), "packaged local rules");
  EXPECT_EQ(Installed("spam\\rules\\10_misc.cf"), "new misc rules");
}

TEST_F(Installation, EnsureInstallFolderFailureNamesTheSystemsReason) {
  machine.files.FailOn(fakes::FakeFiles::Op::MakeFolder, "C:\\Program Files\\Tovex", oserr::kAccessDenied);
  EXPECT_EQ(Install(), kExitFatal);
  ASSERT_EQ(machine.user.shown.size(), 1u);
  EXPECT_EQ(machine.user.shown[0].text, "Directory could not be created: Access is denied.");
  EXPECT_EQ(machine.user.shown[0].caption, "Error");
}

TEST(EnsureInstallFolder, OutsideTheProgramFilesFolderItGetsThatFoldersProtection) {
  struct Case {
    const char* folder;
    std::optional<FolderProtection> protection;
  };
  const Case cases[] = {
      {"C:\\Program Files\\Tovex\\", std::nullopt},  // inherits from the program files folder
      {"c:\\program files\\Mail\\Tovex\\", std::nullopt},
      {"C:\\Tovex\\", FolderProtection::LikeProgramFiles},
      {"C:\\Servers\\Mail\\Tovex\\", FolderProtection::LikeProgramFiles},
      {"C:\\Program Files\\..\\Tovex\\", FolderProtection::LikeProgramFiles},
      {"C:\\Program Files Extra\\Tovex\\", FolderProtection::LikeProgramFiles},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    fakes::FakeMachine machine;
    machine.files.AddFolder("C:\\Program Files");
    machine.context.InstallPath = c.folder;
    EnsureInstallFolder(machine.context);
    EXPECT_TRUE(machine.files.FolderExists(c.folder));
    EXPECT_EQ(machine.files.Protection(c.folder), c.protection);
  }
}

TEST(EnsureInstallFolder, AnExistingFolderOrdinaryUsersMayWriteInIsLoggedAsAWarning) {
  for (const bool mayWrite : {true, false}) {
    fakes::FakeMachine machine;
    machine.files.AddFolder("C:\\Shared\\Tovex");
    machine.files.SetOrdinaryUsersMayWrite("C:\\Shared\\Tovex", mayWrite);
    machine.context.InstallPath = "C:\\Shared\\Tovex\\";
    EnsureInstallFolder(machine.context);
    EXPECT_EQ(machine.log.Text().find("Warning: the security of the installation folder C:\\Shared\\Tovex\\ lets "
                                      "ordinary users write there") != std::string::npos,
              mayWrite);
    EXPECT_EQ(machine.files.Protection("C:\\Shared\\Tovex"), std::nullopt) << "an existing folder is not changed";
  }
}

TEST(InstallTemplateFile, ReplacesTheFirstOccurrenceOfEachTokenPerLine) {
  fakes::FakeMachine machine;
  machine.context.InstallPath = kInstall;
  FileInstallation run;
  run.ExtractionFolder = kExtract;
  struct Case {
    const char* name;
    std::string source, result;
  };
  const Case cases[] = {
      {"second occurrence stays", "a=%%installpath%%;b=%%installpath%%\r\n",
       "a=C:\\Program Files\\Tovex\\;b=%%installpath%%\r\n"},
      {"both tokens on one line", "%%temppath%%x %%installpath%%y %%temppath%%\r\n",
       "C:\\Windows\\temp\\x C:\\Program Files\\Tovex\\y %%temppath%%\r\n"},
      {"lines without tokens and a last line without break", "[a]\r\n\r\nb=1",
       "[a]\r\n\r\nb=1\r\n"},
      {"lone line feeds become CR LF", "x=%%installpath%%\ny=2\n", "x=C:\\Program Files\\Tovex\\\r\ny=2\r\n"},
      {"empty template", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    machine.files.AddFile(std::string(kExtract) + "t.ini", c.source);
    InstallTemplateFile(machine.context, run, "t.ini", std::string(kInstall) + "config\\");
    EXPECT_EQ(machine.files.Content(std::string(kInstall) + "config\\t.ini"), c.result);
  }
  // A missing template writes nothing.
  InstallTemplateFile(machine.context, run, "C:\\nowhere\\missing.ini", "C:\\Out\\");
  EXPECT_FALSE(machine.files.FileExists("C:\\Out\\missing.ini"));
}

TEST(CopyInstallTree, CopiesHiddenAndReadOnlyFilesAndNestedFolders) {
  fakes::FakeMachine machine;
  machine.context.InstallPath = kInstall;
  machine.files.AddFile("C:\\Src\\doc\\a.txt", "a", attr::kHidden | attr::kSystem);
  machine.files.AddFile("C:\\Src\\doc\\deep\\er\\b.txt", "b", attr::kReadOnly);
  machine.files.AddFile(std::string(kInstall) + "doc\\deep\\er\\b.txt", "old b", attr::kReadOnly);
  CopyInstallTree(machine.context, "C:\\Src\\", "doc\\");
  EXPECT_EQ(machine.files.Content(std::string(kInstall) + "doc\\a.txt"), "a");
  EXPECT_EQ(machine.files.Content(std::string(kInstall) + "doc\\deep\\er\\b.txt"), "b");
  CopyInstallTree(machine.context, "C:\\Src\\", "missing\\");
  EXPECT_FALSE(machine.files.FolderExists(std::string(kInstall) + "missing"));
  EXPECT_TRUE(machine.user.shown.empty());
}

TEST(RemoveDeselectedComponents, DeletesOnlyTheProgramsOfUnchosenComponents) {
  struct Case {
    const char* name;
    ComponentFlags flags;
    std::vector<std::string> gone;
  };
  const std::vector<std::string> all = {"smtp.exe", "pop3.exe", "control.exe", "im.exe",
                                        "cal.exe", "html\\mail\\index.html", "avast\\setup\\setiface.dll",
                                        "spam\\rules\\local.cf", "calendar\\calendar.mdb", "html\\index.html"};
  const Case cases[] = {
      {"everything chosen", {}, {}},
      {"no mail", {.NoInstallMail = true}, {"smtp.exe", "pop3.exe"}},
      {"no control", {.NoInstallControl = true}, {"control.exe"}},
      {"no web mail", {.NoInstallWebMail = true}, {"html\\mail\\index.html"}},
      {"no anti-spam", {.NoInstallIAS = true}, {"spam\\rules\\local.cf"}},
      {"no anti-virus", {.NoInstallAV = true}, {"avast\\setup\\setiface.dll"}},
      {"no groupware: the program goes, its data stays", {.NoInstallCalendar = true}, {"cal.exe"}},
      {"no instant messaging", {.NoInstallIM = true}, {"im.exe"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fakes::FakeMachine machine;
    machine.context.InstallPath = kInstall;
    machine.context.flags = c.flags;
    for (const std::string& name : all) machine.files.AddFile(kInstall + name, "x");
    RemoveDeselectedComponents(machine.context);
    for (const std::string& name : all) {
      const bool expectedGone = std::find(c.gone.begin(), c.gone.end(), name) != c.gone.end();
      EXPECT_EQ(machine.files.FileExists(kInstall + name), !expectedGone) << name;
    }
  }
}

}  // namespace
}  // namespace tovex
