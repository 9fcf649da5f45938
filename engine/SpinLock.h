// The handle registry's lock: a test-and-set spin lock for critical sections of a few instructions.
//
// Taking it is one locked exchange and letting it go a plain release store, where a mutex costs a locked
// instruction each way; every export call takes the registry's lock twice, so this halves the full
// barriers of a call. A waiter spins on a plain load (the cache line stays shared until the holder
// lets go) and, after a short while, yields the processor so that a holder preempted inside its
// section gets to finish it. Only for sections that run no foreign code and never block.
//
// Thread-safety: that is its job. Not recursive. Meets the Lockable requirements (std::lock_guard).
#pragma once

#include <atomic>
#include <thread>

namespace halvern {

class TSpinLock {
 public:
  void lock() noexcept {
    while (FHeld.exchange(true, std::memory_order_acquire)) {
      for (int Spins = 0; FHeld.load(std::memory_order_relaxed);) {
        if (++Spins < 64)
          Pause();
        else
          std::this_thread::yield();
      }
    }
  }

  void unlock() noexcept { FHeld.store(false, std::memory_order_release); }

 private:
  // Tells the core a spin is under way: saves power and speeds up the exit from the loop.
  static void Pause() noexcept {
#if defined(__i386__) || defined(__x86_64__)
    __builtin_ia32_pause();
#endif
  }

  std::atomic<bool> FHeld{false};
};

}  // namespace halvern
