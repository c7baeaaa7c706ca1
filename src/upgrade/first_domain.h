#pragma once
// The primary domain and its administrator, made from the answers of the
// configuration wizard after a fresh installation: the host name goes into
// the settings record, the domain joins the domain table and becomes its
// first entry, and the administrator's mailbox account is appended to the
// domain's users.cfg. Everything goes through the configuration store, in
// the server's own layouts, and nothing is shown to the user.

#include <cstdint>
#include <string>
#include <string_view>

#include "upgrade/settings_layout.h"

namespace tovex {

struct SetupContext;
class ConfigurationStore;

// The wizard's edits exactly as typed; ApplyWizardResult trims and cuts them.
struct WizardAnswers {
  std::string hostName;
  std::string domain;
  std::string userName;
  std::string password;
};

// How much of each answer is kept: the widths of the settings record's host
// name and of the domain and account records' fields.
inline constexpr size_t kMaxHostName = 127;
inline constexpr size_t kMaxDomain = 255;
inline constexpr size_t kMaxUserName = 255;
inline constexpr size_t kMaxPassword = 127;

// Stored in every domain Setup creates: account names that only the
// administrator may hand out.
inline constexpr std::string_view kReservedAccountNames =
    "postmaster;admin;administrator;supervisor;hostmaster;webmaster;abuse";

// The domain name becomes a folder below config\ and the first part of the
// administrator's mailbox path, and the user name the next part of that
// path: text that would lead out of those folders is refused. A domain may
// hold no "\", "/", ":", control character or "..". A user name may hold no
// "\", "/" or ".."; other characters a folder cannot carry ("?", "*"...)
// are only cleaned from the mailbox path.
bool IsSafeDomainName(std::string_view domain);
bool IsSafeUserName(std::string_view userName);

// The mailbox path without the characters the settings' file-name cleaning
// mode removes: mode 0 every double quote, asterisk, slash, less-than and
// greater-than sign, question mark and vertical bar; mode 1 the same except
// the slash; other modes nothing.
std::string CleanMailboxPath(std::string_view path, uint8_t cleaningMode);

// The records of a new domain and of its administrator (inputs already
// trimmed and cut). Every byte not named by the layout is 0.
DomainRecord NewDomainRecord(const std::string& administratorAddress);
AccountRecord NewAdministratorAccount(const std::string& domain, const std::string& userName,
                                      const std::string& password, uint8_t cleaningMode);

// Loads the configuration in context.InstallPath + "config\" and, unless the
// domain exists already (also by the server's mapping rules), stores the
// host name, creates the domain as the primary one, saves the configuration
// (and tells the running modules to reload when that worked) and appends the
// administrator's account. The database library is released in every case.
void ApplyWizardResult(SetupContext& context, ConfigurationStore& store, const WizardAnswers& answers);

}  // namespace tovex
