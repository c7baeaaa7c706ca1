#include "ui/application.h"

#include "platform/system.h"

namespace tovex::ui {

void Application::Dispatch(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const ProcessEnded&) {
    throw;  // the end of the process is never discarded
  } catch (...) {
    if (OnException) {
      try {
        OnException(std::current_exception());
      } catch (const ProcessEnded&) {
        throw;
      } catch (...) {
        // A failing handler must not take the window loop down with it.
      }
    }
  }
}

}  // namespace tovex::ui
