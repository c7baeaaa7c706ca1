#include "setup/payload_check.h"

#include <map>
#include <string>

#include "common/context.h"
#include "common/folders.h"
#include "common/paths.h"
#include "common/setup_log.h"
#include "common/text.h"
#include "localization/setup_strings.h"
#include "package/archive_survey.h"
#include "package/component_files.h"
#include "package/extract_archive.h"
#include "platform/files.h"
#include "platform/system.h"
#include "platform/user.h"

namespace tovex {

namespace {

void Log(SetupContext& context, const std::string& line) {
  if (context.log != nullptr) context.log->Write(line);
}

// The error box, and the extraction folder gone, before Setup ends.
[[noreturn]] void Fail(SetupContext& context, const std::string& extractionFolder, const std::string& why,
                       const std::string& text) {
  Log(context, "Fatal: " + why);
  if (!DeleteTree(*context.platform.files, extractionFolder, "", true) &&
      context.platform.files->FolderExists(extractionFolder)) {
    Log(context, "The extraction folder " + extractionFolder + " could not be removed completely");
  }
  context.platform.user->ShowMessage(text, context.strings->cError, MessageButtons::Ok, MessageIcon::Error, true);
  EndSetup(context, kExitFatal);
}

// The deepest folder of the path that exists; the free space is asked there.
std::string NearestExistingFolder(Files& files, const std::string& path) {
  std::string folder = IncludeTrailingBackslash(path);
  while (!files.FolderExists(folder)) {
    const std::string parent = ExtractFilePath(ExcludeTrailingBackslash(folder));
    if (parent.empty() || parent == folder) break;
    folder = parent;
  }
  return folder;
}

struct VolumeNeed {
  std::string volume;  // as the message names it
  std::string probe;   // an existing folder on it
  uint64_t bytes = 0;
};

class SpaceNeeds {
 public:
  explicit SpaceNeeds(Files& files) : files_(files) {}

  void Add(const std::string& folder, uint64_t bytes) {
    const std::string volume = VolumeOf(folder);
    VolumeNeed& need = needs_[UpperCase(volume)];
    if (need.volume.empty()) need = VolumeNeed{volume, NearestExistingFolder(files_, folder), 0};
    need.bytes += bytes;
  }

  // The first volume without room for its bytes and the margin; nullptr when
  // every one has room (or cannot tell, which is logged).
  const VolumeNeed* Short(SetupContext& context) {
    for (auto& [key, need] : needs_) {
      need.bytes += need.bytes / kSpaceMarginDivisor + kSpaceMarginBytes;
      const std::optional<uint64_t> free = files_.FreeSpace(need.probe);
      if (!free) {
        const uint32_t code = files_.LastError();
        if (context.log != nullptr) {
          context.log->Failure("Asking the free space of " + need.volume, code,
                               context.platform.system->ErrorText(code));
        }
        continue;
      }
      Log(context, "Space on " + need.volume + ": " + std::to_string(*free) + " bytes free, " +
                       std::to_string(need.bytes) + " needed");
      if (*free < need.bytes) return &need;
    }
    return nullptr;
  }

 private:
  Files& files_;
  std::map<std::string, VolumeNeed> needs_;
};

}  // namespace

std::string VolumeOf(const std::string& path) {
  if (path.size() >= 2 && path[1] == ':') return UpperCase(path.substr(0, 2)) + "\\";
  if (path.starts_with("\\\\")) {
    const size_t server = path.find('\\', 2);
    const size_t share = server == std::string::npos ? server : path.find('\\', server + 1);
    return share == std::string::npos ? IncludeTrailingBackslash(path) : path.substr(0, share + 1);
  }
  return IncludeTrailingBackslash(path);
}

void PreparePayload(SetupContext& context, const std::string& extractionFolder, bool isUpgrade) {
  Files& files = *context.platform.files;
  const SetupStrings& s = *context.strings;
  DeleteTree(files, extractionFolder, "", true);

  const std::string package = context.SetupFolder + "setup.Dat";
  SpaceNeeds space(files);
  auto survey = [&](const std::string& archive, bool viaExtractionFolder) {
    const ArchiveSurvey found = SurveyArchive(context, archive);
    if (!found.whole) Fail(context, extractionFolder, archive + " is missing or damaged", s.cErrorDataFile);
    Log(context, "Checked " + archive + ": " + std::to_string(found.unpackedBytes) + " bytes to unpack");
    space.Add(context.InstallPath, found.unpackedBytes);
    if (viaExtractionFolder) space.Add(extractionFolder, found.unpackedBytes);
  };
  survey(package, true);
  for (const ComponentArchive& archive : ComponentArchives(context)) {
    survey(archive.path, archive.unpackedInExtractionFolder);
  }
  const std::string defaults = context.SetupFolder + "tovex.mcb";
  if (!isUpgrade && files.FileExists(defaults)) survey(defaults, false);

  if (const VolumeNeed* shortOf = space.Short(context)) {
    Fail(context, extractionFolder, "not enough space on " + shortOf->volume,
         FormatText(s.cErrorDiskSpace, {shortOf->volume, std::to_string(shortOf->bytes)}));
  }

  if (!ExtractArchive(context, package, extractionFolder, true, "")) {
    Fail(context, extractionFolder, package + " could not be unpacked into " + extractionFolder, s.cErrorDataFile);
  }
  // The demonstration domain travels inside setup.Dat as an archive of its own.
  const std::string demo = extractionFolder + "demo.dat";
  if (!isUpgrade && files.FileExists(demo) && !SurveyArchive(context, demo).whole) {
    Fail(context, extractionFolder, demo + " is damaged", s.cErrorDataFile);
  }
}

}  // namespace tovex
