// The event is a descriptor that turns readable when it is set (an eventfd, or a pipe's reading end).
#include "platform/EventWait.h"

#include <poll.h>

#include <cerrno>
#include <chrono>
#include <cstdint>

namespace halvern::platform {

TEventWait WaitForEvent(void* Event, uint32_t Milliseconds) noexcept {
  // Null would be descriptor 0, standard input: never the library's event.
  const intptr_t Fd = reinterpret_cast<intptr_t>(Event);
  if (Fd <= 0 || Fd > INT32_MAX) return TEventWait::Failed;
  using Clock = std::chrono::steady_clock;
  const Clock::time_point Deadline = Clock::now() + std::chrono::milliseconds(Milliseconds);
  for (;;) {
    // Rounded up, so that the wait never ends before the time-out.
    const auto Left = std::chrono::ceil<std::chrono::milliseconds>(Deadline - Clock::now()).count();
    pollfd P{static_cast<int>(Fd), POLLIN, 0};
    const int N = ::poll(&P, 1, Left > 0 ? static_cast<int>(Left) : 0);
    if (N < 0 && errno == EINTR) continue;
    if (N < 0 || (P.revents & (POLLNVAL | POLLERR))) return TEventWait::Failed;
    if (N > 0) return TEventWait::Signalled;  // readable, or the writer gone (POLLHUP): either way final
    if (Left <= 0) return TEventWait::TimedOut;
  }
}

}  // namespace halvern::platform
