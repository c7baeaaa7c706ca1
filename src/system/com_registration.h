#pragma once
// Self-registration of the server's in-process COM libraries (api.dll and
// polvanecom.dll) through their standard entries. Silent: callers ignore the
// results; the setup log records each call and its outcome.
//
// Callers: the service installation registers InstallPath + each library
// after creating the services (RegisterServerComLibraries); the
// uninstallation unregisters them before the files are deleted.

#include <string>

namespace tovex {

struct SetupContext;

inline constexpr const char* kComLibraries[] = {"api.dll", "polvanecom.dll"};

// Loads the library by its full path, calls the entry (no arguments, a 32-bit
// status) and unloads it. True exactly when the library loaded, the entry was
// found and it returned 0.
bool CallLibraryEntry(SetupContext& context, const std::string& libraryPath, const std::string& entryName);

bool RegisterComServer(SetupContext& context, const std::string& libraryPath);    // "DllRegisterServer"
bool UnregisterComServer(SetupContext& context, const std::string& libraryPath);  // "DllUnregisterServer"

// Registers (or unregisters) api.dll and then polvanecom.dll of the folder.
void RegisterServerComLibraries(SetupContext& context, const std::string& folder);
void UnregisterServerComLibraries(SetupContext& context, const std::string& folder);

}  // namespace tovex
