// The countdown itself, shared by both platforms' ways of reaching the allocator.
#include "alloc/AllocCountdown.h"

#include <atomic>
#include <cerrno>

namespace halvern::test {
namespace {

// Constant-initialised, so an allocation made before this file's initialisers run counts nothing.
std::atomic<bool> GArmed{false};
std::atomic<int64_t> GLeft{0};
std::atomic<bool> GReached{false};
std::atomic<bool> GForGood{false};

}  // namespace

bool CountdownFailsNow() noexcept {
  if (!GArmed.load(std::memory_order_relaxed)) return false;
  const int64_t Left = GLeft.fetch_sub(1, std::memory_order_relaxed);
  if (Left > 1 || (Left < 1 && !GForGood.load(std::memory_order_relaxed))) return false;
  GReached.store(true, std::memory_order_relaxed);
  errno = ENOMEM;
  return true;
}

void ArmCountdown(uint64_t N, bool ForGood) noexcept {
  GReached.store(false);
  GForGood.store(ForGood);
  GLeft.store(static_cast<int64_t>(N));
  GArmed.store(true);
}

bool DisarmCountdown() noexcept {
  GArmed.store(false);
  return GReached.load();
}

}  // namespace halvern::test
