#include <cstring>
#include <string>
#include <thread>

#include "engine/EngineFixture.h"
#include "engine/LibTransLogAdapter.h"

namespace halvern::test {
namespace {

TEST_F(EngineTest, InitRejectsUnknownTypesWithoutTouchingTheHandle) {
  for (int32_t Type : {0, 3, -1, 0x10000}) {
    uint32_t H = 0xABCDu;
    EXPECT_EQ(::EngineInit(Type, &H), ENGINE_ERR_TYPE) << Type;
    EXPECT_EQ(H, 0xABCDu);
  }
  EXPECT_EQ(Probe->Live, 0);
}

TEST_F(EngineTest, InitWithAnEmptyFactoryReportsCreate) {
  ClearEngineIdentity();
  uint32_t H = 7;
  EXPECT_EQ(::EngineInit(1, &H), ENGINE_ERR_CREATE);
  EXPECT_EQ(::EngineInit(2, &H), ENGINE_ERR_CREATE);
  EXPECT_EQ(H, 7u);
  EXPECT_EQ(::EngineInit(1, nullptr), ENGINE_ERR_CREATE);
}

TEST_F(EngineTest, InitRegistersIndependentPortsWithTheirOwnAdapters) {
  uint32_t A = 0, B = 0;
  ASSERT_EQ(::EngineInit(1, &A), ENGINE_OK);
  ASSERT_EQ(::EngineInit(2, &B), ENGINE_OK);
  EXPECT_NE(A, 0u);
  EXPECT_NE(B, 0u);
  EXPECT_NE(A, B);
  EXPECT_EQ(Probe->Live, 2);
  TComPtr<ITransNode> PA = PortUnder(A), PB = PortUnder(B);
  ASSERT_TRUE(PA && PB);
  EXPECT_EQ(PA->GetKind(), 1);
  EXPECT_EQ(PB->GetKind(), 2);
  TComPtr<ITransEvents> EA = PA.Query<ITransEvents>(), EB = PB.Query<ITransEvents>();
  ASSERT_TRUE(EA && EB);
  EXPECT_NE(EA.Get(), EB.Get());
  // The registry's reference is the only one left once the call returns.
  PA = nullptr;
  PB = nullptr;
  ::EngineFina(A);
  ::EngineFina(B);
  EXPECT_EQ(Probe->Live, 0);
  EXPECT_EQ(Probe->Closed, 2);
}

TEST_F(EngineTest, InitWithoutAHandlePointerLeavesNoPortBehind) {
  EXPECT_EQ(::EngineInit(1, nullptr), ENGINE_ERR_CREATE);
  EXPECT_EQ(Probe->Live, 0);
  EXPECT_EQ(GetHandleRegistry().Count(), 0u);
}

TEST_F(EngineTest, FinaClosesUnregistersAndDestroys) {
  const uint32_t H = Register(1);
  ::EngineFina(H);
  EXPECT_EQ(Probe->Closed, 1);
  EXPECT_EQ(Probe->Live, 0);
  // Dead from now on, at every export.
  ::EngineFina(H);
  EXPECT_EQ(Probe->Closed, 1);
  EXPECT_EQ(::IsEof(H), -1);
  EXPECT_EQ(::DataCount(H), -1);
  int32_t Size = 99;
  EXPECT_EQ(::EngineGetOptions(H, nullptr, &Size), 0);
  EXPECT_EQ(Size, 99);
  EXPECT_EQ(::EngineSetOptions(H, "a=b"), ENGINE_ERR_HANDLE);
  EXPECT_EQ(::FieldGetCount(H), 0);
}

TEST_F(EngineTest, FinaUnregistersEvenWhenCloseFails) {
  const uint32_t H = Register(2);
  Port->ThrowOnClose = true;
  ::EngineFina(H);
  EXPECT_EQ(Probe->Closed, 1);
  EXPECT_FALSE(PortUnder(H));
  EXPECT_EQ(Probe->Live, 0);
}

TEST_F(EngineTest, ARunningCallKeepsItsPortAliveAcrossFinaFromAnotherThread) {
  const uint32_t H = Register(1);
  {
    // What an export holds for its run.
    const THandleRegistry::TCall Held = GetHandleRegistry().Enter(H, THandleKind::Port);
    std::thread([H] { ::EngineFina(H); }).join();
    EXPECT_FALSE(PortUnder(H)) << "the handle died at once";
    EXPECT_EQ(Probe->Live, 1);
    EXPECT_EQ(Probe->Closed, 0) << "closed under a running call";
    EXPECT_EQ(Held.Port().Node->GetKind(), 1);
  }
  EXPECT_EQ(Probe->Closed, 1) << "closed as the last call left";
  EXPECT_EQ(Probe->Live, 0);
  EXPECT_EQ(::IsEof(H), -1);
}

TEST_F(EngineTest, IdentityFollowsTheTextOutRule) {
  EXPECT_EQ(::EngineGetType(), 3);
  int32_t Size = -5;
  EXPECT_EQ(::EngineGetName(nullptr, &Size), 0);
  EXPECT_EQ(Size, 17);
  char Buf[32];
  std::memset(Buf, 'X', sizeof Buf);
  Size = 16;
  EXPECT_EQ(::EngineGetName(Buf, &Size), 0);
  EXPECT_EQ(Size, 17);
  EXPECT_EQ(Buf[0], 'X');
  Size = 17;
  EXPECT_EQ(::EngineGetName(Buf, &Size), -1);
  EXPECT_EQ(Size, 17);
  EXPECT_EQ(std::string(Buf, 17), "Name17-----------");
  EXPECT_EQ(Buf[17], 'X') << "no terminating zero";
  Size = 100;
  std::memset(Buf, 'X', sizeof Buf);
  EXPECT_EQ(::EngineDiscription(Buf, &Size), -1);
  EXPECT_EQ(Size, 11);
  EXPECT_EQ(Buf[11], 'X');
  EXPECT_EQ(::EngineGetName(Buf, nullptr), 0);
  EXPECT_EQ(::EngineDiscription(nullptr, nullptr), 0);
}

TEST_F(EngineTest, OptionsPassThroughThePort) {
  const uint32_t H = Register(1);
  EXPECT_EQ(::EngineSetOptions(H, "k=v"), 0);
  EXPECT_EQ(Port->Options, "k=v");
  char Buf[8];
  std::memset(Buf, 'X', sizeof Buf);
  int32_t Size = sizeof Buf;
  EXPECT_EQ(::EngineGetOptions(H, Buf, &Size), -1);
  EXPECT_EQ(Size, 3);
  EXPECT_EQ(std::string(Buf, 4), "k=vX");
  EXPECT_EQ(::EngineGetOptions(H, Buf, nullptr), 0);
  // A null text reads as the empty text.
  EXPECT_EQ(::EngineSetOptions(H, nullptr), 0);
  EXPECT_EQ(Port->Options, "");
}

TEST_F(EngineTest, ErrorsInsideThePortBecomeNeutralAnswers) {
  const uint32_t H = Register(1);
  Port->ThrowOnOptions = true;
  int32_t Size = 42;
  EXPECT_EQ(::EngineGetOptions(H, nullptr, &Size), 0);
  EXPECT_EQ(Size, 42);
  EXPECT_EQ(::EngineSetOptions(H, "x"), ENGINE_ERR_HANDLE) << "a failure is not reported as success";
}

TEST_F(EngineTest, RecordWalkingNeedsTheRightDirection) {
  const uint32_t In = Register(1);
  TFakePort* Import = Port;
  const uint32_t Out = Register(2);
  ::MoveFirst(In);
  ::MoveNext(In);
  ::MoveFirst(Out);  // export port: nothing
  ::Append(In);      // import port: nothing
  ::Append(Out);
  ::Post(Out);
  ::Post(In);
  EXPECT_EQ(Probe->MoveFirsts, 1);
  EXPECT_EQ(Probe->MoveNexts, 1);
  EXPECT_EQ(Probe->Appends, 1);
  EXPECT_EQ(Probe->Posts, 1);
  EXPECT_EQ(::IsEof(In), 0);
  Import->AtEof = true;
  EXPECT_EQ(::IsEof(In), 1) << "1 at the end, not -1";
  EXPECT_EQ(::IsEof(Out), -1);
  EXPECT_EQ(::DataCount(In), -1);
  EXPECT_EQ(::DataCount(Out), -1);
}

TEST_F(EngineTest, APageHandleIsNoPortHandle) {
  const uint32_t H = Register(1);
  TComPtr<ITransNode> Node = PortUnder(H);
  const uint32_t AsPage = GetHandleRegistry().Add(Node.Get(), THandleKind::Page);
  EXPECT_NE(AsPage, H);
  ::MoveFirst(AsPage);
  EXPECT_EQ(Probe->MoveFirsts, 0);
  EXPECT_EQ(::IsEof(AsPage), -1);
  EXPECT_EQ(::FieldGetCount(AsPage), 0);
  ::EngineFina(AsPage);
  EXPECT_EQ(Probe->Closed, 0);
  EXPECT_EQ(::ConfigIsBOF(H), CONFIG_ERR_HANDLE);
}

}  // namespace
}  // namespace halvern::test
