// The system's own process-wide flush: every processor running the process's threads serialises, the
// caller's included.
#include "platform/ProcessBarrier.h"

#include <windows.h>

namespace halvern::platform {

void ProcessBarrier() noexcept {
  FlushProcessWriteBuffers();
}

}  // namespace halvern::platform
