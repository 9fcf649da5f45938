#include <string>
#include <vector>

#include "engine/EngineFixture.h"
#include "engine/LibTransLogAdapter.h"

namespace halvern::test {
namespace {

struct TCall {
  char Proc;  // 'P', 'Q' (log procedures) or 'H' (hint)
  void* UserData;
  int32_t Code;
  std::string A, B;
  bool NullText;
};
std::vector<TCall> Calls;

void HV_STDCALL LogP(void* UserData, int32_t Code, const char* Text) {
  Calls.push_back({'P', UserData, Code, Text ? Text : "", "", Text == nullptr});
}
void HV_STDCALL LogQ(void* UserData, int32_t Code, const char* Text) {
  Calls.push_back({'Q', UserData, Code, Text ? Text : "", "", Text == nullptr});
}
void HV_STDCALL Hint(void* UserData, const char* Caption, const char* Text) {
  Calls.push_back({'H', UserData, 0, Caption ? Caption : "", Text ? Text : "", !Caption || !Text});
}

HV_PROC Proc(HV_LOG_PROC P) {
  return reinterpret_cast<HV_PROC>(P);
}
HV_PROC Proc(HV_HINT_PROC P) {
  return reinterpret_cast<HV_PROC>(P);
}
void* Data(intptr_t V) {
  return reinterpret_cast<void*>(V);
}

class EventTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    Calls.clear();
  }
  // The sink the port of H holds (what the port's LogMessage and ShowHint reach).
  TComPtr<ITransEvents> Sink(uint32_t H) { return PortUnder(H).Query<ITransEvents>(); }
};

TEST_F(EventTest, AdapterForwardsToTheHostWithNonNullTexts) {
  TComPtr<ITransEvents> A = TLibTransLogAdapter::Create();
  A->LogMessage(35, "dropped");  // nothing set yet
  EXPECT_TRUE(Calls.empty());
  auto* Adapter = dynamic_cast<TLibTransLogAdapter*>(A.Query<ITransObject>()->GetObject());
  ASSERT_NE(Adapter, nullptr);
  Adapter->SetCallback(Data(3), EVENT_LOG_MESSAGE, Proc(&LogP));
  Adapter->SetCallback(Data(3), EVENT_SHOW_HINT, Proc(&Hint));
  A->LogMessage(35, "");
  A->ShowHint("", "");
  A->SignalEvent(1, 2, 3);
  ASSERT_EQ(Calls.size(), 2u);
  EXPECT_EQ(Calls[0].Code, 35);
  EXPECT_EQ(Calls[0].UserData, Data(3));
  EXPECT_FALSE(Calls[0].NullText);
  EXPECT_FALSE(Calls[1].NullText);
}

TEST_F(EventTest, AdapterAnswersItsTwoInterfacesOnly) {
  TComPtr<ITransEvents> A = TLibTransLogAdapter::Create();
  TComPtr<ITransObject> O = A.Query<ITransObject>();
  ASSERT_TRUE(O);
  EXPECT_EQ(O.Query<ITransEvents>().Get(), A.Get());
  EXPECT_TRUE(O.Query<IInterface>());
  void* P = Data(1);
  EXPECT_EQ(A->QueryInterface(ITransNode::IID, &P), E_NOINTERFACE);
  EXPECT_EQ(P, nullptr);
  EXPECT_FALSE(A.Query<ITransPort>());
}

TEST_F(EventTest, UserDataIsSharedAndTheLastValueWins) {
  uint32_t H = 0;
  ASSERT_EQ(::EngineInit(1, &H), ENGINE_OK);
  ::EngineSetEvent(H, Data(7), EVENT_LOG_MESSAGE, Proc(&LogP));
  ::EngineSetEvent(H, Data(9), EVENT_SHOW_HINT, Proc(&Hint));
  Sink(H)->LogMessage(35, "fail");
  Sink(H)->ShowHint("cap", "text");
  ASSERT_EQ(Calls.size(), 2u);
  EXPECT_EQ(Calls[0].Proc, 'P');
  EXPECT_EQ(Calls[0].UserData, Data(9));
  EXPECT_EQ(Calls[0].A, "fail");
  EXPECT_EQ(Calls[1].Proc, 'H');
  EXPECT_EQ(Calls[1].A, "cap");
  EXPECT_EQ(Calls[1].B, "text");
  ::EngineFina(H);
}

TEST_F(EventTest, UnknownKindSetsOnlyUserData) {
  uint32_t H = 0;
  ASSERT_EQ(::EngineInit(1, &H), ENGINE_OK);
  ::EngineSetEvent(H, Data(1), EVENT_LOG_MESSAGE, Proc(&LogP));
  ::EngineSetEvent(H, Data(5), 0x10003, Proc(&LogQ));
  Sink(H)->LogMessage(35, "x");
  ASSERT_EQ(Calls.size(), 1u);
  EXPECT_EQ(Calls[0].Proc, 'P');
  EXPECT_EQ(Calls[0].UserData, Data(5));
  ::EngineFina(H);
}

TEST_F(EventTest, NullSwitchesOffOnePortOnly) {
  uint32_t A = 0, B = 0;
  ASSERT_EQ(::EngineInit(1, &A), ENGINE_OK);
  ASSERT_EQ(::EngineInit(1, &B), ENGINE_OK);
  ::EngineSetEvent(A, Data(1), EVENT_LOG_MESSAGE, Proc(&LogP));
  ::EngineSetEvent(B, Data(2), EVENT_LOG_MESSAGE, Proc(&LogQ));
  ::EngineSetEvent(A, Data(1), EVENT_LOG_MESSAGE, nullptr);
  Sink(A)->LogMessage(35, "a");
  Sink(B)->LogMessage(35, "b");
  ASSERT_EQ(Calls.size(), 1u);
  EXPECT_EQ(Calls[0].Proc, 'Q');
  EXPECT_EQ(Calls[0].UserData, Data(2));
  ::EngineFina(A);
  ::EngineFina(B);
}

// A sink the engine did not make: EngineSetEvent must leave it alone.
class TForeignSink : public TObject, public ITransEvents, public ITransObject {
 public:
  HRESULT HV_STDCALL QueryInterface(const TGuid& Iid, void** Obj) override {
    if (Iid == ITransEvents::IID || Iid == IInterface::IID) {
      *Obj = static_cast<ITransEvents*>(this);
    } else if (Iid == ITransObject::IID) {
      *Obj = static_cast<ITransObject*>(this);
    } else {
      *Obj = nullptr;
      return E_NOINTERFACE;
    }
    ++Refs;
    return S_OK;
  }
  int32_t HV_STDCALL AddRef() override { return ++Refs; }
  int32_t HV_STDCALL Release() override { return --Refs; }
  void HV_STDCALL LogMessage(int32_t, const std::string&) override { ++Logs; }
  void HV_STDCALL ShowHint(const std::string&, const std::string&) override {}
  void HV_STDCALL SignalEvent(int32_t, int32_t, int32_t) override {}
  TObject* HV_STDCALL GetObject() override { return this; }
  int32_t Refs = 0;
  int32_t Logs = 0;
};

TEST_F(EventTest, OnlyTheEnginesOwnAdapterIsChanged) {
  TForeignSink Foreign;
  const uint32_t H = Register(1);
  Port->SetEvents(&Foreign);
  ::EngineSetEvent(H, Data(4), EVENT_LOG_MESSAGE, Proc(&LogP));
  Sink(H)->LogMessage(35, "x");
  EXPECT_TRUE(Calls.empty());
  EXPECT_EQ(Foreign.Logs, 1);

  // A port without any sink, and handles that name nothing.
  const uint32_t Bare = Register(2);
  ::EngineSetEvent(Bare, Data(4), EVENT_LOG_MESSAGE, Proc(&LogP));
  ::EngineSetEvent(0, Data(4), EVENT_LOG_MESSAGE, Proc(&LogP));
  ::EngineSetEvent(0xDEADu, Data(4), EVENT_LOG_MESSAGE, Proc(&LogP));
  EXPECT_TRUE(Calls.empty());
  GetHandleRegistry().Clear();
  EXPECT_EQ(Foreign.Refs, 0);
}

}  // namespace
}  // namespace halvern::test
