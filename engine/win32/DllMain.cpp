// The library's entry point on Windows: lets go of what is still registered at FreeLibrary, and of
// nothing at process termination (see engine/Halvern.cpp).
#include "device/KtRAPI.h"
#include "engine/EngineState.h"
#include "engine/HandleRegistry.h"

// After the engine's headers, which define the few Windows names they use themselves.
#include <windows.h>

// Light work only: the loader lock is held. The runtime destroys the library's objects after this
// returns.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD Reason, LPVOID Reserved) {
  if (Reason != DLL_PROCESS_DETACH) return TRUE;
  if (Reserved == nullptr) {
    halvern::ReleaseHandleRegistry();
    halvern::ClearEngineIdentity();
    halvern::UnloadRapi();
  } else {
    halvern::AbandonHandleRegistry();
  }
  return TRUE;
}
