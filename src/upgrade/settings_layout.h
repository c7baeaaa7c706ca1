#pragma once
// The server's stored configuration layouts, shared byte for byte with the
// server programs: the global settings record (settings.cfg), the domain
// table (domains.cfg), a domain's record (domain.cfg) and its account records
// (users.cfg). Text fields are length-prefixed: one length byte, then the
// characters; the bytes after the text carry no meaning. Integers are
// little-endian; records are packed without gaps.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tovex {

// A length-prefixed text field: offset of the length byte and the field's
// width in bytes (length byte included), so at most width - 1 characters.
struct TextField {
  size_t offset;
  size_t width;
  size_t MaxLength() const { return width - 1; }
};

// Constants shared with the server: every program that reads these files
// must use the same values. They are kept here and nowhere else.
namespace server_secrets {
// Scrambles settings.cfg, domain.cfg and each account record.
inline constexpr std::array<uint8_t, 16> kSettingsKey = {0x5A, 0x17, 0xC3, 0x8E, 0x21, 0x94, 0x6B, 0xF0,
                                                         0x3D, 0xA9, 0x72, 0x0C, 0xE5, 0x48, 0xB6, 0x1F};
// Blowfish key of enciphered account passwords (59 characters).
inline constexpr std::string_view kPasswordPassPhrase =
    "Tovex mail server: account passwords at rest, key phrase 01";
static_assert(kPasswordPassPhrase.size() == 59);
}  // namespace server_secrets

// settings.cfg: one scrambled record of 28,084 bytes.
namespace settings {
inline constexpr size_t kSize = 28084;

inline constexpr TextField kHostName{0, 128};
inline constexpr size_t kPasswordEncryption = 187;  // byte: account passwords enciphered when not 0
inline constexpr TextField kTempFolder{256, 256};
inline constexpr TextField kMailFolder{512, 256};
inline constexpr TextField kLogFolder{768, 256};
inline constexpr size_t kWebPort = 1036;  // uint16
inline constexpr TextField kWebHostList{1176, 128};  // ";"-separated; the first entry names the web host
inline constexpr TextField kDnsServers{1304, 128};   // ";"-separated
inline constexpr size_t kHostListSwitch = 1474;      // byte, tested by the upgrade tasks
// Byte chosen by this store: when not 0, a domain given as an address
// literal in brackets ("[192.0.2.1]") maps onto a configured domain.
inline constexpr size_t kAllowAddressLiterals = 1475;
inline constexpr TextField kBounceSender{1477, 32};
inline constexpr TextField kBounceSenderName{1509, 35};
inline constexpr TextField kDatabaseConnection{2356, 256};
inline constexpr size_t kUploadLimit = 2878;  // uint32, reset to 0 above kUploadLimitMax
inline constexpr uint32_t kUploadLimitMax = 0x500000;
inline constexpr TextField kServerFolder{3385, 241};  // always ends with a backslash after load
inline constexpr size_t kAccountStorage = 3633;       // byte: kStorageDatabase or files
inline constexpr uint8_t kStorageDatabase = 2;
inline constexpr size_t kDomainCount = 7020;   // int32
inline constexpr size_t kLegacyDomainTable = 20344;  // older releases kept the domain table here
inline constexpr size_t kInstallDate = 20336;  // double: days since 1899-12-30
inline constexpr TextField kConsoleLayout{21428, 13};  // "advanced.xml" or "basic.xml"
inline constexpr size_t kPathSeparator = 22121;   // char, forced to "\" on load
inline constexpr size_t kFileNameCleaning = 22122;  // byte, forced to 0 on load
inline constexpr TextField kTrustedAddresses{24759, 128};
inline constexpr TextField kGroupWareUser{26710, 128};
inline constexpr TextField kGroupWarePassword{26838, 128};
inline constexpr size_t kSwitch1444 = 1444;  // cleared when the byte at 1464 is set
inline constexpr size_t kSwitch1464 = 1464;
}  // namespace settings

// domains.cfg: count x 96 bytes, plain, entry 0 the primary domain.
namespace domain_entry {
inline constexpr size_t kSize = 96;
inline constexpr TextField kName{0, 95};
// Names are cut to this length so that they never reach the binding flag.
inline constexpr size_t kMaxNameLength = 94;
inline constexpr size_t kBindingFlag = 95;  // 1 when bind.dat holds a binding
}  // namespace domain_entry

// domain.cfg: one scrambled record of 1169 bytes.
namespace domain_record {
inline constexpr size_t kSize = 1169;
inline constexpr TextField kReservedNames{128, 69};
inline constexpr TextField kAdministrator{384, 256};
}  // namespace domain_record

// users.cfg: a sequence of 2848-byte records, each scrambled by itself.
namespace account {
inline constexpr size_t kSize = 2848;
inline constexpr size_t kType = 0;  // byte: kTypeUser for a mailbox
inline constexpr uint8_t kTypeUser = 0;
inline constexpr TextField kDisplayName{4, 255};
inline constexpr TextField kAliases{260, 256};  // ";"-separated
inline constexpr TextField kUserName{516, 128};
inline constexpr TextField kPassword{772, 128};
inline constexpr TextField kMailboxPath{1028, 128};
inline constexpr size_t kActive = 1284;
}  // namespace account

// Reading and writing fields of a byte record. Reads never go beyond the
// field: a damaged length byte larger than the field is cut to it. Writes
// cut the text to the field and leave the bytes after it as they were.
std::string GetText(const uint8_t* record, TextField field);
void SetText(uint8_t* record, TextField field, std::string_view text);
uint16_t GetU16(const uint8_t* record, size_t offset);
void SetU16(uint8_t* record, size_t offset, uint16_t value);
uint32_t GetU32(const uint8_t* record, size_t offset);
void SetU32(uint8_t* record, size_t offset, uint32_t value);
double GetDouble(const uint8_t* record, size_t offset);
void SetDouble(uint8_t* record, size_t offset, double value);

// XORs byte i with key byte (i + start) mod 16; applying it twice restores
// the bytes.
void Scramble(uint8_t* data, size_t size, size_t start);

}  // namespace tovex

namespace tovex {

using SettingsRecord = std::array<uint8_t, settings::kSize>;
using DomainRecord = std::array<uint8_t, domain_record::kSize>;
using AccountRecord = std::array<uint8_t, account::kSize>;

}  // namespace tovex
