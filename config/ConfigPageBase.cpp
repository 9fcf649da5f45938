#include "config/ConfigPageBase.h"

#include <atomic>
#include <utility>

namespace halvern {
namespace {

// Written once at load, before any page exists; read on the GUI thread.
std::atomic<void (*)(ITransNode*)> GAddHandle{nullptr};
std::atomic<void (*)(ITransNode*)> GRemoveHandle{nullptr};

}  // namespace

void SetPageHandleHooks(TPageHandleHooks Hooks) noexcept {
  GAddHandle.store(Hooks.Add);
  GRemoveHandle.store(Hooks.Remove);
}

TCustomConfig::TCustomConfig(std::unique_ptr<TConfigView> View) : FView(std::move(View)) {
  FView->SetListener(this);
}

TCustomConfig::~TCustomConfig() {
  // The view may still have a window whose messages would reach this page.
  FView->DetachFromParent();
  FView->SetListener(nullptr);
}

HRESULT HV_STDCALL TCustomConfig::QueryInterface(const TGuid& Iid, void** Obj) {
  if (!Obj) return E_NOINTERFACE;
  if (Iid == IInterface::IID || Iid == IConfigPage::IID) {
    *Obj = static_cast<IConfigPage*>(this);
    AddRef();
    return S_OK;
  }
  *Obj = nullptr;
  return E_NOINTERFACE;
}

int32_t HV_STDCALL TCustomConfig::AddRef() {
  return ++FRefCount;
}

int32_t HV_STDCALL TCustomConfig::Release() {
  const int32_t Count = --FRefCount;
  if (Count == 0) delete this;
  return Count;
}

bool HV_STDCALL TCustomConfig::ShowPage(void* ParentWindow, uint8_t Flag) {
  FFlag = Flag;
  FView->AttachToParent(ParentWindow);
  // Registered once however often the page is shown, so one HidePage always takes the handle away.
  if (!FRegisteredNode) {
    if (TComPtr<ITransNode> Node = GetPortNode()) {
      if (const auto Add = GAddHandle.load()) Add(Node.Get());
      FRegisteredNode = std::move(Node);
    }
  }
  return true;
}

void HV_STDCALL TCustomConfig::HidePage() {
  if (TComPtr<ITransNode> Node = std::exchange(FRegisteredNode, nullptr)) {
    if (const auto Remove = GRemoveHandle.load()) Remove(Node.Get());
  }
  FView->DetachFromParent();
}

bool HV_STDCALL TCustomConfig::IsBOF() {
  return FStepIndex == 0;
}

bool HV_STDCALL TCustomConfig::IsEOF() {
  return FStepIndex == static_cast<int32_t>(FSteps.size()) - 1;
}

void TCustomConfig::GoTo(int32_t Index) {
  if (Index < 0 || Index >= static_cast<int32_t>(FSteps.size())) return;
  FStepIndex = Index;
  ShowStep(FSteps[static_cast<size_t>(Index)]);
}

void HV_STDCALL TCustomConfig::First() {
  GoTo(0);
}

void HV_STDCALL TCustomConfig::Last() {
  GoTo(static_cast<int32_t>(FSteps.size()) - 1);
}

void HV_STDCALL TCustomConfig::Next() {
  GoTo(FStepIndex + 1);
}

void HV_STDCALL TCustomConfig::Previous() {
  GoTo(FStepIndex - 1);
}

void HV_STDCALL TCustomConfig::GetWorkPort(ITransPort** Port) {
  if (!Port) return;
  *Port = nullptr;
  if (TComPtr<ITransNode> Node = GetPortNode()) Node->GetPort(Port);
}

TComPtr<ITransNode> TCustomConfig::GetPortNode() {
  return {};
}

bool TCustomConfig::CloseQuery() {
  return FRefCount.load() == 0;
}

}  // namespace halvern
