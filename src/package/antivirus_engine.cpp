#include "package/antivirus_engine.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/context.h"
#include "common/paths.h"
#include "common/setup_log.h"
#include "platform/files.h"
#include "platform/libraries.h"
#include "platform/system.h"

namespace tovex {

namespace {

struct EngineResult {
  std::optional<int32_t> result;  // nullopt: library or entry missing
  uint32_t status = 0;
};

void Log(SetupContext& context, const std::string& line) {
  if (context.log != nullptr) context.log->Write(line);
}

// Loads the library from its folder with that folder as the current
// directory, calls one entry whose last argument is a 32-bit status word (set
// to 0 before the call), unloads it and restores the current directory.
EngineResult CallEngine(SetupContext& context, const std::string& libraryFolder, const char* entry,
                        std::vector<LibraryArgument> arguments) {
  EngineResult outcome;
  Libraries* libraries = context.platform.libraries;
  Files& files = *context.platform.files;
  const std::string folder = IncludeTrailingBackslash(libraryFolder);
  const std::string path = folder + kEngineSetupLibrary;
  if (libraries == nullptr) {
    Log(context, "No library loading here; " + path + " is not called");
    return outcome;
  }

  const std::string savedFolder = files.CurrentFolder();
  files.SetCurrentFolder(folder);
  struct RestoreFolder {
    Files& files;
    const std::string& folder;
    ~RestoreFolder() { files.SetCurrentFolder(folder); }
  } restore{files, savedFolder};

  std::unique_ptr<LoadedLibrary> library = libraries->Load(path);
  if (!library) {
    const uint32_t code = libraries->LastError();
    if (context.log != nullptr) {
      context.log->Failure("Loading " + path, code, context.platform.system->ErrorText(code));
    }
    return outcome;
  }
  arguments.push_back(LibraryArgument::Buffer(std::string(4, '\0')));
  std::vector<std::string> outputs;
  outcome.result = library->Call(entry, arguments, &outputs);
  if (!outputs.empty() && outputs.back().size() >= 4) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(outputs.back().data());
    outcome.status = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
  }
  char status[16];
  std::snprintf(status, sizeof status, "0x%08X", outcome.status);
  Log(context, std::string(entry) + " of " + path + ": " +
                   (outcome.result ? "returned " + std::to_string(*outcome.result) + ", status " + status
                                   : std::string("entry missing")));
  return outcome;
}

}  // namespace

bool RunEngineInstaller(SetupContext& context, const std::string& libraryFolder, const std::string& targetFolder) {
  const std::string folder = IncludeTrailingBackslash(libraryFolder);
  const EngineResult outcome =
      CallEngine(context, folder, setiface::kInstallProgram,
                 {LibraryArgument::Text(kEngineProduct), LibraryArgument::Text(folder + "avastoem.exe"),
                  LibraryArgument::Text(ExcludeTrailingBackslash(targetFolder)),
                  LibraryArgument::Text("/minicore /noreboot /forceinstall"), LibraryArgument::Int(2)});
  return outcome.result && *outcome.result == 0;
}

bool RunEngineFileUpdate(SetupContext& context, const std::string& libraryFolder) {
  const EngineResult outcome =
      CallEngine(context, libraryFolder, setiface::kUpdateFiles,
                 {LibraryArgument::Text(kEngineProduct), LibraryArgument::Text("/overwrite"), LibraryArgument::Int(2)});
  return outcome.result && *outcome.result == 0 && outcome.status == kEngineUpdateDone;
}

bool RunEngineUninstaller(SetupContext& context, const std::string& libraryFolder) {
  const EngineResult outcome =
      CallEngine(context, libraryFolder, setiface::kUninstallProgram,
                 {LibraryArgument::Text(kEngineProduct), LibraryArgument::Null(), LibraryArgument::Int(2)});
  return outcome.result && *outcome.result == 0 && outcome.status == kEngineUpdateDone;
}

}  // namespace tovex
