// A thread_local read straight off the thread pointer (initial-exec: no call into the dynamic linker on
// each read), with a pthread key whose destructor carries the notice. The key is deleted at unload,
// before the library's code goes away, so no destructor runs into unmapped code.
#include "platform/ThreadValue.h"

#include <pthread.h>

#include <mutex>

namespace halvern::platform {

[[gnu::tls_model("initial-exec")]] constinit thread_local void* tThreadValue = nullptr;

namespace {

constinit std::mutex KeyLock;
constinit bool HaveKey = false;
constinit pthread_key_t Key{};
constinit TThreadEndProc EndProc = nullptr;

void OnThreadEnd(void* Value) {
  tThreadValue = nullptr;
  if (TThreadEndProc Proc = EndProc) Proc(Value);
}

}  // namespace

bool SetThreadValue(void* Value, TThreadEndProc Proc) noexcept {
  {
    std::lock_guard Lock(KeyLock);
    if (!HaveKey) {
      if (pthread_key_create(&Key, &OnThreadEnd) != 0) return false;
      EndProc = Proc;
      HaveKey = true;
    }
    if (pthread_setspecific(Key, Value) != 0) return false;
  }
  tThreadValue = Value;
  return true;
}

void ThreadEnding() noexcept {}

void ReleaseThreadValues() noexcept {
  std::lock_guard Lock(KeyLock);
  if (!HaveKey) return;
  pthread_key_delete(Key);
  HaveKey = false;
  tThreadValue = nullptr;
}

}  // namespace halvern::platform
