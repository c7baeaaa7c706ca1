#pragma once
// The server's root folder that the command-line actions and the
// configuration store's start-up work on.

#include <string>

namespace tovex {

struct SetupContext;

// The folder of -InstallDir=, made absolute and free of "." and ".." parts,
// when it holds an installation (its "config\" folder exists); otherwise,
// and without the option, the folder of the running program. A folder the
// option names that holds no installation is logged and not used, so that a
// mistyped or crafted option never points the store or the removal at
// another folder of the machine. Ends with a backslash.
std::string ServerRootFolder(SetupContext& context);

}  // namespace tovex
