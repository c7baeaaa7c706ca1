// The libraries and network adapters, and the configuration store on real
// files, in file mode and with the db.dll peer, under Wine.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>

#include "common/folders.h"
#include "common/paths.h"
#include "common/text.h"
#include "platform/win32/clock_win32.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/libraries_win32.h"
#include "platform/win32/network_win32.h"
#include "platform/win32/system_win32.h"
#include "upgrade/config_store.h"

namespace tovex {
namespace {

// The peer's build path as Wine sees it (drive Z: is the Unix root).
std::string PeerPath() {
  std::string path = "Z:" TOVEX_DB_PEER;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

std::string ReadText(win32::Win32Files& files, const std::string& path) {
  auto file = files.OpenForReading(path);
  if (!file) return "<missing>";
  std::string content(static_cast<size_t>(file->Size()), '\0');
  size_t got = 0;
  file->Read(content.data(), content.size(), got);
  content.resize(got);
  return content;
}

void WriteText(win32::Win32Files& files, const std::string& path, const std::string& content) {
  ForceDirectories(files, ExcludeTrailingBackslash(path.substr(0, path.rfind('\\'))));
  auto file = files.CreateForWriting(path);
  ASSERT_TRUE(file);
  file->Write(content.data(), content.size());
  file->Close();
}

class RealFolder : public ::testing::Test {
 protected:
  RealFolder() {
    root = files.TempFolder() + "tovex-config-" + std::to_string(::GetCurrentProcessId()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name() + "\\";
    DeleteTree(files, root, "*.*", true);
    ForceDirectories(files, root + "config");
    platform.files = &files;
    platform.clock = &clock;
    platform.system = &system;
    platform.libraries = &libraries;
    platform.network = &network;
  }
  ~RealFolder() override { DeleteTree(files, root, "*.*", true); }

  win32::Win32Files files;
  win32::Win32Clock clock;
  win32::Win32System system;
  win32::Win32Libraries libraries;
  win32::Win32Network network;
  Platform platform;
  std::string root;
};

TEST_F(RealFolder, LibrariesAdapterCallsEntriesWithTextsIntegersAndBuffers) {
  EXPECT_EQ(libraries.Load(root + "absent.dll"), nullptr);
  EXPECT_EQ(libraries.LastError(), 126u);  // ERROR_MOD_NOT_FOUND

  ASSERT_TRUE(files.Copy(PeerPath(), root + "db.dll", false)) << PeerPath();
  auto library = libraries.Load(root + "db.dll");
  ASSERT_TRUE(library);
  EXPECT_TRUE(library->HasEntry("DBAddDomain"));
  EXPECT_FALSE(library->HasEntry("DBNoSuchEntry"));
  EXPECT_FALSE(library->Call("DBNoSuchEntry", {}));

  EXPECT_EQ(library->Call("DBAddDomain", {LibraryArgument::Text("first.example")}), 1);
  EXPECT_EQ(library->Call("DBAddDomain", {LibraryArgument::Text("second.example")}), 1);
  EXPECT_EQ(library->Call("DBGetDomainCount", {}), 2);
  std::vector<std::string> outputs;
  EXPECT_EQ(library->Call("DBGetDomains", {LibraryArgument::Buffer({}, 192), LibraryArgument::Int(192)}, &outputs), 2);
  ASSERT_EQ(outputs.size(), 1u);
  ASSERT_EQ(outputs[0].size(), 192u);
  EXPECT_EQ(outputs[0].substr(1, 13), "first.example");
  EXPECT_EQ(outputs[0].substr(97, 14), "second.example");
  library.reset();  // unloads
  EXPECT_NE(ReadText(files, root + "db-calls.log").find("DBGetDomains 192"), std::string::npos);
}

TEST_F(RealFolder, NetworkAdapterReadsDnsServersAndReportsAClosedPort) {
  for (const auto& server : network.DnsServers()) {
    EXPECT_FALSE(server.empty());
    EXPECT_EQ(server.find_first_not_of("0123456789.:abcdefABCDEF%"), std::string::npos) << server;
  }
  // Nothing listens on loopback port 1: the request fails at once.
  EXPECT_FALSE(network.HttpOpen("http://127.0.0.1:1/", 5000));
  EXPECT_NE(network.LastError(), 0u);
}

TEST_F(RealFolder, ConfigurationFolderLoadsAndSavesTheSameBytes) {
  const std::string config = root + "config\\";
  {
    ConfigurationStore writer(platform);
    writer.SetConfigurationFolder(config);
    writer.SetRootFolder(root);
    writer.LoadConfiguration();
    writer.Settings()[settings::kPasswordEncryption] = 1;
    writer.AddDomainName("Older.Example", 1);
    writer.AddDomainName("New.Example", 1);
    DomainRecord record{};
    SetText(record.data(), domain_record::kAdministrator, "admin@New.Example");
    EXPECT_TRUE(writer.SaveDomainRecord(record, 1));
    WriteText(files, config + "older.example\\bind.dat", "192.0.2.7\r\n");
    writer.MakeDomainPrimary(1);
    EXPECT_TRUE(writer.SaveConfiguration());
    AccountRecord user{};
    SetText(user.data(), account::kAliases, "admin");
    SetText(user.data(), account::kPassword, "s3cret");
    int position = -1;
    EXPECT_TRUE(writer.SaveAccount(writer.DomainName(0), user, position, ""));
    EXPECT_EQ(position, 0);
  }
  const std::string settingsBytes = ReadText(files, config + "settings.cfg");
  const std::string domainBytes = ReadText(files, config + "domains.cfg");
  EXPECT_EQ(settingsBytes.size(), settings::kSize);
  EXPECT_EQ(domainBytes.size(), 192u);
  EXPECT_EQ(ReadText(files, config + "older.example\\bind.dat"), "192.0.2.7\r\n");

  ConfigurationStore reader(platform);
  reader.SetConfigurationFolder(config);
  reader.SetRootFolder(root);
  reader.LoadConfiguration();
  EXPECT_EQ(reader.DomainName(0), "new.example");
  EXPECT_EQ(reader.DomainName(1), "older.example");
  EXPECT_TRUE(reader.DomainBindingFlag(1));
  EXPECT_EQ(reader.FindAccount("new.example", "ADMIN"), 0);
  AccountCursor cursor;
  reader.OpenAccounts("new.example", cursor);
  ASSERT_FALSE(reader.NextAccount(cursor));
  EXPECT_EQ(GetText(cursor.record.data(), account::kPassword), "s3cret");
  EXPECT_TRUE(reader.NextAccount(cursor));
  reader.CloseAccounts(cursor);
  EXPECT_TRUE(reader.SaveConfiguration());
  EXPECT_EQ(ReadText(files, config + "settings.cfg"), settingsBytes);
  EXPECT_EQ(ReadText(files, config + "domains.cfg"), domainBytes);
}

TEST_F(RealFolder, DatabaseModeGoesThroughTheDbPeer) {
  const std::string config = root + "config\\";
  ForceDirectories(files, root + "lib");
  ASSERT_TRUE(files.Copy(PeerPath(), root + "lib\\db.dll", false));
  WriteText(files, root + "lib\\db-domains.txt", "stored.example\r\n");
  SettingsRecord record = DefaultSettingsRecord();
  record[settings::kAccountStorage] = settings::kStorageDatabase;
  SetText(record.data(), settings::kDatabaseConnection, "DSN=TovexMail");
  Scramble(record.data(), record.size(), 0);
  WriteText(files, config + "settings.cfg", std::string(reinterpret_cast<const char*>(record.data()), record.size()));

  ConfigurationStore store(platform);
  store.SetConfigurationFolder(config);
  store.SetRootFolder(root);
  store.LoadConfiguration();
  ASSERT_TRUE(store.DatabaseLoaded());
  EXPECT_EQ(store.DomainCount(), 1);
  EXPECT_EQ(store.DomainName(0), "stored.example");

  store.AddDomainName("first.example", 1);
  EXPECT_TRUE(store.CreateDomainInDatabase("first.example"));
  DomainRecord domain{};
  SetText(domain.data(), domain_record::kAdministrator, "boss@first.example");
  EXPECT_TRUE(store.SaveDomainRecord(domain, 1));
  store.MakeDomainPrimary(1);
  AccountRecord user{};
  SetText(user.data(), account::kUserName, "boss");
  int position = -1;
  EXPECT_TRUE(store.SaveAccount(store.DomainName(0), user, position, ""));
  EXPECT_EQ(position, 0);
  AccountCursor cursor;
  store.OpenAccounts("first.example", cursor);
  ASSERT_FALSE(store.NextAccount(cursor));
  EXPECT_EQ(GetText(cursor.record.data(), account::kUserName), "boss");
  EXPECT_TRUE(store.NextAccount(cursor));
  store.CloseAccounts(cursor);
  store.ReleaseDatabaseLibrary();
  EXPECT_FALSE(store.DatabaseLoaded());

  const std::string log = ReadText(files, root + "lib\\db-calls.log");
  const std::vector<std::string> expected = {
      "DBSetConnection DSN=TovexMail", "DBReloadConfig", "DBGetDomainCount", "DBGetDomains 96",
      "DBAddDomain first.example", "DBSetDomain first.example boss@first.example",
      "DBSetDomainIP first.example ", "DBSetDomainIP stored.example ", "DBMakeDomainPrimary first.example",
      "DBSaveUsers first.example boss -1 ", "DBGetUser first.example 0", "DBGetUser first.example 1",
      "DBDoneConnection"};
  std::vector<std::string> lines;
  for (auto& line : Split(log, "\r\n")) {
    if (!line.empty()) lines.push_back(line);
  }
  EXPECT_EQ(lines, expected);
  // The domain record is written to the file as well.
  EXPECT_EQ(ReadText(files, config + "first.example\\domain.cfg").size(), domain_record::kSize);
}

}  // namespace
}  // namespace tovex
