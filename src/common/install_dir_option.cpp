#include "common/install_dir_option.h"

#include <string_view>

#include "common/text.h"

namespace tovex {

std::optional<std::string> InstallDirOption(const std::vector<std::string>& parameters) {
  constexpr std::string_view kName = "installdir=";
  for (const std::string& parameter : parameters) {
    std::string_view rest = parameter;
    size_t prefix = 0;
    while (prefix < 2 && prefix < rest.size() && (rest[prefix] == '-' || rest[prefix] == '/')) ++prefix;
    if (prefix == 0) continue;
    rest.remove_prefix(prefix);
    if (rest.size() > kName.size() && SameText(rest.substr(0, kName.size()), kName)) {
      return std::string(rest.substr(kName.size()));
    }
  }
  return std::nullopt;
}

}  // namespace tovex
