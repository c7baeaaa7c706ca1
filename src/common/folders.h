#pragma once
// Folder helpers on the files port, shared by installation, shortcuts and
// uninstallation.

#include <string>

namespace tovex {

class Files;

// Deletes every entry of the folder that matches the mask (empty mask: "*.*"),
// of any attribute. Files that cannot be deleted (read-only ones) stay;
// subfolders are handled the same way when recursive is set and left alone
// otherwise. Finally removes the folder itself and returns whether that
// worked, so the result is false when anything stayed. An empty folder
// argument does nothing and returns false.
bool DeleteTree(Files& files, const std::string& folder, const std::string& mask, bool recursive);

// Creates the folder and any missing parents. Parents are forced first,
// stopping at paths of two characters or less (a drive such as "C:"). Returns
// whether the folder exists at the end. Paths longer than kMaxPathLength are
// refused (false) before anything is created.
bool ForceDirectories(Files& files, const std::string& path);

}  // namespace tovex
