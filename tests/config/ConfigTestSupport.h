// Test doubles for the configuration page: a port derived from TCeTransPort that counts its live
// instances, an event sink that records hints, and a page on a headless view whose message boxes are
// recorded instead of shown.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cetext/CeTransPort.h"
#include "config/CeConfigPage.h"
#include "config/HeadlessConfigView.h"

namespace halvern::test {

inline const std::vector<std::string> kImportTitles = {"\xB1\xE0\xBA\xC5",                  // 编号
                                                       "\xC5\xCC\xB5\xE3\xB1\xEA\xD6\xBE",  // 盘点标志
                                                       "\xB1\xB8\xD7\xA2"};                 // 备注

// A port of its own class on the real port base: counts its live instances and its Initialize calls.
class TFakePort final : public TCeTransPort {
 public:
  static inline int Live = 0;

  // A new port holding Defaults, as a factory would hand it out (one reference).
  static TComPtr<ITransNode> Make(std::vector<std::string> Defaults = kImportTitles, int32_t Kind = 1);
  static TFakePort* Of(const TComPtr<ITransNode>& Node) { return dynamic_cast<TFakePort*>(Node.Get()); }

  std::vector<std::string> FDefaults;
  int32_t FInitializeCalls = 0;

  bool HV_STDCALL Initialize(int32_t Kind) override {
    ++FInitializeCalls;
    return TCeTransPort::Initialize(Kind);
  }
  std::vector<std::string> DefaultColumns() const override { return FDefaults; }
  TComPtr<ITransNode> CreateSameClass() const override { return Make(FDefaults, 0); }

 private:
  TFakePort() { ++Live; }
  ~TFakePort() override { --Live; }
};

class TRecordingEvents final : public ITransEvents {
 public:
  struct THint {
    std::string Caption, Text;
  };
  std::vector<THint> Hints;

  static TComPtr<TRecordingEvents> Make() { return TComPtr<TRecordingEvents>(new TRecordingEvents); }

  HRESULT HV_STDCALL QueryInterface(const TGuid& Iid, void** Obj) override {
    if (Iid == IInterface::IID || Iid == ITransEvents::IID) {
      *Obj = static_cast<ITransEvents*>(this);
      AddRef();
      return S_OK;
    }
    *Obj = nullptr;
    return E_NOINTERFACE;
  }
  int32_t HV_STDCALL AddRef() override { return ++FCount; }
  int32_t HV_STDCALL Release() override {
    const int32_t Count = --FCount;
    if (Count == 0) delete this;
    return Count;
  }
  void HV_STDCALL LogMessage(int32_t, const std::string&) override {}
  void HV_STDCALL ShowHint(const std::string& Caption, const std::string& Text) override {
    Hints.push_back({Caption, Text});
  }
  void HV_STDCALL SignalEvent(int32_t, int32_t, int32_t) override {}

 private:
  TRecordingEvents() = default;
  ~TRecordingEvents() = default;
  int32_t FCount = 0;
};

struct TShown {
  std::string Text, Caption;
};

// A page for Port on a headless view; the view's message boxes land in Shown. The page holds one
// reference, the one CreateConfigPage would hand out.
struct TPageFixture {
  std::shared_ptr<std::vector<TShown>> Shown = std::make_shared<std::vector<TShown>>();
  THeadlessConfigView* View = nullptr;
  TCeConfig* Page = nullptr;
  TComPtr<IConfigPageEx> Ref;

  explicit TPageFixture(TCeTransPort* Port) {
    auto Sink = [S = Shown](const std::string& Text, const std::string& Caption) {
      S->push_back({Text, Caption});
    };
    auto OwnedView = std::make_unique<THeadlessConfigView>(Sink);
    View = OwnedView.get();
    Page = new TCeConfig(std::move(OwnedView));
    Ref = TComPtr<IConfigPageEx>(Page);
    Page->LoadFrom(Port);
  }

  std::vector<std::string> Items() const {
    std::vector<std::string> R;
    for (int I = 0; I < View->ItemCount(); ++I) R.push_back(View->ItemCaption(I));
    return R;
  }
};

}  // namespace halvern::test
