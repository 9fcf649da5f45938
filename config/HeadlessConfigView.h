// A configuration view without a window: the controls' values are kept in memory. It is the page's view
// where there is no GUI (Linux), the model the Win32 view keeps while it has no window, and the view the
// page logic is tested with. Message boxes go to a sink, by default platform::ShowMessage.
//
// Not thread-safe; used on the host's GUI thread.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "config/ConfigView.h"

namespace halvern {

class THeadlessConfigView : public TConfigView {
 public:
  using TMessageSink = std::function<void(const std::string& Text, const std::string& Caption)>;

  // Where the keyboard focus was last sent.
  enum class TFocus { None, List, FileEdit };

  THeadlessConfigView();
  explicit THeadlessConfigView(TMessageSink Sink);

  void SetListener(TConfigViewListener* Listener) override { FListener = Listener; }
  void AttachToParent(void* ParentWindow) override;
  void DetachFromParent() override;
  bool IsAttached() const override { return FAttached; }

  std::string GetFileText() const override { return FFileText; }
  void SetFileText(const std::string& Text) override { FFileText = Text; }
  bool GetHasTitle() const override { return FHasTitle; }
  void SetHasTitle(bool Checked) override { FHasTitle = Checked; }

  int ItemCount() const override { return static_cast<int>(FItems.size()); }
  std::string ItemCaption(int Index) const override;
  void AddItem(const std::string& Caption) override;
  void InsertItem(int Index, const std::string& Caption) override;
  void DeleteItem(int Index) override;
  void ClearItems() override;
  int SelectedIndex() const override { return FSelected; }
  void SelectAndMarkItem(int Index) override;

  void FocusList() override { FFocus = TFocus::List; }
  void FocusFileEdit() override { FFocus = TFocus::FileEdit; }

  void ShowMessage(const std::string& Text, const std::string& Caption) override;

  // What a user does, for hosts without a window and for tests.
  void ClickButton(TConfigButton Button);
  bool RequestClose();
  void RenameItem(int Index, const std::string& Caption);
  void ClearSelection() { FSelected = -1; }

  // State a window would show.
  int MarkedIndex() const { return FMarked; }
  TFocus Focus() const { return FFocus; }
  void* Parent() const { return FParent; }

 protected:
  bool ValidIndex(int Index) const { return Index >= 0 && Index < ItemCount(); }

  TConfigViewListener* FListener = nullptr;
  TMessageSink FSink;
  std::string FFileText;
  bool FHasTitle = false;
  std::vector<std::string> FItems;
  int FSelected = -1;
  int FMarked = -1;
  TFocus FFocus = TFocus::None;
  void* FParent = nullptr;
  bool FAttached = false;
};

}  // namespace halvern
