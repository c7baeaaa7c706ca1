// Start-up of the configuration store: the server's defaults, the root
// folder and the server path file.

#include "common/paths.h"
#include "common/text.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "upgrade/config_store.h"

namespace tovex {

namespace {

constexpr uint64_t kMaxPathFile = 1 << 20;

// Cuts "#..." and "// ..." to the end of the line and "/* ... */" blocks,
// which may run over several lines.
std::string StripComments(const std::string& line, bool& inBlock) {
  std::string kept;
  size_t at = 0;
  while (at < line.size()) {
    if (inBlock) {
      const size_t end = line.find("*/", at);
      if (end == std::string::npos) return kept;
      at = end + 2;
      inBlock = false;
      continue;
    }
    if (line[at] == '#' || line.compare(at, 3, "// ") == 0) break;
    if (line.compare(at, 2, "/*") == 0) {
      inBlock = true;
      at += 2;
      continue;
    }
    kept += line[at++];
  }
  return kept;
}

}  // namespace

void ConfigurationStore::InitConfigurationStore(const std::string& rootFolder) {
  settings_ = DefaultSettingsRecord();
  if (platform_.clock != nullptr) SetDouble(settings_.data(), settings::kInstallDate, DayNumber(platform_.clock->Now()));
  settings_[settings::kPathSeparator] = '\\';

  rootFolder_ = IncludeTrailingBackslash(rootFolder);
  configFolder_ = rootFolder_ + "config\\";
  webFolder_ = rootFolder_ + "html\\";
  SetSettingsText(settings::kTempFolder, rootFolder_ + "temp\\");
  SetSettingsText(settings::kMailFolder, rootFolder_ + "mail\\");
  SetSettingsText(settings::kLogFolder, rootFolder_ + "logs\\");
  // Only an installation's own folder has its path file read, and an old
  // path.cfg renamed: a folder that holds no configuration is left alone.
  if (platform_.files != nullptr && platform_.files->FolderExists(configFolder_)) ReadPathFile();
}

// path.dat in the root folder (formerly path.cfg) names the server's
// folders, one per line, counted from 0 over every line: 0 the
// configuration folder, 1 the web folder, 9 "webhosts|..." and 10 the host
// name. The other lines are the server's.
void ConfigurationStore::ReadPathFile() {
  if (platform_.files == nullptr) return;
  const std::string oldName = rootFolder_ + "path.cfg";
  const std::string name = rootFolder_ + "path.dat";
  // When both exist the move fails and path.cfg stays, so nothing is lost.
  if (platform_.files->FileExists(oldName)) platform_.files->Move(oldName, name);
  auto content = ReadWhole(name, kMaxPathFile);
  if (!content) return;
  bool inBlock = false;
  const auto lines = Split(*content, "\n");
  for (size_t number = 0; number < lines.size(); ++number) {
    std::string line = lines[number];
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string value = Trim(StripComments(line, inBlock));
    if (value.empty()) continue;
    switch (number) {
      case 0:
        configFolder_ = IncludeTrailingBackslash(value);
        break;
      case 1:
        webFolder_ = IncludeTrailingBackslash(value);
        break;
      case 9:
        webHostOverride_ = Trim(value.substr(0, value.find('|')));
        break;
      case 10:
        hostNameOverride_ = value;
        break;
      default:
        break;
    }
  }
}

}  // namespace tovex
