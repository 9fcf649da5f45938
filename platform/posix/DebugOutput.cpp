#include "platform/DebugOutput.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>

namespace halvern::platform {

void WriteDebugLine(std::string_view Utf8Line) noexcept {
  std::fwrite(Utf8Line.data(), 1, Utf8Line.size(), stderr);
  std::fputc('\n', stderr);
}

uint32_t CurrentThreadNumber() noexcept {
  return static_cast<uint32_t>(::syscall(SYS_gettid));
}

}  // namespace halvern::platform
