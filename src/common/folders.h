#pragma once
// Folder helpers on the files port, shared by installation, shortcuts and
// uninstallation.
//
// None of them follows a link (a symbolic link or junction) below the folder
// it is given: a link met on the way is removed as a link, its target left
// untouched. Setup runs elevated while ordinary programs may plant links
// where it works; followed, a link would turn a deletion or a copy against
// any folder of the machine. Where the system cannot remove a link itself
// (Wine resolves a Unix symbolic link on every call), the link stays and
// nothing is done through it.

#include <string>

namespace tovex {

class Files;

// Deletes every entry of the folder that matches the mask (empty mask: "*.*"),
// of any attribute. Files that cannot be deleted (read-only ones) stay;
// subfolders are handled the same way when recursive is set and left alone
// otherwise; a matching link is removed as a link. Finally removes the folder
// itself and returns whether that worked, so the result is false when
// anything stayed. A folder that is itself a link is removed as a link. An
// empty folder argument does nothing and returns false.
bool DeleteTree(Files& files, const std::string& folder, const std::string& mask, bool recursive);

// Creates the folder and any missing parents. Parents are forced first,
// stopping at paths of two characters or less (a drive such as "C:"). Returns
// whether the folder exists at the end. Paths longer than kMaxPathLength are
// refused (false) before anything is created.
bool ForceDirectories(Files& files, const std::string& path);

// Whether the path is a link itself (a missing path is none).
bool IsLink(Files& files, const std::string& path);

// Deletes a file; a link there, to a file or a folder, is removed as a link.
bool DeleteFileOrLink(Files& files, const std::string& path);

// Makes sure that nothing on the way from root to root + relative (a folder
// or a file name below root) is a link: each part that exists is checked and
// a link is removed as a link. Root itself is trusted as it is. False when a
// link stays; the files port's LastError says why, and nothing may be
// written there.
bool RemoveLinksBelow(Files& files, const std::string& root, const std::string& relative);

// RemoveLinksBelow, then DeleteTree of root + relative: nothing is deleted
// through a link on the way there. False also when a link stays.
bool DeleteTreeBelow(Files& files, const std::string& root, const std::string& relative, const std::string& mask,
                     bool recursive);

// RemoveLinksBelow, then ForceDirectories of root + relative: the folder
// exists at the end, and every folder of relative is a real one.
bool ForceDirectoriesBelow(Files& files, const std::string& root, const std::string& relative);

}  // namespace tovex
