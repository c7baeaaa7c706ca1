#include "common/context.h"

#include <cstdlib>
#include <string>

#include "common/setup_log.h"
#include "platform/system.h"

namespace tovex {

void EndSetup(SetupContext& context, uint32_t exitCode) {
  if (context.log != nullptr) context.log->Write("Setup ends with exit code " + std::to_string(exitCode));
  context.platform.system->EndProcess(exitCode);
  std::abort();  // EndProcess does not return; this keeps the promise visible
}

}  // namespace tovex
