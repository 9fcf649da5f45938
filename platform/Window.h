// Embedding a window in a foreign native window: the child fills the parent's client area and follows
// its resizing, and the DPI a window is shown at. On systems without native windows (the headless page)
// these keep nothing but the handles.
//
// A TParentFill belongs to the window it resizes and is used on that window's GUI thread only.
#pragma once

namespace halvern::platform {

class TParentFill {
 public:
  TParentFill() = default;
  TParentFill(const TParentFill&) = delete;
  TParentFill& operator=(const TParentFill&) = delete;
  ~TParentFill() { Release(); }

  // Sizes Child to Parent's client area now and whenever Parent is resized, until Release or until
  // Parent is destroyed. Both are native window handles (HWND on Windows).
  void Follow(void* Parent, void* Child);
  // Stops following; the parent's window procedure is as it was before Follow.
  void Release() noexcept;
  void* Parent() const { return FParent; }

  // Internal: the parent is going away.
  void ParentDestroyed() noexcept { FParent = nullptr; }
  void* Child() const { return FChild; }

 private:
  void* FParent = nullptr;
  void* FChild = nullptr;
};

// Dots per inch at which Window is shown; 96 where that cannot be known.
int WindowDpi(void* Window);

}  // namespace halvern::platform
