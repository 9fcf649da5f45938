#include "platform/EventWait.h"

#include <windows.h>

namespace halvern::platform {

TEventWait WaitForEvent(void* Event, uint32_t Milliseconds) noexcept {
  if (Event == nullptr || Event == INVALID_HANDLE_VALUE) return TEventWait::Failed;
  switch (WaitForSingleObject(static_cast<HANDLE>(Event), Milliseconds)) {
    case WAIT_OBJECT_0: return TEventWait::Signalled;
    case WAIT_TIMEOUT: return TEventWait::TimedOut;
    default: return TEventWait::Failed;  // WAIT_FAILED, or an abandoned mutex passed by mistake
  }
}

}  // namespace halvern::platform
