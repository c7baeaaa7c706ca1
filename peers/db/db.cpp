// Stand-in for the server's database library. Entries and their data are
// those the configuration store calls (see src/upgrade/database_library.h);
// every call appends one line to db-calls.log in the library's folder.
// Domains live in db-domains.txt (one entry per line, primary first);
// accounts in db-users-<domain>.bin (2848-byte records). A file named
// db-fail.txt beside the library makes every entry fail, as a lost
// connection would.

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr size_t kEntrySize = 96;
constexpr size_t kDomainRecordSize = 1169;
constexpr size_t kAccountSize = 2848;

HMODULE self = nullptr;

std::string Folder() {
  char path[MAX_PATH + 1] = {};
  ::GetModuleFileNameA(self, path, MAX_PATH);
  std::string folder(path);
  return folder.substr(0, folder.find_last_of('\\') + 1);
}

void Record(const std::string& line) {
  std::ofstream log(Folder() + "db-calls.log", std::ios::app | std::ios::binary);
  log << line << "\r\n";
}

bool Failing() { return ::GetFileAttributesA((Folder() + "db-fail.txt").c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::string> Domains() {
  std::vector<std::string> domains;
  std::ifstream in(Folder() + "db-domains.txt", std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) domains.push_back(line);
  }
  return domains;
}

void StoreDomains(const std::vector<std::string>& domains) {
  std::ofstream out(Folder() + "db-domains.txt", std::ios::binary | std::ios::trunc);
  for (const auto& domain : domains) out << domain << "\r\n";
}

std::string Text(const char* text) { return text != nullptr ? std::string(text) : std::string("(null)"); }

std::string UsersFile(const std::string& domain) { return Folder() + "db-users-" + domain + ".bin"; }

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) self = instance;
  return TRUE;
}

__declspec(dllexport) int DBSetConnection(const char* connection) {
  Record("DBSetConnection " + Text(connection));
  return Failing() ? 0 : 1;
}

__declspec(dllexport) int DBReloadConfig() {
  Record("DBReloadConfig");
  return Failing() ? 0 : 1;
}

__declspec(dllexport) int DBGetDomainCount() {
  Record("DBGetDomainCount");
  return Failing() ? -1 : static_cast<int>(Domains().size());
}

__declspec(dllexport) int DBGetDomains(unsigned char* buffer, int capacity) {
  Record("DBGetDomains " + std::to_string(capacity));
  if (Failing() || buffer == nullptr || capacity < 0) return -1;
  const auto domains = Domains();
  size_t written = 0;
  for (const auto& domain : domains) {
    if ((written + 1) * kEntrySize > static_cast<size_t>(capacity)) break;
    unsigned char* entry = buffer + written * kEntrySize;
    std::memset(entry, 0, kEntrySize);
    const size_t length = domain.size() < 94 ? domain.size() : 94;
    entry[0] = static_cast<unsigned char>(length);
    std::memcpy(entry + 1, domain.data(), length);
    ++written;
  }
  return static_cast<int>(written);
}

__declspec(dllexport) int DBAddDomain(const char* name) {
  Record("DBAddDomain " + Text(name));
  if (Failing() || name == nullptr) return 0;
  auto domains = Domains();
  domains.push_back(name);
  StoreDomains(domains);
  return 1;
}

__declspec(dllexport) int DBSetDomain(const char* name, const unsigned char* record) {
  // The record's administrator address (offset 384) shows that the bytes
  // arrived whole.
  std::string administrator;
  if (record != nullptr) administrator.assign(reinterpret_cast<const char*>(record) + 385, record[384]);
  Record("DBSetDomain " + Text(name) + " " + administrator);
  (void)kDomainRecordSize;
  return Failing() ? 0 : 1;
}

__declspec(dllexport) int DBMakeDomainPrimary(const char* name) {
  Record("DBMakeDomainPrimary " + Text(name));
  if (Failing() || name == nullptr) return 0;
  auto domains = Domains();
  for (size_t i = 0; i < domains.size(); ++i) {
    if (domains[i] == name) {
      std::swap(domains[0], domains[i]);
      StoreDomains(domains);
      return 1;
    }
  }
  return 0;
}

__declspec(dllexport) int DBSetDomainIP(const char* name, const char* address) {
  Record("DBSetDomainIP " + Text(name) + " " + Text(address));
  return Failing() ? 0 : 1;
}

__declspec(dllexport) int DBSaveUsers(const char* domain, const unsigned char* record, int position,
                                      const char* oldAlias) {
  std::string user;
  if (record != nullptr) user.assign(reinterpret_cast<const char*>(record) + 517, record[516]);
  Record("DBSaveUsers " + Text(domain) + " " + user + " " + std::to_string(position) + " " + Text(oldAlias));
  if (Failing() || domain == nullptr || record == nullptr) return -1;
  std::string users = ReadAll(UsersFile(domain));
  const int count = static_cast<int>(users.size() / kAccountSize);
  if (position < 0 || position >= count) {
    users.append(reinterpret_cast<const char*>(record), kAccountSize);
    position = count;
  } else {
    users.replace(static_cast<size_t>(position) * kAccountSize, kAccountSize, reinterpret_cast<const char*>(record),
                  kAccountSize);
  }
  std::ofstream out(UsersFile(domain), std::ios::binary | std::ios::trunc);
  out.write(users.data(), static_cast<std::streamsize>(users.size()));
  return position;
}

__declspec(dllexport) int DBGetUser(const char* domain, int position, unsigned char* record) {
  Record("DBGetUser " + Text(domain) + " " + std::to_string(position));
  if (Failing() || domain == nullptr || record == nullptr || position < 0) return -1;
  const std::string users = ReadAll(UsersFile(domain));
  if ((static_cast<size_t>(position) + 1) * kAccountSize > users.size()) return 0;
  std::memcpy(record, users.data() + static_cast<size_t>(position) * kAccountSize, kAccountSize);
  return 1;
}

__declspec(dllexport) int DBDoneConnection() {
  Record("DBDoneConnection");
  return 1;
}

}  // extern "C"
