#pragma once
// Shell port: opening documents, programs and addresses with the "open" verb,
// and shell links (.lnk files).

#include <cstdint>
#include <optional>
#include <string>

namespace tovex {

struct ShellLink {
  std::string target;
  std::string arguments;
  std::string workingFolder;
  std::string description;
  std::string iconPath;
  int iconIndex = 0;
};

class Shell {
 public:
  virtual ~Shell() = default;
  // ShellExecute "open" of a file, program or address; true when the shell
  // accepted it (nothing is known about what the opened program does).
  virtual bool Open(const std::string& target, const std::string& parameters = "",
                    const std::string& folder = "") = 0;
  // Creates or replaces the link file (IShellLink + IPersistFile).
  virtual bool SaveLink(const std::string& linkPath, const ShellLink& link) = 0;
  // Reads a link back; nullopt when it cannot be loaded.
  virtual std::optional<ShellLink> LoadLink(const std::string& linkPath) = 0;
  virtual uint32_t LastError() const = 0;
};

}  // namespace tovex
