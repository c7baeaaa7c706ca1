#pragma once
// System ODBC data sources for the server's Access databases, registered by
// writing the ODBC registry records directly (HKLM\SOFTWARE\ODBC) with
// whichever installed driver handles *.mdb files. An existing data source is
// never changed, so one the administrator moved elsewhere survives upgrades.
//
// Caller: the component installation, right after each database file is in
// place:  if (!DataSourceExists(c, kSpamChallengeDataSource))
//           CreateAccessDataSource(c, kSpamChallengeDataSource, dir + "spam\\challenge.mdb");

#include <string>

namespace tovex {

struct SetupContext;

inline constexpr const char* kSpamChallengeDataSource = "PolvaneSpamChallenge";
inline constexpr const char* kCalendarDataSource = "PolvaneCalendar";

// True when "ODBC Data Sources" holds a non-empty text of that name.
bool DataSourceExists(SetupContext& context, const std::string& dataSourceName);

// Writes the data source with the first driver whose name contains "*.mdb"
// (ignoring case). Silent: with no such driver nothing is written, and the
// first failing write ends it, leaving what was written (setup log only).
void CreateAccessDataSource(SetupContext& context, const std::string& dataSourceName,
                            const std::string& databasePath);

}  // namespace tovex
