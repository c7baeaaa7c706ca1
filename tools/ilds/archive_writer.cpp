#include "archive_writer.h"

#include <zlib.h>

#include <cstring>

#include "common/text.h"
#include "package/archive_reader.h"

namespace tovex::ilds {

namespace {

constexpr size_t kBlockSize = 1 << 20;

std::string Le32(uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  return bytes;
}

// Values from 2^31 up are not used by the format.
constexpr uint64_t kMaxEntrySize = 0x7FFFFFFF;

}  // namespace

ArchiveWriter::ArchiveWriter(OutputFile& output, bool compressed, uint32_t formatVersion)
    : output_(output), compressed_(compressed), formatVersion_(formatVersion),
      chunk_(std::make_unique<char[]>(kBlockSize)) {
  pending_.reserve(kBlockSize);
  pending_.append(kMagic, kMagicSize);
  pending_ += Le32(kKnownExtensionSize);
  pending_ += compressed ? '\1' : '\0';
  pending_ += Le32(formatVersion);
}

ArchiveWriter::~ArchiveWriter() = default;

bool ArchiveWriter::Fail(const std::string& problem) {
  if (!failed_) problem_ = problem;
  failed_ = true;
  return false;
}

bool ArchiveWriter::Flush() {
  if (failed_) return false;
  if (!pending_.empty() && !output_.Write(pending_.data(), pending_.size())) {
    return Fail("the archive cannot be written");
  }
  pending_.clear();
  return true;
}

bool ArchiveWriter::Put(const void* data, size_t size) {
  if (failed_) return false;
  if (pending_.size() + size > kBlockSize) {
    if (!Flush()) return false;
    if (size >= kBlockSize) {
      return output_.Write(data, size) || Fail("the archive cannot be written");
    }
  }
  pending_.append(static_cast<const char*>(data), size);
  return true;
}

bool ArchiveWriter::PutName(const std::string& name) {
  std::string field(1, static_cast<char>(name.size()));
  field += name;
  if (formatVersion_ < kLengthPrefixedNamesFrom) field.resize(kNameRecordSize, '\0');
  return Put(field.data(), field.size());
}

bool ArchiveWriter::PutSize(uint64_t size) {
  const std::string field = Le32(static_cast<uint32_t>(size));
  return Put(field.data(), field.size());
}

bool ArchiveWriter::Add(const std::string& name, InputFile& input) {
  if (name.empty() || name.size() > kMaxNameLength) return Fail("\"" + name + "\": names take 1 to 255 bytes");
  if (Trim(name).empty()) return Fail("\"" + name + "\": a blank name would end the archive");
  if (!IsSafeEntryName(name)) return Fail("\"" + name + "\": not a name inside the destination folder");
  const uint64_t size = input.Size();
  if (!compressed_) {
    if (size > kMaxEntrySize) return Fail("\"" + name + "\": larger than 2 GiB");
    if (!PutName(name) || !PutSize(size)) return false;
    uint64_t left = size;
    while (left > 0) {
      size_t got = 0;
      if (!input.Read(chunk_.get(), static_cast<size_t>(std::min<uint64_t>(left, kBlockSize)), got) || got == 0) {
        return Fail("\"" + name + "\": cannot be read in full");
      }
      if (!Put(chunk_.get(), got)) return false;
      left -= got;
    }
    return true;
  }

  z_stream stream{};
  if (deflateInit(&stream, Z_DEFAULT_COMPRESSION) != Z_OK) return Fail("zlib cannot be initialised");
  std::string deflated;
  deflated.reserve(static_cast<size_t>(std::min<uint64_t>(deflateBound(&stream, size), kMaxEntrySize)));
  unsigned char out[1 << 16];
  int flush = Z_NO_FLUSH;
  uint64_t read = 0;
  bool ok = true;
  do {
    size_t got = 0;
    if (!input.Read(chunk_.get(), kBlockSize, got)) {
      ok = Fail("\"" + name + "\": cannot be read");
      break;
    }
    read += got;
    flush = got == 0 ? Z_FINISH : Z_NO_FLUSH;
    stream.next_in = reinterpret_cast<unsigned char*>(chunk_.get());
    stream.avail_in = static_cast<uInt>(got);
    do {
      stream.next_out = out;
      stream.avail_out = sizeof out;
      deflate(&stream, flush);
      deflated.append(reinterpret_cast<char*>(out), sizeof out - stream.avail_out);
    } while (stream.avail_out == 0);
    if (deflated.size() > kMaxEntrySize) {
      ok = Fail("\"" + name + "\": larger than 2 GiB compressed");
      break;
    }
  } while (flush != Z_FINISH);
  deflateEnd(&stream);
  if (!ok) return false;
  if (read != size) return Fail("\"" + name + "\": changed while it was packed");
  return PutName(name) && PutSize(deflated.size()) && Put(deflated.data(), deflated.size());
}

bool ArchiveWriter::Finish() {
  if (!PutName("") || !PutSize(0) || !Flush()) return false;
  return output_.Close() || Fail("the archive cannot be closed");
}

}  // namespace tovex::ilds
