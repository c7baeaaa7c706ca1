#include "common/server_root.h"

#include "common/context.h"
#include "common/paths.h"
#include "common/setup_log.h"
#include "platform/files.h"
#include "platform/system.h"

namespace tovex {

std::string ServerRootFolder(SetupContext& context) {
  const std::string programFolder = IncludeTrailingBackslash(ExtractFilePath(context.platform.system->ProgramPath()));
  const std::optional<std::string>& option = context.commandLine.installDir;
  if (!option) return programFolder;
  Files& files = *context.platform.files;
  const std::optional<std::string> folder = AbsoluteFolder(*option, files.CurrentFolder());
  if (folder && files.FolderExists(*folder + "config\\")) return *folder;
  if (context.log != nullptr) {
    context.log->Write("-InstallDir=" + *option + " names no installation (no configuration folder there); " +
                       programFolder + " is used");
  }
  return programFolder;
}

}  // namespace tovex
