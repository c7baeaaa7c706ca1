#pragma once
// ExtractArchive: unpacks a whole setup data archive (layout in
// archive_reader.h) into a folder, reading it once from front to back.
//
//   files        the files port (real files, or the fake in tests)
//   archivePath  full path of the archive
//   destination  folder the entry names are resolved in; created with its
//                missing parents; a trailing "\" is added when missing
//   overwrite    true: every entry is written, replacing existing files.
//                false: missing files are written; an existing one is left
//                alone when keepList is empty, and otherwise replaced unless
//                its entry name is in keepList
//   keepList     entry names as stored ("\" separators) between semicolons,
//                ";slapd.conf;schema\core.schema;", compared ignoring case;
//                consulted only when overwrite is false
//   log          optional; every failure is written there with its entry
//
// Returns true only when the archive was read to its end (or its end entry)
// and every entry that was to be written was written in full. False when:
//   - a path is empty, the destination cannot be created, the archive cannot
//     be opened or read, or a name or size field is cut short;
//   - an entry's name leads outside the destination (a drive or ":", a
//     leading "\", a ".." part, a device name) or its target passes 255
//     characters: the archive is treated as damaged and nothing more is read;
//   - a target cannot be created or written (a read-only file, a full disk):
//     extraction stops at that entry;
//   - a compressed entry does not inflate: its target is left empty and
//     extraction goes on with the next entry.
// Files written before a failure stay; nothing is rolled back. Data cut short
// by the end of the archive gives a shorter last file and is no failure.
// Memory stays bounded by fixed buffers whatever the entries' sizes.

#include <string>

namespace tovex {

class Files;
class SetupLog;
class System;
struct SetupContext;

bool ExtractArchive(Files& files, const std::string& archivePath, const std::string& destination, bool overwrite,
                    const std::string& keepList, SetupLog* log = nullptr);

// The same through the context's files port, logging failures to its setup
// log with the system's error text.
bool ExtractArchive(SetupContext& context, const std::string& archivePath, const std::string& destination,
                    bool overwrite, const std::string& keepList);

}  // namespace tovex
