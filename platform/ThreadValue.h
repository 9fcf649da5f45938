// The library's one pointer per thread, and a notice on the ending thread when a thread that set one
// ends, so that what it points to can be given back. Reading it is a few instructions: it runs on every
// record and value call.
#pragma once

namespace halvern::platform {

using TThreadEndProc = void (*)(void* Value);

// The calling thread's value; null until it sets one.
#ifdef _WIN32
void* ThreadValue() noexcept;
#else
// Read inline: a load off the thread pointer (initial-exec, so no call into the dynamic linker).
[[gnu::tls_model("initial-exec")]] extern constinit thread_local void* tThreadValue;
inline void* ThreadValue() noexcept {
  return tThreadValue;
}
#endif
// Sets the calling thread's value; false (nothing set) when the system has no room for it. Proc is
// called, on the ending thread, with the value of each thread that ends while its value is not null; the
// first call's Proc is the one kept.
bool SetThreadValue(void* Value, TThreadEndProc Proc) noexcept;
// Gives the calling thread's notice now, as its end would. Windows hears of an ending thread through a
// TLS callback of the platform layer's own, in a program as in a DLL; elsewhere this does nothing.
void ThreadEnding() noexcept;
// At unload: no notices after this. Values still set are the caller's to give back.
void ReleaseThreadValues() noexcept;

}  // namespace halvern::platform
