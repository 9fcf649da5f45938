// The part the import and export ports share beyond the port base: each answers one direction interface
// (IDataReader or IDataWriter) and the borrowed field access. Those interfaces repeat the counting and
// column operations that the port base already implements; the forwarders here route them there, so a
// directional port writes only what differs.
#pragma once

#include <string>

#include "cetext/CeTransPort.h"
#include "transport/BorrowedFields.h"

namespace halvern {

template <class IDirection>
class TCeDirectionalPort : public TCeTransPort, public IDirection, public IBorrowedFieldAccess {
 public:
  HRESULT HV_STDCALL QueryInterface(const TGuid& Iid, void** Obj) override {
    return TCeTransPort::QueryInterface(Iid, Obj);
  }
  int32_t HV_STDCALL AddRef() override { return TCeTransPort::AddRef(); }
  int32_t HV_STDCALL Release() override { return TCeTransPort::Release(); }
  int32_t HV_STDCALL GetFieldCount() override { return TCeTransPort::GetFieldCount(); }
  void HV_STDCALL FindField(const std::string& Name, ITransField** Field) override {
    TCeTransPort::FindField(Name, Field);
  }

 protected:
  bool GetInterface(const TGuid& Iid, void** Obj) override {
    if (Iid == IDirection::IID) {
      *Obj = static_cast<IDirection*>(this);
      return true;
    }
    if (Iid == IBorrowedFieldAccess::IID) {
      *Obj = static_cast<IBorrowedFieldAccess*>(this);
      return true;
    }
    return TCeTransPort::GetInterface(Iid, Obj);
  }
};

}  // namespace halvern
