#pragma once
// The configuration inspector's report: what a configuration folder holds,
// as JSON. The settings fields that Setup uses (named, with their offsets),
// the domain table with bindings, each domain's administrator address and
// reserved names, and each account's type, aliases, user name and mailbox
// path. Passwords are never shown, only whether one is set. Files are shown
// as stored: no load defaults are applied, and db.dll is never loaded.

#include <string>

namespace tovex {

class Files;
class System;
class ConfigurationStore;

// The report of the folder; system (optional) converts ANSI texts to UTF-8.
std::string ConfigurationReport(Files& files, System* system, const std::string& configFolder);

// Writes a small configuration into the folder, as the first-domain step
// would: settings, two domains (the second bound to an address), a domain
// record and an administrator with an enciphered password. For the tool's
// "sample" command, its tests and demonstrations.
bool WriteSampleConfiguration(Files& files, const std::string& configFolder);

}  // namespace tovex
