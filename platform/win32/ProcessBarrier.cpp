// The system's own process-wide flush: every processor running the process's threads serialises.
#include "platform/ProcessBarrier.h"

#include <windows.h>

#include <atomic>

namespace halvern::platform {

void ProcessBarrier() noexcept {
  std::atomic_thread_fence(std::memory_order_seq_cst);
  FlushProcessWriteBuffers();
  std::atomic_thread_fence(std::memory_order_seq_cst);
}

}  // namespace halvern::platform
