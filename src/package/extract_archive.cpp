#include "package/extract_archive.h"

#include "common/context.h"
#include "common/folders.h"
#include "common/paths.h"
#include "common/setup_log.h"
#include "common/text.h"
#include "package/archive_reader.h"
#include "platform/files.h"
#include "platform/system.h"

namespace tovex {

namespace {

// Failures go to the setup log, with the system's text for the code when a
// system port is at hand.
struct Reporter {
  SetupLog* log = nullptr;
  System* system = nullptr;

  // code 0: a fault of the archive itself, with no system error behind it.
  bool Fail(const std::string& what, uint32_t code) const {
    if (log == nullptr) return false;
    if (code == 0) {
      log->Write("FAILED: " + what);
    } else {
      log->Failure(what, code, system != nullptr ? system->ErrorText(code) : "");
    }
    return false;
  }
};

class FileSink final : public DataSink {
 public:
  explicit FileSink(OutputFile& file) : file_(file) {}
  bool Accept(const char* data, size_t size) override { return file_.Write(data, size); }

 private:
  OutputFile& file_;
};

bool InKeepList(const std::string& lowerKeepList, const std::string& name) {
  return lowerKeepList.find(";" + LowerCase(name) + ";") != std::string::npos;
}

bool Extract(Files& files, const std::string& archivePath, const std::string& destination, bool overwrite,
             const std::string& keepList, const Reporter& report) {
  if (archivePath.empty() || destination.empty()) return report.Fail("Extracting an archive: no archive or folder named", 0);
  const std::string folder = IncludeTrailingBackslash(destination);
  const std::string where = "Extracting " + archivePath + " to " + folder;
  if (!files.FolderExists(folder) && !ForceDirectories(files, folder)) {
    return report.Fail(where + ": the folder cannot be created", files.LastError());
  }

  std::unique_ptr<InputFile> input = files.OpenForReading(archivePath);
  if (!input) return report.Fail(where + ": the archive cannot be opened", files.LastError());
  ArchiveReader reader(*input);
  const auto readCode = [&] { return reader.ReadError() ? files.LastError() : 0; };
  if (!reader.ReadHeader()) return report.Fail(where + ": " + reader.Problem(), readCode());

  const std::string lowerKeepList = LowerCase(keepList);
  std::string lastFolder;  // the folder the previous entry went to, known to exist
  bool allWritten = true;
  for (;;) {
    ArchiveEntry entry;
    const ArchiveReader::Step step = reader.Next(entry);
    if (step == ArchiveReader::Step::End) break;
    if (step == ArchiveReader::Step::Broken) return report.Fail(where + ": " + reader.Problem(), readCode());

    const std::string target = folder + entry.name;
    if (!IsSafeEntryName(entry.name)) {
      return report.Fail(where + ": the entry \"" + entry.name + "\" leads outside the folder; the archive is damaged", 0);
    }
    if (target.size() > kMaxPathLength) {
      return report.Fail(where + ": the path of \"" + entry.name + "\" is longer than 255 characters", 0);
    }
    const bool write = overwrite || !files.FileExists(target) ||
                       (!lowerKeepList.empty() && !InKeepList(lowerKeepList, entry.name));
    if (!write) continue;  // Next skips the data

    // Nothing is written through a link planted below the destination: a
    // link on the way is removed as a link first.
    const std::string targetFolder = ExtractFilePath(target);
    if (targetFolder != lastFolder) {
      if (!ForceDirectoriesBelow(files, folder, ExtractFilePath(entry.name))) {
        return report.Fail(where + ": the folder " + targetFolder + " cannot be created", files.LastError());
      }
      lastFolder = targetFolder;
    }
    if (IsLink(files, target) && !files.RemoveLink(target)) {
      return report.Fail(where + ": " + target + " is a link that cannot be removed", files.LastError());
    }
    std::unique_ptr<OutputFile> output = files.CreateForWriting(target);
    if (!output) return report.Fail(where + ": " + target + " cannot be created", files.LastError());
    FileSink sink(*output);
    const ArchiveReader::Data data = reader.Compressed() ? reader.Inflate(sink) : reader.CopyStored(sink);
    switch (data) {
      case ArchiveReader::Data::Ok:
        break;
      case ArchiveReader::Data::SinkFailed:
        return report.Fail(where + ": " + target + " cannot be written", files.LastError());
      case ArchiveReader::Data::ReadFailed:
        return report.Fail(where + ": " + reader.Problem(), readCode());
      case ArchiveReader::Data::Corrupt: {
        // Nothing of a damaged entry is kept: the target ends up empty, and
        // the entries behind it are still extracted.
        output->Close();
        output = files.CreateForWriting(target);
        report.Fail(where + ": \"" + entry.name + "\": " + reader.Problem(), 0);
        allWritten = false;
        break;
      }
    }
    if (output && !output->Close()) return report.Fail(where + ": " + target + " cannot be written", files.LastError());
    if (!output) return report.Fail(where + ": " + target + " cannot be emptied", files.LastError());
  }
  return allWritten;
}

}  // namespace

bool ExtractArchive(Files& files, const std::string& archivePath, const std::string& destination, bool overwrite,
                    const std::string& keepList, SetupLog* log) {
  return Extract(files, archivePath, destination, overwrite, keepList, Reporter{log, nullptr});
}

bool ExtractArchive(SetupContext& context, const std::string& archivePath, const std::string& destination,
                    bool overwrite, const std::string& keepList) {
  return Extract(*context.platform.files, archivePath, destination, overwrite, keepList,
                 Reporter{context.log, context.platform.system});
}

}  // namespace tovex
