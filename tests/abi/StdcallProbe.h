// Calls a function through a hand-made stdcall frame and reports what the callee did to the caller's
// machine state. A compiler-generated call cannot show this: it would restore the stack pointer on its
// own and hide a callee that pops too little or too much, and it assumes the callee kept the registers
// the convention says it keeps. Windows x86 only.
#pragma once

#include <cstdint>

extern "C" {
struct THvCallResult {
  std::uint32_t Eax;        // the callee's EAX (an integer result)
  std::int32_t Popped;      // argument bytes the callee removed from the stack
  std::uint32_t Clobbered;  // kClobbered* bits: callee-saved state the callee did not keep
  std::int32_t X87Pushed;   // values the callee left on the x87 stack (1 for a float result, else 0)
};

// Pushes Args[Count-1] ... Args[0] (so Args[0] is the leftmost argument), calls Function, fills *Out,
// then drops whatever the callee left on the x87 stack and restores the caller's frame.
void HvCallStdcall(const void* Function, const std::uint32_t* Args, std::uint32_t Count, THvCallResult* Out);

// A callee that breaks every rule the probe checks (pops 8 bytes, loses EBX and ESI, leaves the
// direction flag set and one x87 value), so a test can show the probe sees each fault.
void HvBadlyBehavedCallee(void);
}

inline constexpr std::uint32_t kClobberedEbx = 1, kClobberedEsi = 2, kClobberedEdi = 4,
                               kClobberedDirectionFlag = 8;
