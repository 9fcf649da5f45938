// Test doubles for the export glue: a port of either direction with typed columns built on the column
// base classes, and a configuration page that registers a working port while shown. Each records what
// the exports did to it in a shared probe that outlives it.
#pragma once

#include <atomic>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/HandleRegistry.h"
#include "transport/ConfigPage.h"
#include "transport/TransFields.h"

namespace halvern::test {

// What happened to a fake, readable after it is gone.
struct TProbe {
  std::atomic<int> Live{0};
  std::atomic<int> Closed{0};
  std::atomic<int> MoveFirsts{0}, MoveNexts{0}, Appends{0}, Posts{0};
  std::atomic<int> FieldCount{-1}, SetTypeIndex{-1}, SetTypeValue{-1};
  std::atomic<int> Shown{0}, Hidden{0}, Firsts{0}, Lasts{0}, Nexts{0}, Previouses{0}, Updates{0};
  std::atomic<int> ShowFlag{-1};
  void* ShowParent = nullptr;
};

// A column's value and the last setter a writer column saw.
struct TFakeValue {
  bool Null = true;
  int64_t Int = 0;
  double Float = 0.0;
  std::string Str;
  std::u16string Wide;
  TGuid Guid{};
  TDateTime DateTime = 0.0;
  std::string LastSetter;  // "" until a setter ran
};

class TFakeReaderColumn : public TCustomFieldReader {
 public:
  TFakeReaderColumn(IInterface* Port, int32_t Index, int32_t Type)
      : TCustomFieldReader(Port), FIndex(Index), FType(Type) {}
  int32_t HV_STDCALL GetIndex() override { return FIndex; }
  int32_t HV_STDCALL GetFieldType() override { return FType; }
  void Hold(int64_t Int) {
    V.Null = false;
    V.Int = Int;
  }

  bool HV_STDCALL IsNull() override { return V.Null; }
  bool HV_STDCALL GetAsBoolean() override { return V.Int != 0; }
  uint8_t HV_STDCALL GetAsByte() override { return static_cast<uint8_t>(V.Int); }
  uint16_t HV_STDCALL GetAsWord() override { return static_cast<uint16_t>(V.Int); }
  uint32_t HV_STDCALL GetAsLongWord() override { return static_cast<uint32_t>(V.Int); }
  int8_t HV_STDCALL GetAsShortInt() override { return static_cast<int8_t>(V.Int); }
  int16_t HV_STDCALL GetAsSmallInt() override { return static_cast<int16_t>(V.Int); }
  int32_t HV_STDCALL GetAsInteger() override { return static_cast<int32_t>(V.Int); }
  int64_t HV_STDCALL GetAsInt64() override { return V.Int; }
  float HV_STDCALL GetAsSingle() override { return static_cast<float>(V.Float); }
  double HV_STDCALL GetAsDouble() override { return V.Float; }
  TExtended HV_STDCALL GetAsExtended() override { return V.Float; }
  void HV_STDCALL GetAsGuid(TGuid& Value) override { Value = V.Guid; }
  TDateTime HV_STDCALL GetAsDateTime() override { return V.DateTime; }
  std::string HV_STDCALL GetAsString() override { return V.Str; }
  std::u16string HV_STDCALL GetAsWideString() override { return V.Wide; }

  TFakeValue V;
  int32_t FIndex;
  int32_t FType;
};

class TFakeWriterColumn : public TCustomFiledWriter {
 public:
  TFakeWriterColumn(IInterface* Port, int32_t Index, int32_t Type)
      : TCustomFiledWriter(Port), FIndex(Index), FType(Type) {}
  int32_t HV_STDCALL GetIndex() override { return FIndex; }
  int32_t HV_STDCALL GetFieldType() override { return FType; }
  void HV_STDCALL SetAsBoolean(bool X) override { Int("SetAsBoolean", X); }
  void HV_STDCALL SetAsByte(uint8_t X) override { Int("SetAsByte", X); }
  void HV_STDCALL SetAsWord(uint16_t X) override { Int("SetAsWord", X); }
  void HV_STDCALL SetAsLongWord(uint32_t X) override { Int("SetAsLongWord", X); }
  void HV_STDCALL SetAsShortInt(int8_t X) override { Int("SetAsShortInt", X); }
  void HV_STDCALL SetAsSmallInt(int16_t X) override { Int("SetAsSmallInt", X); }
  void HV_STDCALL SetAsInteger(int32_t X) override { Int("SetAsInteger", X); }
  void HV_STDCALL SetAsInt64(int64_t X) override { Int("SetAsInt64", X); }
  void HV_STDCALL SetAsSingle(float X) override { Float("SetAsSingle", X); }
  void HV_STDCALL SetAsDouble(double X) override { Float("SetAsDouble", X); }
  void HV_STDCALL SetAsExtended(TExtended X) override { Float("SetAsExtended", static_cast<double>(X)); }
  void HV_STDCALL SetAsGuid(const TGuid& X) override {
    V.LastSetter = "SetAsGuid";
    V.Guid = X;
  }
  void HV_STDCALL SetAsDateTime(TDateTime X) override {
    V.LastSetter = "SetAsDateTime";
    V.DateTime = X;
  }
  void HV_STDCALL SetAsString(const std::string& X) override {
    V.LastSetter = "SetAsString";
    V.Str = X;
  }
  void HV_STDCALL SetAsWideString(const std::u16string& X) override {
    V.LastSetter = "SetAsWideString";
    V.Wide = X;
  }

  TFakeValue V;
  int32_t FIndex;
  int32_t FType;

 private:
  void Int(const char* Setter, int64_t X) {
    V.LastSetter = Setter;
    V.Int = X;
  }
  void Float(const char* Setter, double X) {
    V.LastSetter = Setter;
    V.Float = X;
  }
};

class TFakePage;

// Kind 1 answers IDataReader, kind 2 IDataWriter, kind 0 neither.
class TFakePort : public TObject,
                  public ITransNode,
                  public IDataReader,
                  public IDataWriter,
                  public ITransObject {
 public:
  // A new port with its first reference counted to the caller; one column per type.
  static TComPtr<ITransNode> Create(int32_t Kind, std::shared_ptr<TProbe> Probe = std::make_shared<TProbe>(),
                                    std::vector<int32_t> Types = {ftString, ftString});
  static TFakePort* From(ITransNode* Node) { return static_cast<TFakePort*>(Node); }

  HRESULT HV_STDCALL QueryInterface(const TGuid& Iid, void** Obj) override;
  int32_t HV_STDCALL AddRef() override { return ++FRefCount; }
  int32_t HV_STDCALL Release() override {
    const int32_t N = --FRefCount;
    if (N == 0) delete this;
    return N;
  }
  int32_t RefCount() const { return FRefCount; }
  bool IsClosed() const { return FClosed; }

  // ITransNode
  std::string HV_STDCALL GetName() override { return "fake"; }
  int32_t HV_STDCALL GetKind() override { return FKind; }
  void HV_STDCALL GetPort(ITransPort** Port) override {
    *Port = static_cast<IDataReader*>(this);
    AddRef();
  }
  void HV_STDCALL SetEvents(ITransEvents* Events) override { FEvents = TComPtr<ITransEvents>(Events); }
  bool HV_STDCALL Initialize(int32_t Kind) override {
    FKind = Kind;
    return true;
  }
  bool HV_STDCALL IsReady() override { return FKind == 1 || FKind == 2; }
  void HV_STDCALL Close() override {
    ++FProbe->Closed;
    FClosed = true;
    if (ThrowOnClose) throw std::runtime_error("close failed");
    if (OutOfMemoryOnClose) throw std::bad_alloc();
  }
  bool HV_STDCALL CreateConfigPage(IConfigPageEx** Page) override;
  std::string HV_STDCALL GetOptions() override {
    if (ThrowOnOptions) throw std::runtime_error("options failed");
    return Options;
  }
  int32_t HV_STDCALL SetOptions(const std::string& Text) override {
    if (ThrowOnOptions) throw std::runtime_error("options failed");
    Options = Text;
    return 0;
  }
  bool HV_STDCALL HasConfigPage() override { return true; }

  // ITransPort
  int32_t HV_STDCALL GetFieldCount() override { return static_cast<int32_t>(FColumnCount); }
  void HV_STDCALL FindField(const std::string& Name, ITransField** Field) override;
  void HV_STDCALL GetField(int32_t Index, ITransField** Field) override;

  // IDataReader
  int32_t HV_STDCALL GetRecordCount() override { return -1; }
  void HV_STDCALL MoveFirst() override {
    ++FProbe->MoveFirsts;
    if (OutOfMemoryOnMove) throw std::bad_alloc();
  }
  void HV_STDCALL MoveNext() override { ++FProbe->MoveNexts; }
  bool HV_STDCALL IsEof() override { return AtEof; }

  // IDataWriter
  void HV_STDCALL SetFieldCount(int32_t Count) override { FProbe->FieldCount = Count; }
  void HV_STDCALL SetFieldType(int32_t Index, int32_t FieldType) override {
    FProbe->SetTypeIndex = Index;
    FProbe->SetTypeValue = FieldType;
  }
  void HV_STDCALL Append() override {
    ++FProbe->Appends;
    if (OutOfMemoryOnMove) throw std::bad_alloc();
  }
  void HV_STDCALL Post() override { ++FProbe->Posts; }

  // ITransObject
  TObject* HV_STDCALL GetObject() override { return this; }

  TFakeReaderColumn& Reader(size_t I) { return *FReaders.at(I); }
  TFakeWriterColumn& Writer(size_t I) { return *FWriters.at(I); }
  const TComPtr<ITransEvents>& Events() const { return FEvents; }

  std::string Options = "opt";
  bool AtEof = false;
  bool ThrowOnClose = false;
  bool ThrowOnOptions = false;
  bool ThrowOnCheck = false;
  bool OutOfMemoryOnMove = false;  // MoveFirst and Append run out of memory
  bool OutOfMemoryOnClose = false;
  bool MakesPage = true;
  bool PageCheck = true;
  std::shared_ptr<TProbe> FProbe;

 private:
  TFakePort(int32_t Kind, std::shared_ptr<TProbe> Probe, const std::vector<int32_t>& Types);
  ~TFakePort() override;

  std::atomic<int32_t> FRefCount{0};
  std::atomic<bool> FClosed{false};
  int32_t FKind;
  size_t FColumnCount;
  TComPtr<ITransEvents> FEvents;
  std::vector<std::unique_ptr<TFakeReaderColumn>> FReaders;
  std::vector<std::unique_ptr<TFakeWriterColumn>> FWriters;
};

// Registers a working copy (a fresh fake port of the same kind) while shown.
class TFakePage : public TObject, public IConfigPageEx {
 public:
  TFakePage(TComPtr<ITransNode> Port, std::shared_ptr<TProbe> Probe)
      : FPort(std::move(Port)), FProbe(std::move(Probe)) {}

  HRESULT HV_STDCALL QueryInterface(const TGuid& Iid, void** Obj) override {
    if (Iid == IInterface::IID || Iid == IConfigPage::IID || Iid == IConfigPageEx::IID) {
      *Obj = static_cast<IConfigPageEx*>(this);
      AddRef();
      return S_OK;
    }
    *Obj = nullptr;
    return E_NOINTERFACE;
  }
  int32_t HV_STDCALL AddRef() override { return ++FRefCount; }
  int32_t HV_STDCALL Release() override {
    const int32_t N = --FRefCount;
    if (N == 0) delete this;
    return N;
  }

  bool HV_STDCALL ShowPage(void* Parent, uint8_t Flag) override {
    ++FProbe->Shown;
    FProbe->ShowParent = Parent;
    FProbe->ShowFlag = Flag;
    FWork = TFakePort::Create(FPort->GetKind(), FProbe);
    GetHandleRegistry().Add(FWork.Get(), THandleKind::Port);
    return true;
  }
  void HV_STDCALL HidePage() override {
    ++FProbe->Hidden;
    if (FWork) GetHandleRegistry().RemoveObject(FWork.Get(), THandleKind::Port);
    FWork = nullptr;
  }
  bool HV_STDCALL IsBOF() override { return true; }
  bool HV_STDCALL IsEOF() override { return false; }
  bool HV_STDCALL CheckSucceed() override {
    if (TFakePort::From(FPort.Get())->ThrowOnCheck) throw std::runtime_error("check failed");
    return TFakePort::From(FPort.Get())->PageCheck;
  }
  void HV_STDCALL UpdatePort() override { ++FProbe->Updates; }
  void HV_STDCALL First() override { ++FProbe->Firsts; }
  void HV_STDCALL Last() override { ++FProbe->Lasts; }
  void HV_STDCALL Next() override { ++FProbe->Nexts; }
  void HV_STDCALL Previous() override { ++FProbe->Previouses; }
  void HV_STDCALL GetWorkPort(ITransPort** Port) override {
    *Port = nullptr;
    if (FWork) FWork->GetPort(Port);
  }

 private:
  ~TFakePage() override = default;
  std::atomic<int32_t> FRefCount{0};
  std::atomic<bool> FClosed{false};
  TComPtr<ITransNode> FPort;
  TComPtr<ITransNode> FWork;
  std::shared_ptr<TProbe> FProbe;
};

}  // namespace halvern::test
