// TCeConfig: the device text engine's configuration page, made by a port's CreateConfigPage (through
// CreateCeConfig, the page factory the engine's wiring hands the ports) for import and export ports
// alike; it edits them through IEditablePort and knows no port class. It shows the port's ordered column
// titles, its device file name and its title flag, and edits them on a working copy of the port.
//
// Ownership: the page holds a counted reference to the port it was made for (FPort) and to its working
// copy (FWorkPort, made on first use) for its whole life; neither port refers back to the page. Entries
// reach a port only through SaveTo: CheckSucceed stores them into the working copy once they are valid,
// UpdatePort into FPort. Lives on the host's GUI thread.
#pragma once

#include <memory>
#include <string>

#include "config/ConfigPageBase.h"
#include "transport/EditablePort.h"

namespace halvern {

class TCeConfig final : public TCustomConfig {
 public:
  explicit TCeConfig(std::unique_ptr<TConfigView> View);

  // Binds the page to Port and shows its settings.
  void LoadFrom(IEditablePort* Port);
  // Stores the entries into Port: the file name without surrounding blanks and control characters, the
  // title flag, and the column titles in list order, unchanged.
  void SaveTo(IEditablePort& Port) const;

  HRESULT HV_STDCALL QueryInterface(const TGuid& Iid, void** Obj) override;
  bool HV_STDCALL ShowPage(void* ParentWindow, uint8_t Flag) override;
  bool HV_STDCALL CheckSucceed() override;
  void HV_STDCALL UpdatePort() override;
  // The working copy, made from FPort on first use; empty while no port is bound.
  TComPtr<ITransNode> GetPortNode() override;

  // The buttons: add, delete, move up, move down.
  void AddClick();
  void DeleteClick();
  void UpClick();
  void DownClick();

  IEditablePort* Port() const { return FPort; }
  IEditablePort* WorkPort() const { return FWorkPort; }

 protected:
  void ShowStep(int32_t StepId) override;
  void ButtonClicked(TConfigButton Button) override;

 private:
  TComPtr<ITransNode> FPortRef;
  IEditablePort* FPort = nullptr;
  TComPtr<ITransNode> FWorkRef;
  IEditablePort* FWorkPort = nullptr;
};

// Creates a page bound to Port (LoadFrom done) and returns its IConfigPageEx; empty when none was made.
// This is the ports' TConfigPageFactory.
TComPtr<IConfigPageEx> CreateCeConfig(IEditablePort& Port);

}  // namespace halvern
