// tovexdrive: plays a scenario script against a real setup.exe under Wine (or
// Windows), a step at a time, printing each step and saving a screenshot
// after it. The script language is documented in tests/wine/README.md.
//
//   tovexdrive [--setup PROGRAM] [--dist FOLDER] [--work FOLDER]
//              [--shots FOLDER] [--timeout SECONDS] SCRIPT
//   tovexdrive --check SCRIPT...      only check the scripts' syntax
//
// Exit code 0 when every step held, 1 when a step failed, 2 for a usage or
// script error.

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "scenario.h"
#include "script.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: tovexdrive [--setup PROGRAM] [--dist FOLDER] [--work FOLDER] [--shots FOLDER]\n"
               "                  [--timeout SECONDS] SCRIPT\n"
               "       tovexdrive --check SCRIPT...\n");
  return 2;
}

bool ReadScript(const std::string& path, drive::Script& script) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "tovexdrive: cannot read the script %s\n", path.c_str());
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  script = drive::ParseScript(text.str());
  for (const auto& error : script.errors) std::fprintf(stderr, "%s: %s\n", path.c_str(), error.c_str());
  return script.errors.empty();
}

}  // namespace

int main(int argc, char** argv) {
  drive::Options options;
  bool checkOnly = false;
  std::vector<std::string> scripts;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--check") {
      checkOnly = true;
    } else if (arg == "--setup" && hasValue) {
      options.setupProgram = argv[++i];
    } else if (arg == "--dist" && hasValue) {
      options.distFolder = argv[++i];
    } else if (arg == "--work" && hasValue) {
      options.workFolder = argv[++i];
    } else if (arg == "--shots" && hasValue) {
      options.shotsFolder = argv[++i];
    } else if (arg == "--timeout" && hasValue) {
      options.timeoutSeconds = std::atof(argv[++i]);
      if (options.timeoutSeconds <= 0) return Usage();
    } else if (arg.rfind("--", 0) == 0) {
      return Usage();
    } else {
      scripts.push_back(arg);
    }
  }
  if (scripts.empty() || (!checkOnly && scripts.size() != 1)) return Usage();

  if (checkOnly) {
    bool good = true;
    for (const auto& path : scripts) {
      drive::Script script;
      if (ReadScript(path, script)) {
        std::printf("%s: %zu steps\n", path.c_str(), script.steps.size());
      } else {
        good = false;
      }
    }
    return good ? 0 : 2;
  }

  drive::Script script;
  if (!ReadScript(scripts[0], script)) return 2;
  if (options.setupProgram.empty()) {
    // By default the setup.exe beside the driver.
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string folder = self;
    options.setupProgram = folder.substr(0, folder.find_last_of('\\') + 1) + "setup.exe";
  }
  std::printf("tovexdrive: %s (%zu steps), program %s\n", scripts[0].c_str(), script.steps.size(),
              options.setupProgram.c_str());
  std::fflush(stdout);
  drive::Scenario scenario(options);
  return scenario.Play(script) ? 0 : 1;
}
