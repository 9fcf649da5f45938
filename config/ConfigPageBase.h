// TCustomConfig: the base of the engine's configuration pages. The host embeds a page in a window of its
// own and walks it as a small step-by-step wizard; the page offers itself as IConfigPage, keeps its own
// reference count (it has no owner: the last Release destroys it), keeps the list of steps and the
// current step, and has the port it edits registered as a handle while it is shown (through the hooks
// below, which the export layer installs).
//
// A page owns its view (the controls); derived pages decide what the view shows and how it is validated
// and stored. Lives on the host's GUI thread; only the reference count is atomic.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "config/ConfigView.h"
#include "transport/ConfigPage.h"

namespace halvern {

// Told when a shown page's working port is to become a handle and when it is to stop being one. The
// engine's wiring installs its handle registry here at load (tests may install their own); while none
// is installed a shown page registers nothing.
struct TPageHandleHooks {
  void (*Add)(ITransNode* Node) = nullptr;
  void (*Remove)(ITransNode* Node) = nullptr;
};
void SetPageHandleHooks(TPageHandleHooks Hooks) noexcept;

class TCustomConfig : public TObject, public IConfigPageEx, protected TConfigViewListener {
 public:
  TCustomConfig(const TCustomConfig&) = delete;
  TCustomConfig& operator=(const TCustomConfig&) = delete;

  // IInterface: answers IInterface and IConfigPage; derived pages add what they declare.
  HRESULT HV_STDCALL QueryInterface(const TGuid& Iid, void** Obj) override;
  int32_t HV_STDCALL AddRef() override;
  int32_t HV_STDCALL Release() override;

  // IConfigPage.
  bool HV_STDCALL ShowPage(void* ParentWindow, uint8_t Flag) override;
  void HV_STDCALL HidePage() override;
  bool HV_STDCALL IsBOF() override;
  bool HV_STDCALL IsEOF() override;
  bool HV_STDCALL CheckSucceed() override = 0;
  void HV_STDCALL UpdatePort() override = 0;
  // Navigation presents the step it arrives at. Moving past either end, or with no steps, does nothing.
  void HV_STDCALL First() override;
  void HV_STDCALL Last() override;
  void HV_STDCALL Next() override;
  void HV_STDCALL Previous() override;

  // IConfigPageEx: the port of GetPortNode as ITransPort, or null.
  void HV_STDCALL GetWorkPort(ITransPort** Port) override;

  // The port the page works on; the base has none.
  virtual TComPtr<ITransNode> GetPortNode();

  // A close request is granted only while nobody holds a reference to the page.
  bool CloseQuery() override;

  int32_t RefCount() const { return FRefCount.load(); }
  int32_t StepIndex() const { return FStepIndex; }
  uint8_t Flag() const { return FFlag; }
  TConfigView& View() const { return *FView; }

 protected:
  explicit TCustomConfig(std::unique_ptr<TConfigView> View);
  ~TCustomConfig() override;

  void SetSteps(std::vector<int32_t> Steps) { FSteps = std::move(Steps); }
  virtual void ShowStep(int32_t StepId) = 0;
  void ButtonClicked(TConfigButton) override {}

 private:
  void GoTo(int32_t Index);

  std::atomic<int32_t> FRefCount{0};
  std::vector<int32_t> FSteps;
  int32_t FStepIndex = 0;
  uint8_t FFlag = 0;
  std::unique_ptr<TConfigView> FView;
  // The node added to the handle registry by ShowPage, kept so that it is added once and removed once.
  TComPtr<ITransNode> FRegisteredNode;
};

}  // namespace halvern
