#include "fakes/fake_services.h"

#include "fakes/fake_clock.h"
#include "fakes/fake_processes.h"

namespace tovex::fakes {

namespace {

// The program file of a service's path, for its process's module name.
std::string ModuleOf(const std::string& programPath) {
  const size_t slash = programPath.find_last_of('\\');
  return slash == std::string::npos ? programPath : programPath.substr(slash + 1);
}

class FakeServiceHandle final : public ServiceHandle {
 public:
  FakeServiceHandle(FakeServices& owner, std::string name, uint32_t access)
      : owner_(owner), name_(std::move(name)), access_(access) {}

  std::optional<uint32_t> QueryState() override {
    Service* entry = Entry(service::kQueryStatus);
    if (entry == nullptr) return std::nullopt;
    return entry->state;
  }

  bool Start() override {
    owner_.calls.push_back("start " + name_);
    Service* entry = Entry(service::kStart);
    if (entry == nullptr) return false;
    if (entry->markedForDelete) return Fail(service::kServiceMarkedForDelete);
    if (entry->startType == service::kDisabled) return Fail(service::kServiceDisabled);
    if (entry->state != service::kStopped) return Fail(service::kServiceAlreadyRunning);
    if (entry->startError != 0) return Fail(entry->startError);
    if (!entry->diesOnStart) owner_.Run(name_, *entry);
    return Ok();
  }

  bool Stop() override {
    owner_.calls.push_back("stop " + name_);
    Service* entry = Entry(service::kStop);
    if (entry == nullptr) return false;
    if (entry->stopControlError != 0) return Fail(entry->stopControlError);
    if (entry->state == service::kStopped) return Fail(service::kServiceNotActive);
    switch (entry->stopBehaviour) {
      case FakeServices::StopBehaviour::AtOnce:
        owner_.Halt(*entry);
        break;
      case FakeServices::StopBehaviour::AfterDelay:
        entry->state = service::kStopPending;
        entry->stopping = true;
        entry->stopsAtMs = owner_.clock().ElapsedMs() + entry->stopDelayMs;
        break;
      case FakeServices::StopBehaviour::Ignore:
        break;
    }
    return Ok();
  }

  std::optional<ServiceConfiguration> QueryConfiguration() override {
    Service* entry = Entry(service::kQueryConfig);
    if (entry == nullptr) return std::nullopt;
    Ok();
    return ServiceConfiguration{entry->startType, entry->programPath, entry->displayName};
  }

  bool SetStartType(int32_t startType) override {
    owner_.calls.push_back("start-type " + name_ + " " + std::to_string(startType));
    Service* entry = Entry(service::kChangeConfig);
    if (entry == nullptr) return false;
    entry->startType = startType;
    return Ok();
  }

  bool SetRestartOnFailure() override {
    Service* entry = Entry(service::kChangeConfig);
    if (entry == nullptr) return false;
    if (owner_.noExtendedConfiguration) return Fail(127);
    entry->restartOnFailure = true;
    return Ok();
  }

  bool Remove() override {
    owner_.calls.push_back("delete " + name_);
    Service* entry = Entry(0x10000);  // DELETE
    if (entry == nullptr) return false;
    if (entry->deleteError != 0) return Fail(entry->deleteError);
    if (entry->markedForDelete) return Fail(service::kServiceMarkedForDelete);
    // A stopped service goes at once (its only handle closes with this
    // object); a running one stays, marked, until it stops.
    if (entry->state == service::kStopped) {
      owner_.services.erase(name_);
    } else {
      entry->markedForDelete = true;
    }
    return Ok();
  }

  uint32_t LastError() const override { return lastError_; }

 private:
  using Service = FakeServices::Service;

  // The service, when it still exists and the handle was opened with the
  // access the call needs.
  Service* Entry(uint32_t needed) {
    Service* entry = owner_.Find(name_);
    if (entry == nullptr) {
      Fail(6);  // ERROR_INVALID_HANDLE: the service went away
      return nullptr;
    }
    if ((access_ & needed) != needed) {
      Fail(service::kAccessDenied);
      return nullptr;
    }
    return entry;
  }
  bool Fail(uint32_t code) {
    lastError_ = code;
    return false;
  }
  bool Ok() {
    lastError_ = 0;
    return true;
  }

  FakeServices& owner_;
  std::string name_;
  uint32_t access_;
  uint32_t lastError_ = 0;
};

class FakeServiceManager final : public ServiceManager {
 public:
  FakeServiceManager(FakeServices& owner, bool all) : owner_(owner), all_(all) {}

  std::unique_ptr<ServiceHandle> Open(const std::string& name, uint32_t access) override {
    FakeServices::Service* entry = owner_.Find(name);
    if (entry == nullptr) return Fail(service::kServiceDoesNotExist);
    if (entry->openError != 0) return Fail(entry->openError);
    lastError_ = 0;
    return std::make_unique<FakeServiceHandle>(owner_, owner_.services.find(name)->first, access);
  }

  std::unique_ptr<ServiceHandle> Create(const ServiceDefinition& definition) override {
    owner_.calls.push_back("create " + definition.name);
    if (!all_) return Fail(service::kAccessDenied);
    if (owner_.createError != 0) return Fail(owner_.createError);
    if (FakeServices::Service* existing = owner_.Find(definition.name)) {
      return Fail(existing->markedForDelete ? service::kServiceMarkedForDelete : service::kServiceExists);
    }
    FakeServices::Service& entry = owner_.services[definition.name];
    entry.displayName = definition.displayName;
    entry.programPath = definition.programPath;
    entry.startType = definition.startType;
    lastError_ = 0;
    return std::make_unique<FakeServiceHandle>(owner_, definition.name, service::kAllAccess);
  }

  uint32_t LastError() const override { return lastError_; }

 private:
  std::unique_ptr<ServiceHandle> Fail(uint32_t code) {
    lastError_ = code;
    return nullptr;
  }

  FakeServices& owner_;
  bool all_;
  uint32_t lastError_ = 0;
};

}  // namespace

FakeServices::FakeServices(FakeClock& clock, FakeProcesses& processes) : clock_(clock), processes_(processes) {
  clock_.OnAdvance([this](uint64_t now) { OnAdvance(now); });
  processes_.onTerminate.push_back([this](uint32_t id) {
    for (auto& [name, entry] : services) {
      if (entry.processId == id) {
        entry.processId = 0;  // already gone
        Halt(entry);
      }
    }
  });
}

FakeServices::Service& FakeServices::Add(const std::string& name, const std::string& programPath, uint32_t state,
                                         int32_t startType) {
  Service& entry = services[name];
  entry.programPath = programPath;
  entry.displayName = name;
  entry.startType = startType;
  if (state == service::kRunning) {
    Run(name, entry);
  } else {
    entry.state = state;
  }
  return entry;
}

FakeServices::Service* FakeServices::Find(const std::string& name) {
  const auto it = services.find(name);
  return it == services.end() ? nullptr : &it->second;
}

std::vector<std::string> FakeServices::CallsStartingWith(const std::string& prefix) const {
  std::vector<std::string> result;
  for (const auto& call : calls) {
    if (call.rfind(prefix, 0) == 0) result.push_back(call);
  }
  return result;
}

std::unique_ptr<ServiceManager> FakeServices::OpenManager(service::ManagerAccess access) {
  const bool all = access == service::ManagerAccess::All;
  if (managerError != 0 && (all || connectFails)) {
    lastError_ = managerError;
    return nullptr;
  }
  lastError_ = 0;
  return std::make_unique<FakeServiceManager>(*this, all);
}

void FakeServices::Run(const std::string&, Service& entry) {
  entry.state = service::kRunning;
  entry.stopping = false;
  entry.processId = processes_.Launch(ModuleOf(entry.programPath));
}

void FakeServices::Halt(Service& entry) {
  entry.state = service::kStopped;
  entry.stopping = false;
  if (entry.processId != 0) {
    const uint32_t id = entry.processId;
    entry.processId = 0;
    processes_.processes.erase(id);
  }
}

void FakeServices::OnAdvance(uint64_t nowMs) {
  for (auto it = services.begin(); it != services.end();) {
    Service& entry = it->second;
    if (entry.stopping && nowMs >= entry.stopsAtMs) Halt(entry);
    // A service marked for deletion goes once it has stopped.
    if (entry.markedForDelete && entry.state == service::kStopped) {
      it = services.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace tovex::fakes
