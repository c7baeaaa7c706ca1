#pragma once
// The security Setup gives the folders it must be able to trust, and the
// check of an existing folder's security.
//
// Wine 8 keeps no security descriptor on disk: it turns a folder's DACL into
// Unix mode bits (Everyone's rights become the bits of others; the owner
// always has full control) and reads them back the same way, so Wine shows
// only SYSTEM and the owner with full control and Everyone with what the
// bits allow. Administrators and Users never appear in what Wine reads back.

#include <windows.h>

#include <optional>
#include <string>

#include "platform/files.h"
#include "platform/win32/scoped_handles.h"

namespace tovex::win32 {

// The security descriptor for a protection (LocalFree'd by its owner); empty
// when it cannot be built (the error is left in GetLastError).
unique_hlocal FolderSecurity(FolderProtection protection);

// Whether an access-allowed entry that applies to the folder itself gives
// Everyone, Authenticated Users, Users or interactive users a right to
// create, change or delete anything (a missing DACL gives everyone every
// right); nullopt with the error code when the security cannot be read.
std::optional<bool> OrdinaryUsersMayWriteIn(const std::string& folder, DWORD& error);

}  // namespace tovex::win32
