#include "config/CeConfigPage.h"

#include <algorithm>
#include <cstdio>
#include <exception>

#include "config/ConfigTexts.h"
#include "rtl/Exceptions.h"
#include "textformat/Blanks.h"
#include "transport/OutOfMemory.h"

namespace halvern {

TCeConfig::TCeConfig(std::unique_ptr<TConfigView> View) : TCustomConfig(std::move(View)) {}

void TCeConfig::LoadFrom(IEditablePort* Port) {
  FPortRef = Port ? TComPtr<ITransNode>(&Port->Node()) : nullptr;
  FPort = Port;
  if (!Port) return;
  const TPortSettings Settings = Port->Settings();
  View().SetFileText(Settings.FileName);
  View().SetHasTitle(Settings.HasTitle);
  View().ClearItems();
  for (const std::string& Title : Settings.Columns) View().AddItem(Title);
}

void TCeConfig::SaveTo(IEditablePort& Port) const {
  TPortSettings Settings;
  Settings.FileName = TrimBlanks(View().GetFileText());
  Settings.HasTitle = View().GetHasTitle();
  const int Count = View().ItemCount();
  for (int I = 0; I < Count; ++I) Settings.Columns.push_back(View().ItemCaption(I));
  Port.ApplySettings(Settings);
}

HRESULT HV_STDCALL TCeConfig::QueryInterface(const TGuid& Iid, void** Obj) {
  if (Obj && Iid == IConfigPageEx::IID) {
    *Obj = static_cast<IConfigPageEx*>(this);
    AddRef();
    return S_OK;
  }
  return TCustomConfig::QueryInterface(Iid, Obj);
}

bool HV_STDCALL TCeConfig::ShowPage(void* ParentWindow, uint8_t Flag) {
  const bool Shown = TCustomConfig::ShowPage(ParentWindow, Flag);
  if (Shown) SetSteps({0});
  return Shown;
}

bool HV_STDCALL TCeConfig::CheckSucceed() {
  // The column list is checked first: with both missing only the column message is shown.
  if (View().ItemCount() == 0) {
    View().ShowMessage(configtext::SNoColumns, configtext::SMessageCaption);
    return false;
  }
  if (TrimBlanks(View().GetFileText()).empty()) {
    View().ShowMessage(configtext::SNoFileName, configtext::SMessageCaption);
    View().FocusFileEdit();
    return false;
  }
  // Without a bound port there is nowhere to store the entries; that is no success.
  if (!GetPortNode()) return false;
  SaveTo(*FWorkPort);
  return true;
}

void HV_STDCALL TCeConfig::UpdatePort() {
  if (!FPort) return;
  try {
    SaveTo(*FPort);
  } catch (const std::exception& E) {
    if (!IsOutOfMemory(E)) throw;
    // The port kept its previous settings (ApplySettings takes all or none). Nothing else would tell a
    // host that its user's entries were not stored: ConfigUpdate answers nothing.
    ReportOutOfMemory(FPort->Node());
    throw;
  }
}

TComPtr<ITransNode> TCeConfig::GetPortNode() {
  if (!FWorkRef && FPort) {
    TComPtr<ITransNode> Node = FPort->CreateWorkingCopy();
    auto* Work = dynamic_cast<IEditablePort*>(Node.Get());
    if (!Work) return {};
    FWorkRef = std::move(Node);
    FWorkPort = Work;
  }
  return FWorkRef;
}

void TCeConfig::ShowStep(int32_t /*StepId*/) {
  if (!FPort) return;
  if (const TComPtr<ITransEvents>& Events = FPort->Events())
    Events->ShowHint(configtext::SHintCaption, configtext::SHintText);
}

void TCeConfig::ButtonClicked(TConfigButton Button) {
  switch (Button) {
    case TConfigButton::Add: AddClick(); break;
    case TConfigButton::Delete: DeleteClick(); break;
    case TConfigButton::Up: UpClick(); break;
    case TConfigButton::Down: DownClick(); break;
  }
}

void TCeConfig::AddClick() {
  char Caption[32];
  std::snprintf(Caption, sizeof Caption, configtext::SNewColumnFmt, View().ItemCount());
  View().AddItem(Caption);
}

void TCeConfig::DeleteClick() {
  TConfigView& V = View();
  const int P = V.SelectedIndex();
  if (P < 0) return;
  V.DeleteItem(P);
  if (P < V.ItemCount())
    V.SelectAndMarkItem(P);
  else if (V.ItemCount() > 0)
    V.SelectAndMarkItem(V.ItemCount() - 1);
}

void TCeConfig::UpClick() {
  TConfigView& V = View();
  const int P = V.SelectedIndex();
  if (P <= 0) return;
  const std::string Caption = V.ItemCaption(P);
  V.DeleteItem(P);
  V.InsertItem(P - 1, Caption);
  V.SelectAndMarkItem(P - 1);
  V.FocusList();
}

void TCeConfig::DownClick() {
  TConfigView& V = View();
  const int P = V.SelectedIndex();
  if (P < 0) return;
  const std::string Caption = V.ItemCaption(P);
  V.DeleteItem(P);
  // Counted after the deletion: the last item goes back to the end, so its order stays.
  const int Target = std::min(P + 1, V.ItemCount());
  V.InsertItem(Target, Caption);
  V.SelectAndMarkItem(Target);
  V.FocusList();
}

TComPtr<IConfigPageEx> CreateCeConfig(IEditablePort& Port) {
  TComPtr<IConfigPageEx> Page(new TCeConfig(CreateConfigView()));
  static_cast<TCeConfig*>(Page.Get())->LoadFrom(&Port);
  return Page;
}

}  // namespace halvern
