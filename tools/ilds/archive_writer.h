#pragma once
// Writes setup data archives (layout in package/archive_reader.h) for the
// ilds tool. Setup itself only reads them.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/files.h"

namespace tovex::ilds {

class ArchiveWriter {
 public:
  // Writes the complete header at once: extension length 5, the compressed
  // flag and the format version.
  ArchiveWriter(OutputFile& output, bool compressed, uint32_t formatVersion);
  ~ArchiveWriter();

  // One file. The name is relative, with "\" separators, at most 255 bytes and
  // not blank. Stored data is streamed; a compressed entry is deflated in
  // memory first, because its size field precedes the stream.
  bool Add(const std::string& name, InputFile& input);
  // The end entry, then the last buffered bytes.
  bool Finish();

  const std::string& Problem() const { return problem_; }

 private:
  bool Put(const void* data, size_t size);
  bool PutName(const std::string& name);
  bool PutSize(uint64_t size);
  bool Flush();
  bool Fail(const std::string& problem);

  OutputFile& output_;
  bool compressed_;
  uint32_t formatVersion_;
  std::string pending_;  // written in large blocks
  std::unique_ptr<char[]> chunk_;
  std::string problem_;
  bool failed_ = false;
};

}  // namespace tovex::ilds
