#pragma once
#include "platform/services.h"

namespace tovex::win32 {

// The service control manager through advapi32. The failure actions go
// through ChangeServiceConfig2A, looked up by name at the moment they are
// set, so that a system without it (the oldest NT releases) skips them.
class Win32Services final : public Services {
 public:
  std::unique_ptr<ServiceManager> OpenManager(service::ManagerAccess access) override;
  uint32_t LastError() const override { return lastError_; }

 private:
  uint32_t lastError_ = 0;
};

}  // namespace tovex::win32
