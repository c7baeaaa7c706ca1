#pragma once
// Links as the files port reports and removes them. Windows marks every link
// (symbolic link, junction, mount point) with FILE_ATTRIBUTE_REPARSE_POINT
// and removes the link itself when it is opened with
// FILE_FLAG_OPEN_REPARSE_POINT. Wine 8 creates no links of its own
// (CreateSymbolicLink succeeds without making one, FSCTL_SET_REPARSE_POINT
// is refused), but shows a Unix symbolic link that someone placed in the
// prefix: one to a folder with the reparse attribute, one to a file as an
// ordinary file. Every call, even with FILE_FLAG_OPEN_REPARSE_POINT, then
// reaches the target: DeleteFile deletes the target file, RemoveDirectory an
// empty target folder, MoveFile moves the target.

#include <windows.h>

#include <string>

namespace tovex::win32 {

// The folder as the system resolves it (GetFinalPathNameByHandle); empty when
// it cannot be opened.
std::string FinalPathOf(const std::string& path);

// True when the entry named name, listed in a folder whose final path is
// folderFinalPath, opens somewhere else: Wine's only sign of a Unix symbolic
// link to a file.
bool LeadsElsewhere(const std::string& folderFinalPath, const std::string& folder, const std::string& name);

// Removes the link itself; false with the error code set when the path
// cannot be opened as a link (ERROR_NOT_A_REPARSE_POINT when the system
// opens its target instead).
bool RemoveLinkItself(const std::string& path, DWORD& error);

}  // namespace tovex::win32
