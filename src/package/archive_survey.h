#pragma once
// Reading a setup data archive through without writing anything: whether
// every entry is whole, and how many bytes it unpacks to. An installation
// surveys its archives before it changes the machine, so that a damaged or
// cut-short download is found while the server still runs untouched.
//
// Stricter than extraction: an entry whose stored data the end of the file
// cuts short (a shorter file to ExtractArchive) is a damaged archive here,
// like a name or size field cut short, an unsafe entry name, a compressed
// entry that does not inflate or fails its checksum, and a read error.

#include <cstdint>
#include <string>

namespace tovex {

struct SetupContext;

struct ArchiveSurvey {
  bool whole = false;
  uint64_t unpackedBytes = 0;  // the files' sizes as they will be written
};

// Logs the reason of a damaged archive to the context's setup log.
ArchiveSurvey SurveyArchive(SetupContext& context, const std::string& archivePath);

}  // namespace tovex
