#pragma once
// What every services port promises (platform/services.h): run natively
// against FakeServices and under Wine against its service manager with a
// server peer as the program.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/services.h"

namespace tovex::cases {

struct ServiceCaseSetting {
  std::string name;         // a service name not in use
  std::string programPath;  // a program that runs as a service and stops when told; blanks in its folder
  // True once the condition holds, within a few seconds of the machine's time.
  std::function<bool(const std::function<bool()>&)> eventually;
};

inline void ServiceLifecycleCases(Services& services, const ServiceCaseSetting& setting) {
  using namespace service;
  const std::string& name = setting.name;
  const ServiceDefinition definition{name, "Tovex Contract " + name, setting.programPath, kDemandStart};
  auto manager = services.OpenManager(ManagerAccess::All);
  ASSERT_TRUE(manager) << services.LastError();

  EXPECT_FALSE(manager->Open(name, kQueryStatus));
  EXPECT_EQ(manager->LastError(), kServiceDoesNotExist);
  {
    auto connected = services.OpenManager(ManagerAccess::Connect);
    ASSERT_TRUE(connected) << services.LastError();
    EXPECT_FALSE(connected->Create(definition)) << "connecting does not allow creating";
    EXPECT_EQ(connected->LastError(), kAccessDenied);
  }

  // Created stopped, configured as defined: the path comes back as given.
  auto created = manager->Create(definition);
  ASSERT_TRUE(created) << manager->LastError();
  EXPECT_EQ(created->QueryState(), kStopped);
  const auto configuration = created->QueryConfiguration();
  ASSERT_TRUE(configuration) << created->LastError();
  EXPECT_EQ(configuration->startType, kDemandStart);
  EXPECT_EQ(configuration->programPath, setting.programPath);
  EXPECT_EQ(configuration->displayName, definition.displayName);
  EXPECT_TRUE(created->SetRestartOnFailure()) << created->LastError();
  EXPECT_FALSE(manager->Create(definition));
  EXPECT_EQ(manager->LastError(), kServiceExists);

  // A handle does only what it was opened for.
  {
    auto query = manager->Open(name, kQueryStatus);
    ASSERT_TRUE(query) << manager->LastError();
    EXPECT_EQ(query->QueryState(), kStopped);
    EXPECT_FALSE(query->Start());
    EXPECT_EQ(query->LastError(), kAccessDenied);
    EXPECT_FALSE(query->QueryConfiguration());
    EXPECT_EQ(query->LastError(), kAccessDenied);
  }

  // The start type changes alone; a disabled service does not start.
  {
    auto config = manager->Open(name, kQueryConfig | kChangeConfig);
    ASSERT_TRUE(config) << manager->LastError();
    ASSERT_TRUE(config->SetStartType(kDisabled)) << config->LastError();
    const auto changed = config->QueryConfiguration();
    ASSERT_TRUE(changed);
    EXPECT_EQ(changed->startType, kDisabled);
    EXPECT_EQ(changed->programPath, setting.programPath);
    EXPECT_EQ(changed->displayName, definition.displayName);
    EXPECT_FALSE(created->Start());
    EXPECT_EQ(created->LastError(), kServiceDisabled);
    ASSERT_TRUE(config->SetStartType(kDemandStart));
  }

  // Start and stop return without waiting; a stopped service cannot stop,
  // a running one cannot start again.
  EXPECT_FALSE(created->Stop());
  EXPECT_EQ(created->LastError(), kServiceNotActive);
  ASSERT_TRUE(created->Start()) << created->LastError();
  ASSERT_TRUE(setting.eventually([&] { return created->QueryState() == kRunning; }));
  EXPECT_FALSE(created->Start());
  EXPECT_EQ(created->LastError(), kServiceAlreadyRunning);

  // A running service is only marked for deletion: its name stays taken
  // until it has stopped and its last handle is closed.
  ASSERT_TRUE(created->Remove()) << created->LastError();
  EXPECT_FALSE(created->Remove());
  EXPECT_EQ(created->LastError(), kServiceMarkedForDelete);
  EXPECT_FALSE(manager->Create(definition));
  EXPECT_EQ(manager->LastError(), kServiceMarkedForDelete);
  ASSERT_TRUE(created->Stop()) << created->LastError();
  EXPECT_TRUE(setting.eventually([&] { return created->QueryState() == kStopped; }));
  created.reset();
  EXPECT_TRUE(setting.eventually([&] { return !manager->Open(name, kQueryStatus); }));
  EXPECT_EQ(manager->LastError(), kServiceDoesNotExist);
}

}  // namespace tovex::cases
