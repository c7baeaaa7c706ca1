#include "upgrade/database_library.h"

#include <algorithm>
#include <cstring>

namespace tovex {

namespace {
std::string AsBytes(const uint8_t* data, size_t size) { return std::string(reinterpret_cast<const char*>(data), size); }
}  // namespace

void DatabaseLibrary::Release() {
  if (!library_) return;
  // Marked unloaded first, so nothing reaches the library while it ends.
  std::unique_ptr<LoadedLibrary> library = std::move(library_);
  library->Call("DBDoneConnection", {});
}

std::optional<int32_t> DatabaseLibrary::Call(const char* entry, const std::vector<LibraryArgument>& arguments,
                                             std::vector<std::string>* outputs) {
  if (!library_) return std::nullopt;
  return library_->Call(entry, arguments, outputs);
}

bool DatabaseLibrary::Succeeds(const char* entry, const std::vector<LibraryArgument>& arguments) {
  auto result = Call(entry, arguments);
  return result && *result != 0;
}

bool DatabaseLibrary::SetConnection(const std::string& connection) {
  return Succeeds("DBSetConnection", {LibraryArgument::Text(connection)});
}

bool DatabaseLibrary::ReloadConfig() { return Succeeds("DBReloadConfig", {}); }

std::optional<int32_t> DatabaseLibrary::DomainCount() {
  auto result = Call("DBGetDomainCount", {});
  if (!result || *result < 0) return std::nullopt;
  return result;
}

std::optional<std::pair<std::string, int32_t>> DatabaseLibrary::Domains(size_t entries) {
  const size_t capacity = entries * domain_entry::kSize;
  std::vector<std::string> outputs;
  auto result = Call("DBGetDomains",
                     {LibraryArgument::Buffer({}, capacity), LibraryArgument::Int(static_cast<int32_t>(capacity))},
                     &outputs);
  if (!result || *result < 0 || outputs.size() != 1) return std::nullopt;
  std::string table = std::move(outputs[0]);
  table.resize(capacity, '\0');
  return std::make_pair(std::move(table), std::min<int32_t>(*result, static_cast<int32_t>(entries)));
}

bool DatabaseLibrary::AddDomain(const std::string& name) { return Succeeds("DBAddDomain", {LibraryArgument::Text(name)}); }

bool DatabaseLibrary::SetDomain(const std::string& name, const DomainRecord& record) {
  return Succeeds("DBSetDomain",
                  {LibraryArgument::Text(name), LibraryArgument::Buffer(AsBytes(record.data(), record.size()))});
}

bool DatabaseLibrary::MakeDomainPrimary(const std::string& name) {
  return Succeeds("DBMakeDomainPrimary", {LibraryArgument::Text(name)});
}

bool DatabaseLibrary::SetDomainIP(const std::string& name, const std::string& binding) {
  return Succeeds("DBSetDomainIP", {LibraryArgument::Text(name), LibraryArgument::Text(binding)});
}

std::optional<int32_t> DatabaseLibrary::SaveUsers(const std::string& domain, const AccountRecord& record,
                                                  int32_t position, const std::string& oldAlias) {
  auto result = Call("DBSaveUsers", {LibraryArgument::Text(domain), LibraryArgument::Buffer(AsBytes(record.data(), record.size())),
                                     LibraryArgument::Int(position), LibraryArgument::Text(oldAlias)});
  if (!result || *result < 0) return std::nullopt;
  return result;
}

std::optional<bool> DatabaseLibrary::GetUser(const std::string& domain, int32_t position, AccountRecord& record) {
  std::vector<std::string> outputs;
  auto result = Call("DBGetUser",
                     {LibraryArgument::Text(domain), LibraryArgument::Int(position),
                      LibraryArgument::Buffer({}, record.size())},
                     &outputs);
  if (!result || *result < 0 || outputs.size() != 1) return std::nullopt;
  if (*result == 0) return false;
  record.fill(0);
  std::memcpy(record.data(), outputs[0].data(), std::min(outputs[0].size(), record.size()));
  return true;
}

}  // namespace tovex
