// ilds: packs, lists, extracts and verifies setup data archives. The build
// runs the native tool to make the distribution's archives; ilds.exe does the
// same on Windows.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "archive_writer.h"
#include "common/paths.h"
#include "common/setup_log.h"
#include "package/archive_reader.h"
#include "package/extract_archive.h"

#ifdef _WIN32
#include "platform/win32/files_win32.h"
using HostFiles = tovex::win32::Win32Files;
#else
#include "platform/posix/files_posix.h"
using HostFiles = tovex::posix::PosixFiles;
#endif

namespace tovex::ilds {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

constexpr const char* kUsage =
    "usage:\n"
    "  ilds pack [--stored] [--format-version 0|1|2] ARCHIVE FOLDER\n"
    "  ilds list ARCHIVE\n"
    "  ilds extract ARCHIVE DEST [--no-overwrite] [--keep LIST]\n"
    "  ilds verify ARCHIVE\n";

int Usage(const char* problem = nullptr) {
  if (problem != nullptr) std::fprintf(stderr, "ilds: %s\n", problem);
  std::fputs(kUsage, stderr);
  return kExitUsage;
}

int Failed(const std::string& problem) {
  std::fprintf(stderr, "ilds: %s\n", problem.c_str());
  return kExitFailed;
}

// Every file below the folder, as relative names with "\" separators, in
// byte order so that the same tree always packs the same way.
bool CollectFiles(Files& files, const std::string& folder, const std::string& prefix, std::vector<std::string>& names) {
  for (const FileEntry& entry : files.List(JoinPath(folder, prefix), "*")) {
    const std::string name = prefix.empty() ? entry.name : prefix + "\\" + entry.name;
    if (entry.IsFolder()) {
      if (!CollectFiles(files, folder, name, names)) return false;
    } else {
      names.push_back(name);
    }
  }
  return true;
}

int Pack(const std::vector<std::string>& args) {
  bool compressed = true;
  uint32_t version = 2;
  std::vector<std::string> paths;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--stored") {
      compressed = false;
    } else if (args[i] == "--format-version" && i + 1 < args.size()) {
      const std::string& value = args[++i];
      if (value != "0" && value != "1" && value != "2") return Usage("--format-version takes 0, 1 or 2");
      version = static_cast<uint32_t>(value[0] - '0');
    } else if (args[i].rfind("--", 0) == 0) {
      return Usage(("unknown option " + args[i]).c_str());
    } else {
      paths.push_back(args[i]);
    }
  }
  if (paths.size() != 2) return Usage();
  HostFiles files;
  const std::string& archive = paths[0];
  const std::string& folder = paths[1];
  if (!files.FolderExists(folder)) return Failed("no folder " + folder);
  std::vector<std::string> names;
  CollectFiles(files, folder, "", names);
  std::sort(names.begin(), names.end());

  std::unique_ptr<OutputFile> output = files.CreateForWriting(archive);
  if (!output) return Failed("cannot create " + archive);
  ArchiveWriter writer(*output, compressed, version);
  for (const std::string& name : names) {
    std::unique_ptr<InputFile> input = files.OpenForReading(JoinPath(folder, name));
    if (!input) return Failed("cannot read " + JoinPath(folder, name));
    if (!writer.Add(name, *input)) return Failed(writer.Problem());
  }
  if (!writer.Finish()) return Failed(writer.Problem());
  return kExitOk;
}

class NullSink final : public DataSink {
 public:
  bool Accept(const char*, size_t size) override {
    received += size;
    return true;
  }
  uint64_t received = 0;
};

// Walks the archive; with inflate set, every data field is read through and
// checked as verify does.
int Walk(const std::string& archive, bool print, bool check) {
  HostFiles files;
  std::unique_ptr<InputFile> input = files.OpenForReading(archive);
  if (!input) return Failed("cannot open " + archive);
  ArchiveReader reader(*input);
  if (!reader.ReadHeader()) return Failed(archive + ": " + reader.Problem());
  for (;;) {
    ArchiveEntry entry;
    const ArchiveReader::Step step = reader.Next(entry);
    if (step == ArchiveReader::Step::End) return kExitOk;
    if (step == ArchiveReader::Step::Broken) return Failed(archive + ": " + reader.Problem());
    if (print) std::printf("%s\t%u\n", entry.name.c_str(), entry.size);
    if (!check) continue;
    if (!IsSafeEntryName(entry.name)) return Failed(archive + ": \"" + entry.name + "\" leads outside the folder");
    NullSink sink;
    const ArchiveReader::Data data = reader.Compressed() ? reader.Inflate(sink) : reader.CopyStored(sink);
    if (data != ArchiveReader::Data::Ok) return Failed(archive + ": \"" + entry.name + "\": " + reader.Problem());
    if (!reader.Compressed() && sink.received != entry.size) {
      return Failed(archive + ": \"" + entry.name + "\": the data is cut short");
    }
  }
}

int Extract(const std::vector<std::string>& args) {
  bool overwrite = true;
  std::string keep;
  std::vector<std::string> paths;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--no-overwrite") {
      overwrite = false;
    } else if (args[i] == "--keep" && i + 1 < args.size()) {
      keep = args[++i];
    } else if (args[i].rfind("--", 0) == 0) {
      return Usage(("unknown option " + args[i]).c_str());
    } else {
      paths.push_back(args[i]);
    }
  }
  if (paths.size() != 2) return Usage();
  HostFiles files;
  SetupLog log;
  const bool ok = ExtractArchive(files, paths[0], paths[1], overwrite, keep, &log);
  for (const std::string& line : log.Lines()) std::fprintf(stderr, "ilds: %s\n", line.c_str());
  return ok ? kExitOk : kExitFailed;
}

int Run(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  const std::vector<std::string> args(argv + 2, argv + argc);
  if (command == "pack") return Pack(args);
  if (command == "extract") return Extract(args);
  if (command == "list" && args.size() == 1) return Walk(args[0], true, false);
  if (command == "verify" && args.size() == 1) return Walk(args[0], false, true);
  if (command == "--help" || command == "-h") {
    std::fputs(kUsage, stdout);
    return kExitOk;
  }
  return Usage();
}

}  // namespace
}  // namespace tovex::ilds

int main(int argc, char** argv) { return tovex::ilds::Run(argc, argv); }
