#pragma once
// The demonstration domain that "demo.dat" carries into a fresh
// installation's configuration: a few mailboxes that work for 30 days from
// the day of installation, so that a new administrator can try the server
// before creating a real domain.

#include <cstddef>
#include <string>

namespace tovex {

class ConfigurationStore;

// The domain of "demo.dat" (a name reserved for examples, so it can never
// belong to anyone's real mail).
inline constexpr const char* kDemoDomain = "demo.example";
inline constexpr double kDemoDays = 30.0;

// Fields of the account record (users.cfg, as the store reads it) that make
// an account expire.
namespace account_expiry {
inline constexpr size_t kExpires = 645;  // byte: 1 when the account has an end date
inline constexpr size_t kDate = 648;     // double: the end date, days since 1899-12-30
}  // namespace account_expiry

// Writes the demonstration domain into the store's configuration folder:
// domains.cfg with the domain, its domain.cfg and its users.cfg. The
// distribution's build packs the result as "demo.dat". False when a file
// could not be written.
bool WriteDemoDomain(ConfigurationStore& store, const std::string& domain = kDemoDomain);

// Gives every mailbox account (record type 0) of the demonstration domain
// the end date today + 30 days, where today is the whole day of `now`. The
// store must be loaded with the installation's configuration folder. Returns
// how many accounts were written back.
int ActivateDemoAccounts(ConfigurationStore& store, double now);

}  // namespace tovex
