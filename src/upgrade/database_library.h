#pragma once
// The server's database library db.dll, through the libraries port. Its
// entries, as this store calls them (every one returns a 32-bit integer):
//
//   DBSetConnection(const char* connection)        not 0 on success
//   DBReloadConfig()                               not 0 on success
//   DBGetDomainCount()                             count, negative on failure
//   DBGetDomains(char* table, int capacityBytes)   entries written (96 bytes
//                                                  each), negative on failure
//   DBAddDomain(const char* name)                  not 0 on success
//   DBSetDomain(const char* name, const char* record1169)    not 0 on success
//   DBMakeDomainPrimary(const char* name)          not 0 on success
//   DBSetDomainIP(const char* name, const char* binding)     not 0 on success
//   DBSaveUsers(const char* domain, const char* record2848, int position,
//               const char* oldAlias)              record number, negative on
//                                                  failure; position -1 adds
//   DBGetUser(const char* domain, int position, char* record2848)
//                                                  1 filled, 0 no such
//                                                  account, negative failure
//   DBDoneConnection()
//
// A missing entry counts as a failing call: the store then keeps its file
// result.

#include <memory>
#include <optional>
#include <string>

#include "platform/libraries.h"
#include "upgrade/settings_layout.h"

namespace tovex {

class DatabaseLibrary {
 public:
  ~DatabaseLibrary() { Release(); }

  bool Loaded() const { return library_ != nullptr; }
  void Attach(std::unique_ptr<LoadedLibrary> library) { library_ = std::move(library); }
  // Marks the library unloaded, ends its connection and unloads it.
  void Release();

  bool SetConnection(const std::string& connection);
  bool ReloadConfig();
  std::optional<int32_t> DomainCount();
  // The table bytes of up to `entries` entries and the number filled.
  std::optional<std::pair<std::string, int32_t>> Domains(size_t entries);
  bool AddDomain(const std::string& name);
  bool SetDomain(const std::string& name, const DomainRecord& record);
  bool MakeDomainPrimary(const std::string& name);
  bool SetDomainIP(const std::string& name, const std::string& binding);
  std::optional<int32_t> SaveUsers(const std::string& domain, const AccountRecord& record, int32_t position,
                                   const std::string& oldAlias);
  // true when an account was filled, false at the end, nullopt on failure.
  std::optional<bool> GetUser(const std::string& domain, int32_t position, AccountRecord& record);

 private:
  std::optional<int32_t> Call(const char* entry, const std::vector<LibraryArgument>& arguments,
                              std::vector<std::string>* outputs = nullptr);
  bool Succeeds(const char* entry, const std::vector<LibraryArgument>& arguments);
  std::unique_ptr<LoadedLibrary> library_;
};

}  // namespace tovex
