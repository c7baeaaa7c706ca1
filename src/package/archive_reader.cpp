#include "package/archive_reader.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "common/text.h"

namespace tovex {

namespace {

uint32_t LittleEndian32(const unsigned char* bytes) {
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

}  // namespace

// One zlib stream kept for the whole archive and reset per entry: thousands
// of small entries then cost no allocation each.
struct ArchiveReader::Inflater {
  z_stream stream{};
  bool ready = false;
  ~Inflater() {
    if (ready) inflateEnd(&stream);
  }
  bool Start() {
    if (ready) return inflateReset(&stream) == Z_OK;
    ready = inflateInit(&stream) == Z_OK;
    return ready;
  }
};

ArchiveReader::ArchiveReader(InputFile& input)
    : input_(input), buffer_(std::make_unique<char[]>(kBufferSize)) {}

ArchiveReader::~ArchiveReader() = default;

bool ArchiveReader::Fill() {
  begin_ = end_ = 0;
  if (readError_) return false;
  size_t got = 0;
  if (!input_.Read(buffer_.get(), kBufferSize, got)) {
    readError_ = true;
    problem_ = "the archive cannot be read at offset " + std::to_string(offset_);
    return false;
  }
  end_ = got;
  offset_ += got;
  return true;
}

bool ArchiveReader::AtEndOfFile() {
  if (begin_ < end_) return false;
  return Fill() && end_ == 0;
}

bool ArchiveReader::ReadBytes(void* out, size_t size, size_t& got) {
  got = 0;
  char* to = static_cast<char*>(out);
  while (got < size) {
    if (begin_ == end_) {
      if (!Fill()) return false;
      if (end_ == 0) break;
    }
    const size_t n = std::min(size - got, end_ - begin_);
    std::memcpy(to + got, buffer_.get() + begin_, n);
    begin_ += n;
    got += n;
  }
  return true;
}

bool ArchiveReader::Skip(uint64_t size) {
  while (size > 0) {
    if (begin_ == end_) {
      if (!Fill()) return false;
      if (end_ == 0) break;
    }
    const size_t n = static_cast<size_t>(std::min<uint64_t>(size, end_ - begin_));
    begin_ += n;
    size -= n;
  }
  return true;
}

bool ArchiveReader::ReadHeader() {
  unsigned char start[ilds::kMagicSize + ilds::kExtensionLengthSize];
  size_t got = 0;
  if (!ReadBytes(start, sizeof start, got)) return false;
  if (got < ilds::kMagicSize || std::memcmp(start, ilds::kMagic, ilds::kMagicSize) != 0) {
    // No header: the first entry starts at offset 0. The bytes are still in
    // the read-ahead buffer, so going back costs no second read.
    if (offset_ > end_) {
      problem_ = "the archive cannot be read from its start";
      return false;
    }
    begin_ = 0;
    compressed_ = false;
    formatVersion_ = 0;
    return true;
  }
  if (got < sizeof start) {
    problem_ = "the archive header is cut short";
    return false;
  }
  const uint32_t extensionLength = LittleEndian32(start + ilds::kMagicSize);
  unsigned char known[ilds::kKnownExtensionSize] = {};
  const size_t wanted = std::min<size_t>(extensionLength, sizeof known);
  if (!ReadBytes(known, wanted, got)) return false;
  // A short extension is accepted: the fields it does not reach stay 0.
  compressed_ = got > ilds::kCompressedOffset && known[ilds::kCompressedOffset] != 0;
  formatVersion_ = LittleEndian32(known + ilds::kFormatVersionOffset);
  // Extension bytes beyond the two known fields belong to later formats.
  return Skip(extensionLength - wanted);
}

ArchiveReader::Step ArchiveReader::Next(ArchiveEntry& entry) {
  entry = ArchiveEntry{};
  if (!Skip(remaining_)) return Step::Broken;
  remaining_ = 0;
  if (AtEndOfFile()) return readError_ ? Step::Broken : Step::End;

  const uint64_t nameOffset = Offset();
  unsigned char length = 0;
  size_t got = 0;
  if (!ReadBytes(&length, 1, got)) return Step::Broken;
  entry.name.resize(length);
  if (!ReadBytes(entry.name.data(), length, got)) return Step::Broken;
  bool complete = got == length;
  if (complete && formatVersion_ < ilds::kLengthPrefixedNamesFrom) {
    // The padding of the fixed name record.
    const uint64_t before = Offset();
    if (!Skip(ilds::kNameRecordSize - 1 - length)) return Step::Broken;
    complete = Offset() - before == ilds::kNameRecordSize - 1 - length;
  }
  if (!complete) {
    problem_ = "the name at offset " + std::to_string(nameOffset) + " is cut short";
    return Step::Broken;
  }
  std::replace(entry.name.begin(), entry.name.end(), '/', '\\');

  unsigned char size[ilds::kSizeFieldSize];
  if (!ReadBytes(size, sizeof size, got)) return Step::Broken;
  if (got < sizeof size) {
    problem_ = "the size of \"" + entry.name + "\" is cut short";
    return Step::Broken;
  }
  entry.size = LittleEndian32(size);
  if (Trim(entry.name).empty()) return Step::End;
  remaining_ = entry.size;
  return Step::Entry;
}

ArchiveReader::Data ArchiveReader::CopyStored(DataSink& sink) {
  while (remaining_ > 0) {
    if (begin_ == end_) {
      if (!Fill()) return Data::ReadFailed;
      if (end_ == 0) {
        remaining_ = 0;  // cut off by the end of the file: a shorter file
        break;
      }
    }
    const size_t n = static_cast<size_t>(std::min<uint64_t>(remaining_, end_ - begin_));
    const char* chunk = buffer_.get() + begin_;
    begin_ += n;
    remaining_ -= n;
    if (!sink.Accept(chunk, n)) return Data::SinkFailed;
  }
  return Data::Ok;
}

ArchiveReader::Data ArchiveReader::Inflate(DataSink& sink) {
  if (remaining_ == 0) return Data::Ok;  // a size of 0 is an empty file
  if (!inflater_) inflater_ = std::make_unique<Inflater>();
  if (!output_) output_ = std::make_unique<char[]>(kBufferSize);
  if (!inflater_->Start()) {
    problem_ = "zlib cannot be initialised";
    return Data::Corrupt;
  }
  z_stream& stream = inflater_->stream;
  unsigned char* const output = reinterpret_cast<unsigned char*>(output_.get());
  stream.next_out = output;
  stream.avail_out = kBufferSize;
  // zlib stops either for want of input or because the output buffer is
  // full; only in the first case must more of the entry be read.
  bool wantsInput = true;
  for (;;) {
    if (wantsInput && (begin_ == end_ || remaining_ == 0)) {
      if (remaining_ == 0) {
        problem_ = "the compressed data ends before its stream does";
        return Data::Corrupt;
      }
      if (!Fill()) return Data::ReadFailed;
      if (end_ == 0) {
        remaining_ = 0;
        problem_ = "the archive ends inside compressed data";
        return Data::Corrupt;
      }
    }
    const size_t available = static_cast<size_t>(std::min<uint64_t>(remaining_, end_ - begin_));
    stream.next_in = reinterpret_cast<unsigned char*>(buffer_.get() + begin_);
    stream.avail_in = static_cast<uInt>(available);
    const uInt outBefore = stream.avail_out;
    const int result = inflate(&stream, Z_NO_FLUSH);
    const size_t consumed = available - stream.avail_in;
    begin_ += consumed;
    remaining_ -= consumed;
    const bool progress = consumed > 0 || stream.avail_out != outBefore;
    wantsInput = stream.avail_out != 0;
    if (result == Z_STREAM_END || stream.avail_out == 0) {
      const size_t produced = kBufferSize - stream.avail_out;
      if (produced > 0 && !sink.Accept(output_.get(), produced)) return Data::SinkFailed;
      stream.next_out = output;
      stream.avail_out = kBufferSize;
      if (result == Z_STREAM_END) return Data::Ok;
    }
    if (result == Z_NEED_DICT || (result < 0 && result != Z_BUF_ERROR) || (!progress && stream.avail_in > 0)) {
      problem_ = std::string("the compressed data is damaged (") + (stream.msg ? stream.msg : "no detail") + ")";
      return Data::Corrupt;
    }
  }
}

bool IsSafeEntryName(std::string_view name) {
  if (name.empty() || name.front() == '\\' || name.find(':') != std::string_view::npos) return false;
  static constexpr std::string_view kDevices[] = {"CON", "PRN", "AUX", "NUL"};
  size_t start = 0;
  while (start <= name.size()) {
    size_t stop = name.find('\\', start);
    if (stop == std::string_view::npos) stop = name.size();
    const std::string_view part = name.substr(start, stop - start);
    // Windows drops trailing dots and spaces, so ". ." and "..." climb too.
    if (!part.empty() && part.find_first_not_of(". ") == std::string_view::npos &&
        part.find('.') != std::string_view::npos) {
      return false;
    }
    // "nul.txt" and "com1 " open devices, whatever follows the base name.
    const std::string base = UpperCase(TrimRight(part.substr(0, part.find('.'))));
    for (std::string_view device : kDevices) {
      if (base == device) return false;
    }
    if (base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
        base[3] >= '1' && base[3] <= '9') {
      return false;
    }
    start = stop + 1;
  }
  return true;
}

}  // namespace tovex
