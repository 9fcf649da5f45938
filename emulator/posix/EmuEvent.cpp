// Events on Linux: an eventfd, which poll() reports readable once it is written to.
#include <fcntl.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>

#include "emulator/EmuEvent.h"

namespace rapiemu {

bool TEmuEvent::Create() {
  Close();
  int Fd = ::eventfd(0, EFD_CLOEXEC);
  if (Fd == 0) {
    // A null handle would read as no event at all: move it off descriptor 0.
    const int Moved = ::fcntl(Fd, F_DUPFD_CLOEXEC, 1);
    ::close(Fd);
    Fd = Moved;
  }
  if (Fd < 0) return false;
  FHandle = Fd;
  return true;
}

void TEmuEvent::Set() {
  if (FHandle <= 0) return;
  const uint64_t One = 1;
  // Fails only for a counter at its maximum, which is set already.
  while (::write(static_cast<int>(FHandle), &One, sizeof One) < 0 && errno == EINTR) {
  }
}

void TEmuEvent::Close() noexcept {
  if (FHandle > 0) ::close(static_cast<int>(std::exchange(FHandle, 0)));
}

}  // namespace rapiemu
