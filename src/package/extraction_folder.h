#pragma once
// The extraction folder: where "setup.Dat" is unpacked before its files are
// copied into the installation folder. It lies in the user's temporary
// folder, which every program of that user may write without elevation, so
// Setup makes it itself for each run and never reuses one it finds: a file
// swapped or a link planted there between unpacking and copying would be
// installed, or followed, with administrator rights.

#include <string>

namespace tovex {

class Files;

// Removes whatever is at folder (as a tree, a link as a link, never
// following one), then creates the folder writable by Administrators and
// SYSTEM only. False when it cannot be made fresh: what was there could not
// all be removed, or the folder is there again when it is created (another
// program was quicker), or it cannot be created; the files port's LastError
// tells why.
bool CreateExtractionFolder(Files& files, const std::string& folder);

}  // namespace tovex
