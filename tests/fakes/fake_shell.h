#pragma once
// A shell that records what it was asked to open and keeps shell links in a
// map; a test can make the next opens fail.

#include <map>
#include <string>
#include <vector>

#include "platform/shell.h"

namespace tovex::fakes {

class FakeShell final : public Shell {
 public:
  struct Opened {
    std::string target;
    std::string parameters;
    std::string folder;
  };
  std::vector<Opened> opened;
  std::map<std::string, ShellLink> links;  // by link path as given
  bool failOpen = false;
  uint32_t failCode = 2;

  bool Open(const std::string& target, const std::string& parameters, const std::string& folder) override {
    if (failOpen) {
      lastError_ = failCode;
      return false;
    }
    opened.push_back(Opened{target, parameters, folder});
    lastError_ = 0;
    return true;
  }
  bool SaveLink(const std::string& linkPath, const ShellLink& link) override {
    links[linkPath] = link;
    lastError_ = 0;
    return true;
  }
  std::optional<ShellLink> LoadLink(const std::string& linkPath) override {
    auto it = links.find(linkPath);
    if (it == links.end()) {
      lastError_ = 2;
      return std::nullopt;
    }
    lastError_ = 0;
    return it->second;
  }
  uint32_t LastError() const override { return lastError_; }

 private:
  uint32_t lastError_ = 0;
};

}  // namespace tovex::fakes
