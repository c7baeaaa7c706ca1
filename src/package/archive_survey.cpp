#include "package/archive_survey.h"

#include <memory>

#include "common/context.h"
#include "common/setup_log.h"
#include "package/archive_reader.h"
#include "platform/files.h"
#include "platform/system.h"

namespace tovex {

namespace {

class CountingSink final : public DataSink {
 public:
  bool Accept(const char*, size_t size) override {
    bytes += size;
    return true;
  }
  uint64_t bytes = 0;
};

}  // namespace

ArchiveSurvey SurveyArchive(SetupContext& context, const std::string& archivePath) {
  Files& files = *context.platform.files;
  const std::string where = "Checking " + archivePath;
  auto damaged = [&](const std::string& why, uint32_t code) {
    if (context.log == nullptr) return ArchiveSurvey{};
    if (code == 0) {
      context.log->Write("FAILED: " + where + ": " + why);
    } else {
      context.log->Failure(where + ": " + why, code, context.platform.system->ErrorText(code));
    }
    return ArchiveSurvey{};
  };

  std::unique_ptr<InputFile> input = files.OpenForReading(archivePath);
  if (!input) return damaged("the archive cannot be opened", files.LastError());
  ArchiveReader reader(*input);
  const auto readCode = [&] { return reader.ReadError() ? files.LastError() : 0; };
  if (!reader.ReadHeader()) return damaged(reader.Problem(), readCode());

  ArchiveSurvey survey;
  for (;;) {
    ArchiveEntry entry;
    const ArchiveReader::Step step = reader.Next(entry);
    if (step == ArchiveReader::Step::End) break;
    if (step == ArchiveReader::Step::Broken) return damaged(reader.Problem(), readCode());
    if (!IsSafeEntryName(entry.name)) return damaged("the entry \"" + entry.name + "\" leads outside its folder", 0);

    CountingSink sink;
    const ArchiveReader::Data data = reader.Compressed() ? reader.Inflate(sink) : reader.CopyStored(sink);
    if (data == ArchiveReader::Data::ReadFailed) return damaged(reader.Problem(), readCode());
    if (data != ArchiveReader::Data::Ok) return damaged("\"" + entry.name + "\": " + reader.Problem(), 0);
    if (!reader.Compressed() && sink.bytes != entry.size) {
      return damaged("\"" + entry.name + "\" is cut short by the end of the archive", 0);
    }
    survey.unpackedBytes += sink.bytes;
  }
  survey.whole = true;
  return survey;
}

}  // namespace tovex
