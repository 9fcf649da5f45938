// Waiting, with a time-out, for an event that a device library handed back: on Windows a Win32 event
// handle, elsewhere a file descriptor (cast to a handle) that becomes readable when the event is set.
// The event stays the library's: waiting neither resets nor closes it. Thread-safe.
#pragma once

#include <cstdint>

namespace halvern::platform {

enum class TEventWait { Signalled, TimedOut, Failed };

// Blocks the calling thread until Event is set or Milliseconds have passed (0: only looks). A null or
// unusable handle gives Failed. Window messages are not dispatched while it waits.
TEventWait WaitForEvent(void* Event, uint32_t Milliseconds) noexcept;

}  // namespace halvern::platform
