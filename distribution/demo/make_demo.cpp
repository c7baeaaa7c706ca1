// Writes the demonstration domain's configuration for "demo.dat":
//   make_demo FOLDER DOMAIN
// gives FOLDER/domains.cfg and FOLDER/DOMAIN/domain.cfg and users.cfg, in the
// server's layouts, through the configuration store itself. The accounts get
// their 30-day end date from Setup on the day of installation.
#include <cstdio>
#include <string>

#include "platform/posix/files_posix.h"
#include "upgrade/config_store.h"
#include "upgrade/demo_domain.h"

int main(int argc, char** argv) {
  using namespace tovex;
  if (argc != 3) {
    std::fputs("usage: make_demo FOLDER DOMAIN\n", stderr);
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "/";
  posix::PosixFiles files;
  Platform platform;
  platform.files = &files;
  ConfigurationStore store(platform);
  store.SetConfigurationFolder(folder);
  store.SetRootFolder(folder);
  const bool ok = WriteDemoDomain(store, argv[2]);
  // Only the domain goes into demo.dat; the installation writes its own
  // settings.cfg.
  files.Delete(folder + "settings.cfg");
  if (!ok) std::fprintf(stderr, "make_demo: could not write the demonstration domain into %s\n", folder.c_str());
  return ok ? 0 : 1;
}
