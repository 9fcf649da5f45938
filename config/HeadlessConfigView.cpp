#include "config/HeadlessConfigView.h"

#include <utility>

#include "platform/MessageBox.h"

namespace halvern {

THeadlessConfigView::THeadlessConfigView() : FSink(&platform::ShowMessage) {}

THeadlessConfigView::THeadlessConfigView(TMessageSink Sink) : FSink(std::move(Sink)) {}

void THeadlessConfigView::AttachToParent(void* ParentWindow) {
  FParent = ParentWindow;
  FAttached = true;
}

void THeadlessConfigView::DetachFromParent() {
  FParent = nullptr;
  FAttached = false;
}

std::string THeadlessConfigView::ItemCaption(int Index) const {
  return ValidIndex(Index) ? FItems[static_cast<size_t>(Index)] : std::string();
}

void THeadlessConfigView::AddItem(const std::string& Caption) {
  FItems.push_back(Caption);
}

void THeadlessConfigView::InsertItem(int Index, const std::string& Caption) {
  if (Index < 0 || Index > ItemCount()) Index = ItemCount();
  FItems.insert(FItems.begin() + Index, Caption);
  // Indices after the insertion point move down by one, as in a list control.
  if (FSelected >= Index) ++FSelected;
  if (FMarked >= Index) ++FMarked;
}

void THeadlessConfigView::DeleteItem(int Index) {
  if (!ValidIndex(Index)) return;
  FItems.erase(FItems.begin() + Index);
  auto Shift = [Index](int& Slot) {
    if (Slot == Index)
      Slot = -1;
    else if (Slot > Index)
      --Slot;
  };
  Shift(FSelected);
  Shift(FMarked);
}

void THeadlessConfigView::ClearItems() {
  FItems.clear();
  FSelected = -1;
  FMarked = -1;
}

void THeadlessConfigView::SelectAndMarkItem(int Index) {
  if (!ValidIndex(Index)) return;
  FSelected = Index;
  FMarked = Index;
}

void THeadlessConfigView::ShowMessage(const std::string& Text, const std::string& Caption) {
  if (FSink) FSink(Text, Caption);
}

void THeadlessConfigView::ClickButton(TConfigButton Button) {
  if (FListener) FListener->ButtonClicked(Button);
}

bool THeadlessConfigView::RequestClose() {
  return FListener ? FListener->CloseQuery() : true;
}

void THeadlessConfigView::RenameItem(int Index, const std::string& Caption) {
  if (ValidIndex(Index)) FItems[static_cast<size_t>(Index)] = Caption;
}

}  // namespace halvern
