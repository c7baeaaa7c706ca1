#include "system/com_registration.h"

#include <cstdio>

#include "common/context.h"
#include "common/paths.h"
#include "common/setup_log.h"
#include "platform/libraries.h"
#include "platform/system.h"

namespace tovex {

namespace {

std::string Hex(int32_t status) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(status));
  return text;
}

}  // namespace

bool CallLibraryEntry(SetupContext& context, const std::string& libraryPath, const std::string& entryName) {
  Libraries& libraries = *context.platform.libraries;
  std::unique_ptr<LoadedLibrary> library = libraries.Load(libraryPath);
  if (!library) {
    if (context.log != nullptr) {
      const uint32_t code = libraries.LastError();
      context.log->Failure("Loading " + libraryPath + " for " + entryName, code,
                           context.platform.system != nullptr ? context.platform.system->ErrorText(code) : "");
    }
    return false;
  }
  std::optional<int32_t> status = library->Call(entryName, {});
  if (context.log != nullptr) {
    context.log->Write(status ? entryName + " of " + libraryPath + " returned " + Hex(*status)
                              : libraryPath + " has no entry " + entryName);
  }
  return status && *status == 0;
}

bool RegisterComServer(SetupContext& context, const std::string& libraryPath) {
  return CallLibraryEntry(context, libraryPath, "DllRegisterServer");
}

bool UnregisterComServer(SetupContext& context, const std::string& libraryPath) {
  return CallLibraryEntry(context, libraryPath, "DllUnregisterServer");
}

void RegisterServerComLibraries(SetupContext& context, const std::string& folder) {
  for (const char* library : kComLibraries) RegisterComServer(context, JoinPath(folder, library));
}

void UnregisterServerComLibraries(SetupContext& context, const std::string& folder) {
  for (const char* library : kComLibraries) UnregisterComServer(context, JoinPath(folder, library));
}

}  // namespace tovex
