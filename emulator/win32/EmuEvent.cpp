// Events on Windows: a manual-reset event, as the real library hands back.
#include <windows.h>

#include "emulator/EmuEvent.h"

namespace rapiemu {

bool TEmuEvent::Create() {
  Close();
  HANDLE H = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (H == nullptr) return false;
  FHandle = reinterpret_cast<intptr_t>(H);
  return true;
}

void TEmuEvent::Set() {
  if (FHandle != 0) SetEvent(reinterpret_cast<HANDLE>(FHandle));
}

void TEmuEvent::Close() noexcept {
  if (FHandle != 0) CloseHandle(reinterpret_cast<HANDLE>(std::exchange(FHandle, 0)));
}

}  // namespace rapiemu
