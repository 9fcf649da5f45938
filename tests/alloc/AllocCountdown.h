// The allocation countdown and the fresh engine each trial of the allocation-failure loop runs against.
//
// While armed, every allocation the engine library and the device emulator make through the C heap
// (malloc, calloc, realloc, and so operator new) is counted, and the N-th fails once, as the system's
// allocator fails when memory runs out. How it is reached is the platform's part: on Linux this program
// replaces the process's allocator, and each trial runs in a child process forked from one that has
// loaded both libraries and made no call; under Windows the import tables of a fresh copy of the engine
// library and of the emulator are pointed at counting wrappers, and the trial runs in this process.
#pragma once

#include <cstdint>

#include "host/EngineLibrary.h"

namespace halvern::test {

enum class TVerdict : int32_t { Right, Told, Silent, Crashed };

// What one trial found; plain bytes, so that a child process can hand it back through a pipe.
struct TTrialResult {
  bool Reached = false;  // the countdown failed an allocation
  TVerdict Verdict = TVerdict::Silent;
  char How[160] = {};  // how the host was told, or what was wrong
};

using TTrial = TTrialResult (*)(const TExports& E, uint64_t N);

// Why the countdown cannot run in this build, or null.
const char* CountdownUnavailable();
// Why this build's engine cannot be tried with every allocation failing from some point on, or null.
const char* FailingForGoodUnavailable();
// Counts one allocation: true when it is to fail (errno is then ENOMEM). The platform's wrappers call it.
bool CountdownFailsNow() noexcept;
// From now on the N-th counted allocation fails, once; ForGood: it and every one after it fail.
void ArmCountdown(uint64_t N, bool ForGood = false) noexcept;
// Stops counting; true when the N-th allocation was reached.
bool DisarmCountdown() noexcept;
// Trial(E, N) against an engine that has made no call yet. A trial that ends the process or runs longer
// than Seconds is Crashed.
TTrialResult RunOnFreshEngine(TTrial Trial, uint64_t N, unsigned Seconds);

}  // namespace halvern::test
