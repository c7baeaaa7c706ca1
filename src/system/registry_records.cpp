#include "system/registry_records.h"

#include <utility>

#include "common/context.h"
#include "common/paths.h"
#include "common/setup_log.h"
#include "common/version.h"
#include "localization/setup_strings.h"
#include "platform/files.h"
#include "platform/system.h"
#include "platform/user.h"

namespace tovex {

namespace {

// Keys of releases before the records moved under Software\Polvane.
constexpr const char* kOldServerKey = "\\Software\\Tovex";
constexpr const char* kOldWebMailKey = "\\Software\\PWEBMAIL";
constexpr const char* kNewServerKey = "\\Software\\Polvane\\Tovex Mail Server";
constexpr const char* kNewWebMailKey = "\\Software\\Polvane\\Polvane Web Mail";

constexpr const char* kRecordStrings[] = {"InstallDir", "Version", "Name", "Email", "Country", "Company"};

void LogFailure(SetupContext& context, const std::string& what, uint32_t code) {
  if (context.log == nullptr) return;
  context.log->Failure(what, code, context.platform.system != nullptr ? context.platform.system->ErrorText(code) : "");
}

void LogLine(SetupContext& context, const std::string& text) {
  if (context.log != nullptr) context.log->Write(text);
}

// One copy from an old key into its new key. Every step returns false on an
// error that ends the migration.
class RecordCopy {
 public:
  RecordCopy(SetupContext& context, const char* from, const char* to)
      : context_(context), registry_(*context.platform.registry), from_(from), to_(to) {}

  bool Open() {
    if (registry_.CreateKey(RegistryRoot::LocalMachine, to_)) return true;
    LogFailure(context_, std::string("Migration: creating HKLM") + to_, registry_.LastError());
    return false;
  }

  // A missing value is copied as an empty text. A value of another type is
  // left out: stopping there would lose every later value for good, because
  // the migration never runs again once Software\Polvane exists.
  bool String(const char* name) {
    RegistryValue value{RegistryValueType::String, {}};
    auto read = registry_.ReadValue(RegistryRoot::LocalMachine, from_, name);
    if (read) {
      if (read->type != RegistryValueType::String && read->type != RegistryValueType::ExpandString) {
        LogLine(context_, std::string("Migration: HKLM") + from_ + " value " + name + " is not a text; left out");
        return true;
      }
      value.data = read->data;
    } else if (registry_.LastError() != oserr::kFileNotFound) {
      LogFailure(context_, std::string("Migration: reading HKLM") + from_ + " value " + name, registry_.LastError());
      return false;
    }
    return Write(name, value);
  }

  // Binary values of any size are copied; an empty or missing one is not
  // written.
  bool Binary(const char* name, const char* newName) {
    auto read = registry_.ReadValue(RegistryRoot::LocalMachine, from_, name);
    if (!read) {
      if (registry_.LastError() == oserr::kFileNotFound) return true;
      LogFailure(context_, std::string("Migration: reading HKLM") + from_ + " value " + name, registry_.LastError());
      return false;
    }
    if (read->type != RegistryValueType::Binary && read->type != RegistryValueType::None) {
      LogLine(context_, std::string("Migration: HKLM") + from_ + " value " + name + " is not binary; left out");
      return true;
    }
    if (read->data.empty()) return true;
    return Write(newName, RegistryValue{RegistryValueType::Binary, read->data});
  }

  void DeleteOld() {
    // A failure leaves the old key behind, which is harmless: the migration
    // does not run again once the new key exists.
    if (registry_.DeleteKey(RegistryRoot::LocalMachine, from_)) {
      LogLine(context_, std::string("Migration: deleted HKLM") + from_);
    } else {
      LogFailure(context_, std::string("Migration: deleting HKLM") + from_, registry_.LastError());
    }
  }

 private:
  bool Write(const char* name, const RegistryValue& value) {
    if (registry_.WriteValue(RegistryRoot::LocalMachine, to_, name, value)) return true;
    LogFailure(context_, std::string("Migration: writing HKLM") + to_ + " value " + name, registry_.LastError());
    return false;
  }

  SetupContext& context_;
  Registry& registry_;
  const char* from_;
  const char* to_;
};

bool MigrateServerRecord(SetupContext& context, bool deleteOld) {
  RecordCopy copy(context, kOldServerKey, kNewServerKey);
  if (!copy.Open()) return false;
  for (const char* name : kRecordStrings) {
    if (!copy.String(name)) return false;
  }
  for (const char* name : {"DNSQuery", "Settings", "SMTPTest"}) {
    if (!copy.Binary(name, name)) return false;
  }
  if (!copy.Binary("TOVEXNotify", "Notify")) return false;
  LogLine(context, "Migration: copied HKLM\\Software\\Tovex");
  if (deleteOld) copy.DeleteOld();
  return true;
}

bool MigrateWebMailRecord(SetupContext& context, bool deleteOld) {
  RecordCopy copy(context, kOldWebMailKey, kNewWebMailKey);
  if (!copy.Open()) return false;
  for (const char* name : kRecordStrings) {
    if (!copy.String(name)) return false;
  }
  LogLine(context, "Migration: copied HKLM\\Software\\PWEBMAIL");
  if (deleteOld) copy.DeleteOld();
  return true;
}

struct FlagName {
  const char* name;
  bool ComponentFlags::*flag;
};

// The installation writes the flags in this order; a failing write stops the
// rest.
constexpr FlagName kFlagsWriteOrder[] = {
    {"NoInstallIM", &ComponentFlags::NoInstallIM},       {"NoInstallWebMail", &ComponentFlags::NoInstallWebMail},
    {"NoInstallCalendar", &ComponentFlags::NoInstallCalendar}, {"NoInstallAV", &ComponentFlags::NoInstallAV},
    {"NoInstallIAS", &ComponentFlags::NoInstallIAS},     {"NoInstallMail", &ComponentFlags::NoInstallMail},
    {"NoInstallControl", &ComponentFlags::NoInstallControl},
};

[[noreturn]] void RegistryWriteFatal(SetupContext& context, const std::string& valueName) {
  const SetupStrings& strings = *context.strings;
  context.platform.user->ShowMessage(strings.cRegistryError + WriteFailureText(valueName) + strings.cErrorText,
                                     strings.cError, MessageButtons::Ok, MessageIcon::Error);
  EndSetup(context, kExitFatal);
}

}  // namespace

MainFormRegistries::MainFormRegistries(SetupContext& context)
    : AdvancedRegistry(context, "AdvancedRegistry", TRegistryKey::hkCURRENT_USER, kShellFoldersArea, "Shell Folders"),
      AdvancedRegistryInstall(context, "AdvancedRegistryInstall", TRegistryKey::hkLOCAL_MACHINE, kUninstallArea,
                              "Tovex"),
      PathRegistry(context, "PathRegistry", TRegistryKey::hkLOCAL_MACHINE, kSoftwareArea, "Tovex") {}

void MigrateRegistryRecords(SetupContext& context, bool deleteOld) {
  Registry& registry = *context.platform.registry;
  if (registry.KeyExists(RegistryRoot::LocalMachine, kPolvaneArea)) return;  // migrated before
  if (registry.KeyExists(RegistryRoot::LocalMachine, kOldServerKey)) {
    if (!MigrateServerRecord(context, deleteOld)) return;
  }
  if (registry.KeyExists(RegistryRoot::LocalMachine, kOldWebMailKey)) MigrateWebMailRecord(context, deleteOld);
}

namespace {

TAdvancedRegistry MachineKey(SetupContext& context, const std::string& key) {
  const size_t slash = key.find_last_of('\\');
  const std::string area = slash == std::string::npos ? std::string() : key.substr(0, slash);
  const std::string section = slash == std::string::npos ? key : key.substr(slash + 1);
  return TAdvancedRegistry(context, "PathRegistry", TRegistryKey::hkLOCAL_MACHINE, area, section);
}

}  // namespace

std::string ReadMachineString(SetupContext& context, const std::string& key, const std::string& name) {
  return MachineKey(context, key).ReadString(name);
}

bool ReadMachineBool(SetupContext& context, const std::string& key, const std::string& name) {
  return MachineKey(context, key).ReadBool(name);
}

bool WriteComponentFlags(SetupContext& context, TAdvancedRegistry& pathRegistry) {
  // Always the installation record, whatever the component was pointed at.
  ScopedRegistryKey record(pathRegistry, kPolvaneArea, kServerRecordSection);
  for (const FlagName& entry : kFlagsWriteOrder) {
    if (pathRegistry.WriteBool(entry.name, context.flags.*entry.flag) != RegistryWrite::Written) return false;
  }
  return true;
}

void WriteInstallationRecord(SetupContext& context, MainFormRegistries& registries, const UserDetails& user) {
  const std::string dir = IncludeTrailingBackslash(context.InstallPath);
  const std::string program = ExtractFileName(context.platform.system->ProgramPath());
  const std::string version(SetupVersion);

  const std::pair<const char*, std::string> uninstallEntry[] = {
      {"DisplayName", context.strings->cName + " " + version},
      // Quoted: an unquoted path with blanks ("C:\Program Files\...") would
      // first be tried as "C:\Program.exe".
      {"UninstallString", "\"" + dir + program + "\" /UNINSTALL"},
      {"DisplayIcon", dir + "config.exe"},
      {"DisplayVersion", version},
      {"InstallLocation", dir},
      // Strings, not integers: this is how the record has always been kept.
      {"NoModify", "1"},
      {"NoRepair", "1"},
      {"Publisher", "Polvane"},
      {"URLInfoAbout", kMakerHost},
  };
  for (const auto& [name, value] : uninstallEntry) {
    if (registries.AdvancedRegistryInstall.WriteString(name, value) == RegistryWrite::ValueFailed)
      RegistryWriteFatal(context, name);
  }

  TAdvancedRegistry& path = registries.PathRegistry;
  ScopedRegistryKey record(path, kPolvaneArea, kServerRecordSection);
  const std::pair<const char*, std::string> installationRecord[] = {
      {"InstallDir", dir},          {"Name", user.Name},       {"Email", user.Email},
      {"Company", user.Company},    {"Country", user.Country}, {"Version", version},
  };
  for (const auto& [name, value] : installationRecord) {
    if (path.WriteString(name, value) == RegistryWrite::ValueFailed) RegistryWriteFatal(context, name);
  }
}

}  // namespace tovex
