// membarrier's private expedited command where the kernel has it (registered once); otherwise a page
// whose protection is changed, which makes the kernel interrupt every processor running the process to
// flush its mappings, and with them its store buffer.
#include "platform/ProcessBarrier.h"

#include <linux/membarrier.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <mutex>

namespace halvern::platform {
namespace {

long Membarrier(int Command) {
  return syscall(__NR_membarrier, Command, 0, 0);
}

bool HaveExpedited() {
  static const bool Registered = Membarrier(MEMBARRIER_CMD_REGISTER_PRIVATE_EXPEDITED) == 0;
  return Registered;
}

void FlushByProtection() {
  static std::mutex Lock;
  static void* Page = mmap(nullptr, 1, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  std::lock_guard Guard(Lock);
  if (Page == MAP_FAILED) return;
  // The page must be mapped in (touched) for the downgrade to need every processor's flush.
  mprotect(Page, 1, PROT_READ | PROT_WRITE);
  *static_cast<volatile char*>(Page) = 1;
  mprotect(Page, 1, PROT_READ);
}

}  // namespace

// Either way the calling thread enters the kernel, which orders its own loads and stores as well.
void ProcessBarrier() noexcept {
  if (!(HaveExpedited() && Membarrier(MEMBARRIER_CMD_PRIVATE_EXPEDITED) == 0)) FlushByProtection();
}

}  // namespace halvern::platform
