// The page as the configuration exports see it: its reference count and interfaces, its steps and the
// hints they send, and the registration of its working port while it is shown.
#include <gtest/gtest.h>

#include "ConfigTestSupport.h"
#include "config/ConfigTexts.h"
#include "engine/HandleRegistry.h"

namespace halvern::test {
namespace {

TEST(ConfigPageLife, ReferenceCountDestroysThePageAndReleasesItsPorts) {
  const int LiveBefore = TFakePort::Live;
  {
    auto Node = TFakePort::Make();
    TComPtr<IConfigPageEx> Page;
    ASSERT_TRUE(Node->CreateConfigPage(Page.Put()));
    auto* Ce = dynamic_cast<TCeConfig*>(static_cast<IConfigPage*>(Page.Get()));
    ASSERT_NE(Ce, nullptr);
    EXPECT_EQ(Ce->RefCount(), 1);
    EXPECT_EQ(Page->AddRef(), 2);
    EXPECT_EQ(Page->Release(), 1);
    Ce->GetPortNode();
    EXPECT_EQ(TFakePort::Live, LiveBefore + 2);
    // The page keeps its port alive after the host lets go of it.
    Node = nullptr;
    EXPECT_EQ(TFakePort::Live, LiveBefore + 2);
    EXPECT_EQ(Page->Release(), 0);
    Page.Detach();
    EXPECT_EQ(TFakePort::Live, LiveBefore);
  }
}

TEST(ConfigPageLife, AnswersItsPageInterfacesOnly) {
  auto Node = TFakePort::Make();
  TPageFixture F(TFakePort::Of(Node));
  TComPtr<IConfigPage> Base = F.Ref.Query<IConfigPage>();
  TComPtr<IInterface> Unknown = F.Ref.Query<IInterface>();
  ASSERT_TRUE(Base);
  ASSERT_TRUE(Unknown);
  EXPECT_EQ(Base.Query<IConfigPageEx>(), F.Ref);
  EXPECT_EQ(F.Page->RefCount(), 3);

  void* Out = reinterpret_cast<void*>(1);
  EXPECT_EQ(F.Ref->QueryInterface(ITransNode::IID, &Out), E_NOINTERFACE);
  EXPECT_EQ(Out, nullptr);
  EXPECT_EQ(F.Page->RefCount(), 3);
}

TEST(ConfigPageLife, CloseIsRefusedWhileReferencesAreHeld) {
  auto Node = TFakePort::Make();
  TPageFixture F(TFakePort::Of(Node));
  EXPECT_FALSE(F.View->RequestClose());
  EXPECT_FALSE(F.Page->CloseQuery());
}

TEST(ConfigPageLife, OneStepPageIsAtBothEndsOnceShown) {
  auto Node = TFakePort::Make();
  TPageFixture F(TFakePort::Of(Node));
  int Parent = 0;
  EXPECT_TRUE(F.Ref->ShowPage(&Parent, 0x1FF & 0xFF));
  EXPECT_EQ(F.Page->Flag(), 0xFF);
  EXPECT_TRUE(F.View->IsAttached());
  EXPECT_EQ(F.View->Parent(), &Parent);
  EXPECT_TRUE(F.Ref->IsBOF());
  EXPECT_TRUE(F.Ref->IsEOF());
  // Past either end nothing moves.
  F.Ref->Next();
  F.Ref->Previous();
  EXPECT_EQ(F.Page->StepIndex(), 0);
  F.Ref->HidePage();
  EXPECT_FALSE(F.View->IsAttached());
}

TEST(ConfigPageLife, EveryPresentedStepSendsTheHintThroughTheBoundPortsEvents) {
  auto Node = TFakePort::Make();
  auto Events = TRecordingEvents::Make();
  Node->SetEvents(Events.Get());
  TPageFixture F(TFakePort::Of(Node));
  F.Ref->First();  // no steps before the page is shown: nothing to present
  EXPECT_TRUE(Events->Hints.empty());

  F.Ref->ShowPage(nullptr, 0);
  F.Ref->First();
  F.Ref->Last();
  ASSERT_EQ(Events->Hints.size(), 2u);
  EXPECT_EQ(Events->Hints[0].Caption, "\xB5\xBC\xC8\xEB\xB5\xBC\xB3\xF6\xC5\xE4\xD6\xC3");
  EXPECT_EQ(Events->Hints[0].Text, configtext::SHintText);
  EXPECT_EQ(Events->Hints[1].Text, configtext::SHintText);
  // The working copy has no events of its own; it never receives the hint.
  EXPECT_FALSE(F.Page->WorkPort()->Events());
  F.Ref->HidePage();
}

TEST(ConfigPageLife, WorkingPortIsAHandleOnlyWhileShown) {
  auto Node = TFakePort::Make();
  TPageFixture F(TFakePort::Of(Node));
  THandleRegistry& Registry = GetHandleRegistry();
  ASSERT_TRUE(F.Ref->ShowPage(nullptr, 0));
  TComPtr<ITransNode> Work = F.Page->GetPortNode();
  const uint32_t Handle = Registry.HandleOf(Work.Get());
  EXPECT_NE(Handle, 0u);
  EXPECT_EQ(Registry.HandleOf(Node.Get()), 0u);
  {
    const THandleRegistry::TCall Call = Registry.Enter(Handle, THandleKind::Port);
    ASSERT_TRUE(Call);
    EXPECT_EQ(Call.Port().Node, Work.Get());
  }

  // Shown twice, hidden once: the handle is gone all the same.
  F.Ref->ShowPage(nullptr, 0);
  F.Ref->HidePage();
  EXPECT_EQ(Registry.HandleOf(Work.Get()), 0u);
  EXPECT_FALSE(Registry.Enter(Handle, THandleKind::Port));
  F.Ref->HidePage();
}

TEST(ConfigPageLife, TwoPagesOnOnePortHaveIndependentWorkingPorts) {
  auto Node = TFakePort::Make();
  TPageFixture A(TFakePort::Of(Node));
  TPageFixture B(TFakePort::Of(Node));
  A.Ref->ShowPage(nullptr, 0);
  B.Ref->ShowPage(nullptr, 0);
  EXPECT_NE(A.Page->GetPortNode(), B.Page->GetPortNode());
  A.View->SetFileText("a");
  B.View->SetFileText("b");
  ASSERT_TRUE(A.Page->CheckSucceed());
  ASSERT_TRUE(B.Page->CheckSucceed());
  EXPECT_EQ(A.Page->WorkPort()->Settings().FileName, "a");
  EXPECT_EQ(B.Page->WorkPort()->Settings().FileName, "b");
  EXPECT_EQ(TFakePort::Of(Node)->FFileName, "");
  A.Ref->HidePage();
  B.Ref->HidePage();
}

}  // namespace
}  // namespace halvern::test
