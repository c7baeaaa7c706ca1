// tovexcfg: shows what a server configuration folder holds, as JSON, so that
// administrators and the end-to-end tests can see what Setup wrote.
//
//   tovexcfg show CONFIGFOLDER     the settings fields Setup uses, the domain
//                                  table with bindings, domain records and
//                                  accounts (never a password)
//   tovexcfg sample CONFIGFOLDER   writes a small sample configuration
#include <cstdio>
#include <string>

#include "upgrade/config_report.h"

#ifdef _WIN32
#include "platform/win32/files_win32.h"
#include "platform/win32/system_win32.h"
using HostFiles = tovex::win32::Win32Files;
#else
#include "platform/posix/files_posix.h"
#include "platform/posix/system_posix.h"
using HostFiles = tovex::posix::PosixFiles;
#endif

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int Usage() {
  std::fputs(
      "usage:\n"
      "  tovexcfg show CONFIGFOLDER\n"
      "  tovexcfg sample CONFIGFOLDER\n",
      stderr);
  return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return Usage();
  const std::string command = argv[1];
  const std::string folder = argv[2];
  HostFiles files;
#ifdef _WIN32
  tovex::win32::Win32System system;
#else
  tovex::posix::PosixSystem system(argc, argv);
#endif
  if (command == "show") {
    if (!files.FolderExists(folder)) {
      std::fprintf(stderr, "tovexcfg: %s is not a folder\n", folder.c_str());
      return kExitFailed;
    }
    const std::string report = tovex::ConfigurationReport(files, &system, folder);
    std::fwrite(report.data(), 1, report.size(), stdout);
    return kExitOk;
  }
  if (command == "sample") {
    if (!tovex::WriteSampleConfiguration(files, folder)) {
      std::fprintf(stderr, "tovexcfg: could not write the sample configuration into %s\n", folder.c_str());
      return kExitFailed;
    }
    return kExitOk;
  }
  return Usage();
}
