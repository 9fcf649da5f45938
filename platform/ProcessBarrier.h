// A memory barrier run on every thread of the process at once, for the rare side of a pairing whose
// frequent side must stay free of fences: after ProcessBarrier returns, every store another thread made
// before it is visible to the caller, and every load another thread makes after it sees what the caller
// stored before the call. Slow (a system call and an interrupt per processor); for finalization only.
#pragma once

namespace halvern::platform {

void ProcessBarrier() noexcept;

}  // namespace halvern::platform
