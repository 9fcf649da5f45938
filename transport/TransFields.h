// Base classes of every column object a port creates.
//
// TCollectObject: owned by its port, but its interface references count on the port (its controller),
// so a host holding a column keeps the port alive; reference counting never frees a column, the port
// destroys it. When a column is destroyed it gives back to the controller every reference still out, and
// the references outside users hold become inert (AddRef and Release answer 0).
// TCustomTransField: a column definition (name, type, index); TCustomFieldReader and TCustomFiledWriter
// add one typed getter or setter per field type with neutral defaults, so a concrete column overrides
// only the types it serves.
//
// Thread-safety: the count changes atomically; everything else is driven from the port's calling thread.
#pragma once

#include <atomic>
#include <string>

#include "transport/TransDefine.h"

namespace halvern {

class TCollectObject : public TObject, public IInterface {
 public:
  // Controller is not counted: the port owns the column, not the reverse. It may be null.
  explicit TCollectObject(IInterface* Controller) noexcept : FController(Controller) {}
  TCollectObject(const TCollectObject&) = delete;
  TCollectObject& operator=(const TCollectObject&) = delete;
  ~TCollectObject() override { ReleaseController(); }

  HRESULT HV_STDCALL QueryInterface(const TGuid& Iid, void** Obj) override;
  int32_t HV_STDCALL AddRef() override;
  int32_t HV_STDCALL Release() override;

  IInterface* Controller() const noexcept { return FController.load(); }
  // References this object added to its controller and has not given back.
  int32_t RefCount() const noexcept { return FRefCount.load(); }

 protected:
  // Points *Obj at the interface Iid of this object without counting; false when the class lacks it.
  // Each class answers for its own interfaces and asks its base for the rest.
  virtual bool GetInterface(const TGuid& Iid, void** Obj);

  // Forgets the controller and gives back every reference still counted on it; afterwards AddRef and
  // Release do nothing. The destructor runs it; a port may run it earlier.
  void ReleaseController() noexcept;

 private:
  std::atomic<IInterface*> FController;
  std::atomic<int32_t> FRefCount{0};
};

class TCustomTransField : public TCollectObject, public ITransField {
 public:
  using TCollectObject::TCollectObject;

  HRESULT HV_STDCALL QueryInterface(const TGuid& Iid, void** Obj) override {
    return TCollectObject::QueryInterface(Iid, Obj);
  }
  int32_t HV_STDCALL AddRef() override { return TCollectObject::AddRef(); }
  int32_t HV_STDCALL Release() override { return TCollectObject::Release(); }

  // The stored name, or "列(<index>)" while none is stored.
  std::string HV_STDCALL GetName() override;
  void HV_STDCALL SetName(const std::string& Name) override { FName = Name; }
  int32_t HV_STDCALL GetFieldType() override { return ftUnknown; }
  int32_t HV_STDCALL GetIndex() override { return 0; }

 protected:
  bool GetInterface(const TGuid& Iid, void** Obj) override;

  std::string FName;
};

class TCustomFieldReader : public TCustomTransField, public IFieldReader {
 public:
  using TCustomTransField::TCustomTransField;

  // Both inherited paths to IInterface and ITransField end here.
  HRESULT HV_STDCALL QueryInterface(const TGuid& Iid, void** Obj) override {
    return TCollectObject::QueryInterface(Iid, Obj);
  }
  int32_t HV_STDCALL AddRef() override { return TCollectObject::AddRef(); }
  int32_t HV_STDCALL Release() override { return TCollectObject::Release(); }
  std::string HV_STDCALL GetName() override { return TCustomTransField::GetName(); }
  void HV_STDCALL SetName(const std::string& Name) override { TCustomTransField::SetName(Name); }
  int32_t HV_STDCALL GetFieldType() override { return TCustomTransField::GetFieldType(); }
  int32_t HV_STDCALL GetIndex() override { return TCustomTransField::GetIndex(); }

  bool HV_STDCALL IsNull() override { return true; }
  bool HV_STDCALL GetAsBoolean() override { return false; }
  uint8_t HV_STDCALL GetAsByte() override { return 0; }
  uint16_t HV_STDCALL GetAsWord() override { return 0; }
  uint32_t HV_STDCALL GetAsLongWord() override { return 0; }
  int8_t HV_STDCALL GetAsShortInt() override { return 0; }
  int16_t HV_STDCALL GetAsSmallInt() override { return 0; }
  int32_t HV_STDCALL GetAsInteger() override { return 0; }
  int64_t HV_STDCALL GetAsInt64() override { return 0; }
  float HV_STDCALL GetAsSingle() override { return 0.0f; }
  double HV_STDCALL GetAsDouble() override { return 0.0; }
  TExtended HV_STDCALL GetAsExtended() override { return 0.0L; }
  void HV_STDCALL GetAsGuid(TGuid& Value) override { Value = TGuid{}; }
  TDateTime HV_STDCALL GetAsDateTime() override { return 0.0; }
  std::string HV_STDCALL GetAsString() override { return {}; }
  std::u16string HV_STDCALL GetAsWideString() override { return {}; }
  TStream* HV_STDCALL GetAsBlob() override { return nullptr; }

 protected:
  bool GetInterface(const TGuid& Iid, void** Obj) override;
};

// Spelled so: the name is part of the port classes' vocabulary.
class TCustomFiledWriter : public TCustomTransField, public IFieldWriter {
 public:
  using TCustomTransField::TCustomTransField;

  HRESULT HV_STDCALL QueryInterface(const TGuid& Iid, void** Obj) override {
    return TCollectObject::QueryInterface(Iid, Obj);
  }
  int32_t HV_STDCALL AddRef() override { return TCollectObject::AddRef(); }
  int32_t HV_STDCALL Release() override { return TCollectObject::Release(); }
  std::string HV_STDCALL GetName() override { return TCustomTransField::GetName(); }
  void HV_STDCALL SetName(const std::string& Name) override { TCustomTransField::SetName(Name); }
  int32_t HV_STDCALL GetFieldType() override { return TCustomTransField::GetFieldType(); }
  int32_t HV_STDCALL GetIndex() override { return TCustomTransField::GetIndex(); }

  // Every default ignores its value.
  void HV_STDCALL SetAsBoolean(bool) override {}
  void HV_STDCALL SetAsByte(uint8_t) override {}
  void HV_STDCALL SetAsWord(uint16_t) override {}
  void HV_STDCALL SetAsLongWord(uint32_t) override {}
  void HV_STDCALL SetAsShortInt(int8_t) override {}
  void HV_STDCALL SetAsSmallInt(int16_t) override {}
  void HV_STDCALL SetAsInteger(int32_t) override {}
  void HV_STDCALL SetAsInt64(int64_t) override {}
  void HV_STDCALL SetAsSingle(float) override {}
  void HV_STDCALL SetAsDouble(double) override {}
  void HV_STDCALL SetAsExtended(TExtended) override {}
  void HV_STDCALL SetAsGuid(const TGuid&) override {}
  void HV_STDCALL SetAsDateTime(TDateTime) override {}
  void HV_STDCALL SetAsString(const std::string&) override {}
  void HV_STDCALL SetAsWideString(const std::u16string&) override {}
  void HV_STDCALL SetAsBlob(TStream*) override {}

 protected:
  bool GetInterface(const TGuid& Iid, void** Obj) override;
};

}  // namespace halvern
