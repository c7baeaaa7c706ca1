// The services contract on the scripted service manager of the virtual
// clock; the same cases run against Wine's service manager.
#include "fakes/fake_clock.h"
#include "fakes/fake_processes.h"
#include "fakes/fake_services.h"
#include "shared/service_cases.h"

namespace tovex {
namespace {

TEST(FakeServicesContract, Lifecycle) {
  fakes::FakeClock clock;
  fakes::FakeProcesses processes;
  fakes::FakeServices services(clock, processes);
  const cases::ServiceCaseSetting setting{
      "TovexContract", "C:\\Program Files\\Tovex Contract\\smtp.exe", [&](const std::function<bool()>& condition) {
        for (int step = 0; step < 100 && !condition(); ++step) clock.Advance(50);
        return condition();
      }};
  cases::ServiceLifecycleCases(services, setting);
}

}  // namespace
}  // namespace tovex
