// The registry contract on the in-memory registry; the same cases run
// against the real registry under Wine.
#include "fakes/fake_registry.h"
#include "shared/registry_cases.h"

namespace tovex {
namespace {

constexpr const char* kKey = "\\Software\\TovexContract";

TEST(FakeRegistryContract, Keys) {
  fakes::FakeRegistry registry;
  cases::RegistryKeyCases(registry, RegistryRoot::CurrentUser, kKey);
}

TEST(FakeRegistryContract, Values) {
  fakes::FakeRegistry registry;
  cases::RegistryValueCases(registry, RegistryRoot::CurrentUser, kKey);
}

}  // namespace
}  // namespace tovex
