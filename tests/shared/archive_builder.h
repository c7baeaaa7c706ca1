#pragma once
// Builds setup data archives byte by byte for tests, including the damaged
// and unusual ones a packer would never write.

#include <zlib.h>

#include <cstdint>
#include <string>

namespace tovex::testing {

inline std::string Le32(uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  return bytes;
}

inline std::string Deflate(const std::string& content) {
  uLongf size = compressBound(static_cast<uLong>(content.size()));
  std::string stream(size, '\0');
  compress2(reinterpret_cast<Bytef*>(stream.data()), &size, reinterpret_cast<const Bytef*>(content.data()),
            static_cast<uLong>(content.size()), Z_DEFAULT_COMPRESSION);
  stream.resize(size);
  return stream;
}

class ArchiveBuilder {
 public:
  // A complete header (extension length 5) unless header is false, which
  // gives a version-0 stored archive without one.
  explicit ArchiveBuilder(bool compressed = false, uint32_t version = 2, bool header = true)
      : compressed_(compressed), version_(version) {
    if (header) bytes_ = std::string("ILDS") + Le32(5) + std::string(1, compressed ? '\1' : '\0') + Le32(version);
  }
  // A header with any extension, for the unusual lengths.
  static ArchiveBuilder WithExtension(const std::string& extension, bool compressed, uint32_t version) {
    ArchiveBuilder builder(compressed, version, false);
    builder.bytes_ = "ILDS" + Le32(static_cast<uint32_t>(extension.size())) + extension;
    return builder;
  }

  ArchiveBuilder& Name(const std::string& name) {
    if (version_ >= 2) {
      bytes_ += static_cast<char>(name.size());
      bytes_ += name;
    } else {
      std::string record(256, '\0');
      record[0] = static_cast<char>(name.size());
      record.replace(1, name.size(), name);
      bytes_ += record;
    }
    return *this;
  }
  // An entry whose data is the content, deflated in a compressed archive.
  ArchiveBuilder& Add(const std::string& name, const std::string& content) {
    return Raw(name, compressed_ ? Deflate(content) : content);
  }
  // An entry whose data field is exactly these bytes.
  ArchiveBuilder& Raw(const std::string& name, const std::string& data) {
    Name(name);
    bytes_ += Le32(static_cast<uint32_t>(data.size())) + data;
    return *this;
  }
  ArchiveBuilder& End() { return Raw("", ""); }
  ArchiveBuilder& Bytes(const std::string& more) {
    bytes_ += more;
    return *this;
  }

  const std::string& str() const { return bytes_; }

 private:
  bool compressed_;
  uint32_t version_;
  std::string bytes_;
};

}  // namespace tovex::testing
