// Self-registration of the COM libraries through the libraries port.
#include <gtest/gtest.h>

#include <map>

#include "fakes/fake_machine.h"
#include "platform/libraries.h"
#include "system/com_registration.h"

namespace tovex {
namespace {

// Libraries by path, each with entries returning a scripted status; records
// every load, call and unload.
class ScriptedLibraries final : public Libraries {
 public:
  std::map<std::string, std::map<std::string, int32_t>> libraries;
  std::vector<std::string> events;

  std::unique_ptr<LoadedLibrary> Load(const std::string& path) override {
    auto found = libraries.find(path);
    if (found == libraries.end()) {
      lastError_ = 126;  // ERROR_MOD_NOT_FOUND
      return nullptr;
    }
    events.push_back("load " + path);
    return std::make_unique<Loaded>(*this, path, found->second);
  }
  uint32_t LastError() const override { return lastError_; }

 private:
  class Loaded final : public LoadedLibrary {
   public:
    Loaded(ScriptedLibraries& owner, std::string path, const std::map<std::string, int32_t>& entries)
        : owner_(owner), path_(std::move(path)), entries_(entries) {}
    ~Loaded() override { owner_.events.push_back("unload " + path_); }
    bool HasEntry(const std::string& name) override { return entries_.count(name) != 0; }
    std::optional<int32_t> Call(const std::string& name, const std::vector<LibraryArgument>& arguments,
                                std::vector<std::string>*) override {
      EXPECT_TRUE(arguments.empty());
      auto found = entries_.find(name);
      if (found == entries_.end()) return std::nullopt;
      owner_.events.push_back("call " + name);
      return found->second;
    }

   private:
    ScriptedLibraries& owner_;
    std::string path_;
    const std::map<std::string, int32_t>& entries_;
  };
  uint32_t lastError_ = 0;
};

struct ComTest : ::testing::Test {
  fakes::FakeMachine machine;
  ScriptedLibraries libraries;
  void SetUp() override { machine.context.platform.libraries = &libraries; }
};

TEST_F(ComTest, TrueOnlyForALoadedEntryReturningZero) {
  libraries.libraries["C:\\T\\ok.dll"] = {{"DllRegisterServer", 0}, {"DllUnregisterServer", 0}};
  libraries.libraries["C:\\T\\fails.dll"] = {{"DllRegisterServer", static_cast<int32_t>(0x80004005)}};
  libraries.libraries["C:\\T\\bare.dll"] = {};
  const std::pair<const char*, bool> cases[] = {
      {"C:\\T\\ok.dll", true}, {"C:\\T\\fails.dll", false}, {"C:\\T\\bare.dll", false}, {"C:\\T\\missing.dll", false}};
  for (const auto& [path, expected] : cases) EXPECT_EQ(RegisterComServer(machine.context, path), expected) << path;
  EXPECT_TRUE(UnregisterComServer(machine.context, "C:\\T\\ok.dll"));
  EXPECT_FALSE(UnregisterComServer(machine.context, "C:\\T\\fails.dll")) << "no such entry";

  const std::vector<std::string> expected = {
      "load C:\\T\\ok.dll",    "call DllRegisterServer", "unload C:\\T\\ok.dll",  "load C:\\T\\fails.dll",
      "call DllRegisterServer", "unload C:\\T\\fails.dll", "load C:\\T\\bare.dll", "unload C:\\T\\bare.dll",
      "load C:\\T\\ok.dll",    "call DllUnregisterServer", "unload C:\\T\\ok.dll", "load C:\\T\\fails.dll",
      "unload C:\\T\\fails.dll"};
  EXPECT_EQ(libraries.events, expected) << "unloaded in every case, nothing called without the entry";
  EXPECT_TRUE(machine.user.shown.empty());
  EXPECT_NE(machine.log.Text().find("0x80004005"), std::string::npos);
}

TEST_F(ComTest, ServerLibrariesInOrderTwiceOnAnUpgrade) {
  libraries.libraries["C:\\Tovex\\api.dll"] = {{"DllRegisterServer", 0}};
  libraries.libraries["C:\\Tovex\\polvanecom.dll"] = {{"DllRegisterServer", 0}};
  RegisterServerComLibraries(machine.context, "C:\\Tovex\\");
  RegisterServerComLibraries(machine.context, "C:\\Tovex");
  std::vector<std::string> loads;
  for (const std::string& event : libraries.events)
    if (event.rfind("load", 0) == 0) loads.push_back(event);
  EXPECT_EQ(loads, (std::vector<std::string>{"load C:\\Tovex\\api.dll", "load C:\\Tovex\\polvanecom.dll",
                                             "load C:\\Tovex\\api.dll", "load C:\\Tovex\\polvanecom.dll"}));
  UnregisterServerComLibraries(machine.context, "C:\\Tovex\\");  // entries missing: silent
  EXPECT_TRUE(machine.user.shown.empty());
}

}  // namespace
}  // namespace tovex
