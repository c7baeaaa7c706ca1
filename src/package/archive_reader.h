#pragma once
// A streaming reader of setup data archives: the header, then one entry after
// another, each entry's data handed out in chunks through fixed buffers, so
// memory stays bounded whatever an entry's size. ExtractArchive, the ilds tool
// and the fuzz target share it.
//
// Layout (all integers little-endian, records back to back, no alignment):
//
//   Header, optional. Absent when the first four bytes are not the magic; the
//   first entry then starts at offset 0, data is stored and names are 256-byte
//   records (format version 0).
//     0  4  magic "ILDS"
//     4  4  extension length E (5 in a complete header)
//     8  E  extension, as far as E reaches (missing fields read as 0; bytes
//           beyond the two known fields are skipped):
//             0  1  compressed: 0 stored, anything else one zlib stream per entry
//             1  4  format version: below 2 fixed 256-byte name records,
//                   from 2 length-prefixed names
//
//   Entry, repeated until the end of the file or an end entry:
//     name  below version 2: 256 bytes, byte 0 the length L, bytes 1..L the
//           name, the rest padding; from version 2: one length byte L and L
//           name bytes. ANSI text; "/" and "\" both separate folders.
//     size  4 bytes: data length (for compressed archives the zlib stream's)
//     data  size bytes: the file, or a zlib stream (RFC 1950) inflating to it
//   A name that is empty or only blanks (characters up to the space) ends the
//   archive; its size field is still read, nothing behind it is.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/files.h"

namespace tovex {

namespace ilds {
inline constexpr char kMagic[4] = {'I', 'L', 'D', 'S'};
inline constexpr size_t kMagicSize = 4;
inline constexpr size_t kExtensionLengthSize = 4;
inline constexpr size_t kCompressedOffset = 0;     // within the extension
inline constexpr size_t kFormatVersionOffset = 1;  // within the extension
inline constexpr size_t kKnownExtensionSize = 5;
inline constexpr size_t kNameRecordSize = 256;          // format versions 0 and 1
inline constexpr uint32_t kLengthPrefixedNamesFrom = 2; // format version
inline constexpr size_t kSizeFieldSize = 4;
inline constexpr size_t kMaxNameLength = 255;
}  // namespace ilds

// Receives an entry's data chunk by chunk; false stops the transfer (the
// target could not be written).
class DataSink {
 public:
  virtual bool Accept(const char* data, size_t size) = 0;

 protected:
  ~DataSink() = default;
};

struct ArchiveEntry {
  std::string name;   // "/" already turned into "\"
  uint32_t size = 0;  // bytes of the data field
};

class ArchiveReader {
 public:
  // Both the read-ahead and the inflate output buffer have this size.
  static constexpr size_t kBufferSize = 256 * 1024;

  explicit ArchiveReader(InputFile& input);
  ~ArchiveReader();
  ArchiveReader(const ArchiveReader&) = delete;
  ArchiveReader& operator=(const ArchiveReader&) = delete;

  // Reads the header, or finds none and starts over at offset 0. False when
  // the header is cut short or cannot be read.
  bool ReadHeader();
  bool Compressed() const { return compressed_; }
  uint32_t FormatVersion() const { return formatVersion_; }

  enum class Step { Entry, End, Broken };
  // The next entry's name and size. Whatever the caller left of the previous
  // entry's data is skipped first. End: the end of the file or an end entry.
  // Broken: a name or size field cut short, or a read error (see Problem).
  Step Next(ArchiveEntry& entry);

  enum class Data { Ok, SinkFailed, ReadFailed, Corrupt };
  // The current entry's data as stored. Data cut short by the end of the file
  // is Ok: the sink has received what there was.
  Data CopyStored(DataSink& sink);
  // The current entry's zlib stream, inflated. Corrupt: the stream is damaged,
  // incomplete or fails its checksum; the sink may have received part of the
  // output. A size of 0 is an empty file. Bytes behind the stream's end,
  // within the entry's size, are ignored.
  Data Inflate(DataSink& sink);

  // What went wrong, for messages; empty while all is well.
  const std::string& Problem() const { return problem_; }
  // True when the file itself failed to read (the files port's LastError then
  // tells why); false when the archive's content is at fault.
  bool ReadError() const { return readError_; }
  // Offset of the next unread byte.
  uint64_t Offset() const { return offset_ - (end_ - begin_); }

 private:
  bool Fill();  // refills an empty read-ahead buffer; false on a read error
  // Reads exactly size bytes unless the file ends; got tells how many came.
  bool ReadBytes(void* out, size_t size, size_t& got);
  bool Skip(uint64_t size);
  bool AtEndOfFile();

  InputFile& input_;
  std::unique_ptr<char[]> buffer_;
  std::unique_ptr<char[]> output_;
  size_t begin_ = 0;
  size_t end_ = 0;
  uint64_t offset_ = 0;      // bytes taken from the file so far
  uint64_t remaining_ = 0;   // data bytes of the current entry not yet consumed
  bool readError_ = false;
  bool compressed_ = false;
  uint32_t formatVersion_ = 0;
  std::string problem_;
  struct Inflater;
  std::unique_ptr<Inflater> inflater_;
};

// False for a name that would land outside the destination folder or on a
// device: a drive or stream (":"), a leading "\", a component made of dots
// (".", "..", and "..." which Windows also resolves upwards), or a reserved
// device name (CON, NUL, COM1...). Expects "\" separators.
bool IsSafeEntryName(std::string_view name);

}  // namespace tovex
