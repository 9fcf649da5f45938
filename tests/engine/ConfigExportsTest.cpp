#include "engine/EngineFixture.h"

namespace halvern::test {
namespace {

TEST_F(EngineTest, ConfigInitChecksHandleKindAndPage) {
  uint32_t Page = 0x55u;
  EXPECT_EQ(::ConfigInit(0xBEEFu, nullptr, 0, &Page), ENGINE_ERR_HANDLE);
  EXPECT_EQ(::ConfigInit(Register(0), nullptr, 0, &Page), ENGINE_ERR_TYPE);
  const uint32_t H = Register(1);
  Port->MakesPage = false;
  EXPECT_EQ(::ConfigInit(H, nullptr, 0, &Page), ENGINE_ERR_CREATE);
  Port->MakesPage = true;
  EXPECT_EQ(::ConfigInit(H, nullptr, 0, nullptr), ENGINE_ERR_CREATE);
  EXPECT_EQ(Page, 0x55u);
  EXPECT_EQ(Probe->Shown, 0);
}

TEST_F(EngineTest, ConfigPageLifecycle) {
  const uint32_t H = Register(2);
  TFakePort* Bound = Port;
  int Parent = 0;
  uint32_t Page = 0;
  ASSERT_EQ(::ConfigInit(H, &Parent, 0x1FF, &Page), ENGINE_OK);
  EXPECT_NE(Page, 0u);
  EXPECT_NE(Page, H);
  EXPECT_EQ(Probe->Shown, 1);
  EXPECT_EQ(Probe->ShowParent, &Parent);
  EXPECT_EQ(Probe->ShowFlag, 0xFF) << "only the low byte";

  // The working port has a handle of its own, usable with the port exports.
  const uint32_t Work = ::ConfigPort(Page);
  EXPECT_NE(Work, 0u);
  EXPECT_NE(Work, H);
  int32_t Size = 0;
  EXPECT_EQ(::EngineGetOptions(Work, nullptr, &Size), 0);
  EXPECT_EQ(Size, 3);
  EXPECT_EQ(::EngineSetOptions(Work, "edited"), 0);
  EXPECT_EQ(Bound->Options, "opt");

  // A page handle is not a port handle, nor the reverse.
  EXPECT_EQ(::ConfigIsBOF(H), CONFIG_ERR_HANDLE);
  EXPECT_EQ(::FieldGetCount(Page), 0);

  EXPECT_EQ(::ConfigIsBOF(Page), -1);
  EXPECT_EQ(::ConfigIsEOF(Page), 0);
  EXPECT_EQ(::ConfigCheckSucceed(Page), 0);
  Bound->PageCheck = false;
  EXPECT_EQ(::ConfigCheckSucceed(Page), -1);
  Bound->ThrowOnCheck = true;
  EXPECT_EQ(::ConfigCheckSucceed(Page), CONFIG_ERR_HANDLE) << "an error is no verdict on the entries";
  Bound->ThrowOnCheck = false;
  ::ConfigFirst(Page);
  ::ConfigNext(Page);
  ::ConfigPrevious(Page);
  ::ConfigLast(Page);
  ::ConfigUpdate(Page);
  EXPECT_EQ(Probe->Firsts, 1);
  EXPECT_EQ(Probe->Nexts, 1);
  EXPECT_EQ(Probe->Previouses, 1);
  EXPECT_EQ(Probe->Lasts, 1);
  EXPECT_EQ(Probe->Updates, 1);

  ::ConfigFina(Page);
  EXPECT_EQ(Probe->Hidden, 1);
  EXPECT_FALSE(PortUnder(Work)) << "the working port's handle dies with the page";
  EXPECT_EQ(::ConfigIsBOF(Page), CONFIG_ERR_HANDLE);
  EXPECT_EQ(::ConfigIsEOF(Page), CONFIG_ERR_HANDLE);
  EXPECT_EQ(::ConfigCheckSucceed(Page), CONFIG_ERR_HANDLE);
  EXPECT_EQ(::ConfigPort(Page), 0u);
  ::ConfigNext(Page);
  ::ConfigFina(Page);
  EXPECT_EQ(Probe->Nexts, 1);
  EXPECT_EQ(Probe->Hidden, 1);
  EXPECT_EQ(Probe->Live, 1) << "only the bound port is left";
  ::EngineFina(H);
}

TEST_F(EngineTest, TwoPagesOnOnePortAreIndependent) {
  const uint32_t H = Register(1);
  uint32_t A = 0, B = 0;
  ASSERT_EQ(::ConfigInit(H, nullptr, 0, &A), ENGINE_OK);
  ASSERT_EQ(::ConfigInit(H, nullptr, 0, &B), ENGINE_OK);
  EXPECT_NE(A, B);
  EXPECT_NE(::ConfigPort(A), ::ConfigPort(B));
  ::ConfigFina(A);
  EXPECT_NE(::ConfigPort(B), 0u);
  ::ConfigFina(B);
  ::EngineFina(H);
  EXPECT_EQ(Probe->Live, 0);
}

}  // namespace
}  // namespace halvern::test
