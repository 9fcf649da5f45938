// Calls a function through a hand-made stdcall frame and reports how many argument bytes the callee
// removed from the stack. A compiler-generated call cannot show this: it would restore the stack
// pointer on its own and hide a callee that pops too little or too much. Windows x86 only.
#pragma once

#include <cstdint>

extern "C" {
// Pushes Args[Count-1] ... Args[0] (so Args[0] is the leftmost argument), calls Function, stores in
// *Popped the number of bytes the callee popped, restores the stack and returns the callee's EAX.
std::uint32_t HvCallStdcall(const void* Function, const std::uint32_t* Args, std::uint32_t Count,
                            std::int32_t* Popped);
}
