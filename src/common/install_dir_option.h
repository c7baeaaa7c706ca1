#pragma once
// The command-line option that names the server's root folder:
// "-InstallDir=folder", with one or two "-" or "/" before the name, the name
// in any case.

#include <optional>
#include <string>
#include <vector>

namespace tovex {

// The folder as written; nullopt when the option is absent or empty.
std::optional<std::string> InstallDirOption(const std::vector<std::string>& parameters);

}  // namespace tovex
