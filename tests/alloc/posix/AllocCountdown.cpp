// The countdown on Linux: this program's malloc, calloc and realloc stand in for the C library's for the
// whole process, the engine library and the emulator included, and forward to it. Each trial runs in a
// child forked from this process, which has loaded both libraries and made no call.
#include "alloc/AllocCountdown.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace halvern::test {
namespace {

#ifdef HALVERN_SANITIZE_BUILD
constexpr const char* kUnavailable =
    "the sanitizer's allocator replaces malloc; the linux preset runs this loop";
#else
constexpr const char* kUnavailable = nullptr;
#endif

void Say(TTrialResult& R, const char* Text) {
  R.Verdict = TVerdict::Crashed;
  std::snprintf(R.How, sizeof R.How, "%s", Text);
}

}  // namespace

const char* CountdownUnavailable() {
  return kUnavailable;
}

const char* FailingForGoodUnavailable() {
  return kUnavailable;
}

TTrialResult RunOnFreshEngine(TTrial Trial, uint64_t N, unsigned Seconds) {
  TTrialResult R;
  const TExports* E = Engine();
  int Pipe[2];
  if (E == nullptr || pipe(Pipe) != 0) {
    Say(R, "no engine or no pipe");
    return R;
  }
  const pid_t Child = fork();
  if (Child == 0) {
    close(Pipe[0]);
    alarm(Seconds);  // a trial that hangs ends here, by the signal
    const TTrialResult Got = Trial(*E, N);
    const ssize_t Written = write(Pipe[1], &Got, sizeof Got);
    _exit(Written == static_cast<ssize_t>(sizeof Got) ? 0 : 1);
  }
  close(Pipe[1]);
  size_t Have = 0;
  while (Child > 0 && Have < sizeof R) {
    const ssize_t Got = read(Pipe[0], reinterpret_cast<char*>(&R) + Have, sizeof R - Have);
    if (Got <= 0 && errno != EINTR) break;
    if (Got > 0) Have += static_cast<size_t>(Got);
  }
  close(Pipe[0]);
  int Status = 0;
  if (Child < 0 || waitpid(Child, &Status, 0) != Child) {
    Say(R, "no child process");
  } else if (WIFSIGNALED(Status)) {
    R = TTrialResult{true};
    std::snprintf(R.How, sizeof R.How, "%s",
                  WTERMSIG(Status) == SIGALRM ? "hung" : strsignal(WTERMSIG(Status)));
    R.Verdict = TVerdict::Crashed;
  } else if (Have != sizeof R || WEXITSTATUS(Status) != 0) {
    R = TTrialResult{true};
    Say(R, "ended without a result");
  }
  return R;
}

}  // namespace halvern::test

#ifndef HALVERN_SANITIZE_BUILD
// The C library's own entry points, which these forward to.
extern "C" void* __libc_malloc(size_t Size);
extern "C" void* __libc_calloc(size_t Count, size_t Size);
extern "C" void* __libc_realloc(void* Block, size_t Size);

extern "C" void* malloc(size_t Size) noexcept {
  return halvern::test::CountdownFailsNow() ? nullptr : __libc_malloc(Size);
}

extern "C" void* calloc(size_t Count, size_t Size) noexcept {
  return halvern::test::CountdownFailsNow() ? nullptr : __libc_calloc(Count, Size);
}

extern "C" void* realloc(void* Block, size_t Size) noexcept {
  return halvern::test::CountdownFailsNow() ? nullptr : __libc_realloc(Block, Size);
}
#endif
