// The controls of the text engine's configuration page, apart from any toolkit. The page logic
// (TCeConfig) drives a view through this class; the view reports the user's button clicks and close
// requests back through TConfigViewListener.
//
// A view keeps its values while it has no window (before the page is shown and after it is hidden), so
// the page can load and read them at any time. The page owns its view; the listener (the page) outlives
// it. Views live on the host's GUI thread and are not thread-safe.
#pragma once

#include <memory>
#include <string>

namespace halvern {

// The four push buttons of the page, in tab order.
enum class TConfigButton { Add, Delete, Up, Down };

class TConfigViewListener {
 public:
  virtual void ButtonClicked(TConfigButton Button) = 0;
  // Asked when the window is asked to close; false refuses.
  virtual bool CloseQuery() = 0;

 protected:
  ~TConfigViewListener() = default;
};

class TConfigView {
 public:
  virtual ~TConfigView() = default;

  virtual void SetListener(TConfigViewListener* Listener) = 0;

  // Makes the page a visible child of the host's native window, filling its client area and following
  // its resizing. ParentWindow may be null: the page then stays without a window.
  virtual void AttachToParent(void* ParentWindow) = 0;
  // Hides the page and leaves the host's window; the values stay readable.
  virtual void DetachFromParent() = 0;
  virtual bool IsAttached() const = 0;

  // The device file name box (GBK).
  virtual std::string GetFileText() const = 0;
  virtual void SetFileText(const std::string& Text) = 0;
  // The title line check box.
  virtual bool GetHasTitle() const = 0;
  virtual void SetHasTitle(bool Checked) = 0;

  // The column list: one item per column title (GBK), in column order.
  virtual int ItemCount() const = 0;
  virtual std::string ItemCaption(int Index) const = 0;
  virtual void AddItem(const std::string& Caption) = 0;
  // Index may equal ItemCount (append).
  virtual void InsertItem(int Index, const std::string& Caption) = 0;
  virtual void DeleteItem(int Index) = 0;
  virtual void ClearItems() = 0;
  // The selected item, or -1.
  virtual int SelectedIndex() const = 0;
  // Selects the item and marks it as the list's focused item; the keyboard focus does not move.
  virtual void SelectAndMarkItem(int Index) = 0;

  // Keyboard focus.
  virtual void FocusList() = 0;
  virtual void FocusFileEdit() = 0;

  // A modal message box with only an OK button, owned by the active window.
  virtual void ShowMessage(const std::string& Text, const std::string& Caption) = 0;
};

// The platform's view: the Win32 window on Windows, the headless view elsewhere.
std::unique_ptr<TConfigView> CreateConfigView();

}  // namespace halvern
