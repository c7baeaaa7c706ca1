#pragma once
// The first step of an installation, before anything on the machine
// changes: every archive the run will read is read through and found whole,
// the volumes have room for what will be unpacked, and setup.Dat is unpacked
// into the extraction folder. A bad download or a full disk is found while
// the server still runs untouched.
//
// A failure shows the data-file error (or the disk-space text naming the
// volume and the bytes needed), removes the extraction folder and ends Setup
// with 1603: the machine is left as it was.

#include <cstdint>
#include <string>

namespace tovex {

struct SetupContext;

// Room kept free beyond what is unpacked: a tenth of it and 16 MiB, for the
// configuration, logs and mail the server writes right after.
inline constexpr uint64_t kSpaceMarginBytes = 16ull * 1024 * 1024;
inline constexpr uint64_t kSpaceMarginDivisor = 10;

// The volume a path lies on, as an administrator names it: "C:\" for a drive
// path, "\\server\share\" for a network one.
std::string VolumeOf(const std::string& path);

// Checks the payload and unpacks setup.Dat into extractionFolder (emptied
// first: what an interrupted run left there must not be installed). The
// default configuration archive and the demonstration domain count only for
// a fresh installation. Returns only when all is well.
void PreparePayload(SetupContext& context, const std::string& extractionFolder, bool isUpgrade);

}  // namespace tovex
