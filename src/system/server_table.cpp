#include "system/server_table.h"

#include "common/context.h"

namespace tovex {

bool IsServerExcluded(const ComponentFlags& flags, int index) {
  switch (index) {
    case kSmtpServer:
    case kPop3Server:
      return flags.NoInstallMail;
    case kControlServer:
      return flags.NoInstallControl;
    case kImServer:
      return flags.NoInstallIM;
    case kGroupWareServer:
      return flags.NoInstallCalendar;
    default:
      return true;
  }
}

}  // namespace tovex
