#pragma once
// The server's own message texts (approval requests, delivery notifications
// and the like), which a configuration folder's "strings.dat" replaces. Setup
// shows none of them; the configuration store loads them with each
// configuration, into the same string table as the setup's texts.
//
// "strings.dat" holds one text a line, in quoted form:
//
//   stApprovalRequest = 'Your message to '#39'list'#39' awaits approval.'#13#10'Thank you.'
//
// Each line is trimmed and empty lines are skipped. The key is the text before
// the first "=", the value what follows it up to the next "=" outside quotes,
// both trimmed. In the value, runs between single quotes are taken literally
// (a quote is written as #39), "#" and decimal digits outside quotes add the
// character with that code (#0 adds nothing), and anything else outside
// quotes is ignored. The file is in the ANSI code page, like the texts.

#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace tovex {

class Files;
class System;
class TLocalizationStrings;

struct ServerStringLine {
  std::string key;
  std::string value;  // decoded
};

// The lines of a "strings.dat" with their values decoded; lines without a
// key are left out. Codes 1 to 255 are ANSI bytes; a code above 255 is its
// Unicode character in the ANSI code page (through codePage; without one
// such codes add nothing).
std::vector<ServerStringLine> ParseServerStrings(std::string_view content, System* codePage = nullptr);

// The value of a line in quoted form, decoded.
std::string DecodeQuotedValue(std::string_view quoted, System* codePage = nullptr);

// The program-wide variables that hold the server's message texts. They live
// as long as the string table that refers to them.
class ServerStrings {
 public:
  // The text of a key, empty when no "strings.dat" has set it.
  const std::string& Text(std::string_view key) const;
  // The variable of a server key, registered in the table on first use (keys
  // compared ignoring case); null when the table already holds the key for
  // another text (one of Setup's own).
  std::string* Variable(std::string_view key, TLocalizationStrings& table);

 private:
  struct Entry {
    std::string key;  // lower-cased
    std::string value;
  };
  std::deque<Entry> entries_;  // stable addresses for the table
};

// Loads configFolder + "strings.dat" when it exists: every key of the file is
// registered in the table (once per ServerStrings) and set from its line, in
// file order, so a key given twice keeps the later value. A key that the
// table already holds for one of Setup's own texts is not the server's and
// is left alone. Returns whether the file was there and read.
//
// The configuration store calls this on each load of a configuration:
//   LoadServerStrings(files, configFolder, *context.stringTable, serverStrings, context.platform.system);
bool LoadServerStrings(Files& files, const std::string& configFolder, TLocalizationStrings& table,
                       ServerStrings& strings, System* codePage = nullptr);

}  // namespace tovex
