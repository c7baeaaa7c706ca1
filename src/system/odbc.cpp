#include "system/odbc.h"

#include "common/context.h"
#include "common/setup_log.h"
#include "common/text.h"
#include "system/advanced_registry.h"

namespace tovex {

namespace {

constexpr const char* kDriversArea = "\\SOFTWARE\\ODBC\\ODBCINST.INI";
constexpr const char* kSourcesArea = "\\SOFTWARE\\ODBC\\ODBC.INI";
constexpr const char* kSourcesSection = "ODBC Data Sources";

TAdvancedRegistry OdbcRegistry(SetupContext& context, const std::string& area, const std::string& section) {
  return TAdvancedRegistry(context, "OdbcRegistry", TRegistryKey::hkLOCAL_MACHINE, area, section);
}

// Writes in order until one fails.
class DataSourceWriter {
 public:
  explicit DataSourceWriter(TAdvancedRegistry& registry) : registry_(registry) {}
  DataSourceWriter& Text(const char* name, const std::string& value) {
    if (ok_) ok_ = registry_.WriteString(name, value) == RegistryWrite::Written;
    return *this;
  }
  DataSourceWriter& Integer(const char* name, int32_t value) {
    if (ok_) ok_ = registry_.WriteInteger(name, value) == RegistryWrite::Written;
    return *this;
  }
  bool ok() const { return ok_; }

 private:
  TAdvancedRegistry& registry_;
  bool ok_ = true;
};

}  // namespace

bool DataSourceExists(SetupContext& context, const std::string& dataSourceName) {
  TAdvancedRegistry sources = OdbcRegistry(context, kSourcesArea, kSourcesSection);
  return !sources.ReadString(dataSourceName).empty();
}

void CreateAccessDataSource(SetupContext& context, const std::string& dataSourceName,
                            const std::string& databasePath) {
  TAdvancedRegistry drivers = OdbcRegistry(context, kDriversArea, "ODBC Drivers");
  std::string driverName;
  for (const std::string& name : drivers.GetValueNames()) {
    if (LowerCase(name).find("*.mdb") != std::string::npos) {
      driverName = name;
      break;
    }
  }
  if (driverName.empty()) {
    if (context.log != nullptr)
      context.log->Write("ODBC: no driver for *.mdb files; data source " + dataSourceName + " not created");
    return;
  }
  drivers.SetRegistrySection(driverName);
  const std::string driverLibrary = drivers.ReadString("Driver");

  TAdvancedRegistry sources = OdbcRegistry(context, kSourcesArea, kSourcesSection);
  if (sources.WriteString(dataSourceName, driverName) != RegistryWrite::Written) return;

  sources.SetRegistrySection(dataSourceName);
  DataSourceWriter settings(sources);
  settings.Text("DBQ", databasePath)
      .Text("Driver", driverLibrary)
      .Integer("DriverId", 25)
      .Text("FIL", "MS Access;")
      .Integer("SafeTransactions", 0)
      .Text("UID", "");
  if (!settings.ok()) return;

  sources.SetRegistrySection(dataSourceName + "\\Engines\\Jet");
  DataSourceWriter engine(sources);
  engine.Text("ImplicitCommitSync", "")
      .Integer("MaxBufferSize", 2048)
      .Integer("PageTimeout", 5)
      .Integer("Threads", 3)
      .Text("UserCommitSync", "Yes");
  if (engine.ok() && context.log != nullptr)
    context.log->Write("ODBC: data source " + dataSourceName + " uses " + driverName + " for " + databasePath);
}

}  // namespace tovex
