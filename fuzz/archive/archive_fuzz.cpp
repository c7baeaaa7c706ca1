// libFuzzer target for the archive reader: any bytes as an archive, extracted
// into the fake file tree. Beyond the sanitizers' findings it checks that
// nothing is ever written outside the destination folder.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fakes/fake_files.h"
#include "package/extract_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first byte picks the overwrite mode and whether a keep list applies,
  // so that every branch of the write decision is reached.
  const uint8_t mode = size > 0 ? data[0] : 0;
  const std::string archive(reinterpret_cast<const char*>(data), size);

  tovex::fakes::FakeFiles files;
  files.AddFile("C:\\in\\a.dat", archive);
  files.AddFile("C:\\out\\existing.txt", "old");
  const bool overwrite = (mode & 1) != 0;
  const std::string keep = (mode & 2) != 0 ? ";existing.txt;sub\\x;" : "";
  tovex::ExtractArchive(files, "C:\\in\\a.dat", "C:\\out", overwrite, keep);

  for (const std::string& path : files.AllPaths()) {
    if (path == "C:\\" || path == "C:\\IN\\" || path == "C:\\IN\\A.DAT") continue;
    if (path.rfind("C:\\OUT\\", 0) != 0) std::abort();  // escaped the destination
  }
  return 0;
}
