#include "platform/Window.h"

#include <windows.h>
// After windows.h, which declares the types it uses.
#include <commctrl.h>

namespace halvern::platform {

namespace {

void FillClientArea(HWND Parent, HWND Child) {
  RECT R;
  if (GetClientRect(Parent, &R))
    SetWindowPos(Child, nullptr, 0, 0, R.right - R.left, R.bottom - R.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// Subclass procedure on the host's window: the child follows every size change.
LRESULT CALLBACK ParentProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam, UINT_PTR Id, DWORD_PTR Data) {
  auto* Fill = reinterpret_cast<TParentFill*>(Data);
  switch (Msg) {
    case WM_SIZE:
      if (Fill->Child()) FillClientArea(Wnd, static_cast<HWND>(Fill->Child()));
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(Wnd, &ParentProc, Id);
      Fill->ParentDestroyed();
      break;
    default: break;
  }
  return DefSubclassProc(Wnd, Msg, WParam, LParam);
}

}  // namespace

void TParentFill::Follow(void* Parent, void* Child) {
  Release();
  HWND P = static_cast<HWND>(Parent);
  if (!P || !IsWindow(P)) return;
  FChild = Child;
  if (SetWindowSubclass(P, &ParentProc, reinterpret_cast<UINT_PTR>(this), reinterpret_cast<DWORD_PTR>(this)))
    FParent = Parent;
  FillClientArea(P, static_cast<HWND>(Child));
}

void TParentFill::Release() noexcept {
  if (FParent)
    RemoveWindowSubclass(static_cast<HWND>(FParent), &ParentProc, reinterpret_cast<UINT_PTR>(this));
  FParent = nullptr;
  FChild = nullptr;
}

int WindowDpi(void* Window) {
  // GetDpiForWindow exists from Windows 10 1607 on; older systems report the screen's DPI.
  using TGetDpiForWindow = UINT(WINAPI*)(HWND);
  static const auto GetDpi = reinterpret_cast<TGetDpiForWindow>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  HWND Wnd = static_cast<HWND>(Window);
  if (GetDpi && Wnd) {
    if (const UINT Dpi = GetDpi(Wnd)) return static_cast<int>(Dpi);
  }
  int Dpi = 0;
  if (HDC Dc = GetDC(Wnd)) {
    Dpi = GetDeviceCaps(Dc, LOGPIXELSY);
    ReleaseDC(Wnd, Dc);
  }
  return Dpi > 0 ? Dpi : 96;
}

}  // namespace halvern::platform
