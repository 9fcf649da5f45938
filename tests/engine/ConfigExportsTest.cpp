#include "engine/EngineFixture.h"

namespace halvern::test {
namespace {

namespace x = exports;

TEST_F(EngineTest, ConfigInitChecksHandleKindAndPage) {
  uint32_t Page = 0x55u;
  EXPECT_EQ(x::ConfigInit(0xBEEFu, nullptr, 0, &Page), ENGINE_ERR_HANDLE);
  EXPECT_EQ(x::ConfigInit(Register(0), nullptr, 0, &Page), ENGINE_ERR_TYPE);
  const uint32_t H = Register(1);
  Port->MakesPage = false;
  EXPECT_EQ(x::ConfigInit(H, nullptr, 0, &Page), ENGINE_ERR_CREATE);
  Port->MakesPage = true;
  EXPECT_EQ(x::ConfigInit(H, nullptr, 0, nullptr), ENGINE_ERR_CREATE);
  EXPECT_EQ(Page, 0x55u);
  EXPECT_EQ(Probe->Shown, 0);
}

TEST_F(EngineTest, ConfigPageLifecycle) {
  const uint32_t H = Register(2);
  TFakePort* Bound = Port;
  int Parent = 0;
  uint32_t Page = 0;
  ASSERT_EQ(x::ConfigInit(H, &Parent, 0x1FF, &Page), ENGINE_OK);
  EXPECT_NE(Page, 0u);
  EXPECT_NE(Page, H);
  EXPECT_EQ(Probe->Shown, 1);
  EXPECT_EQ(Probe->ShowParent, &Parent);
  EXPECT_EQ(Probe->ShowFlag, 0xFF) << "only the low byte";

  // The working port has a handle of its own, usable with the port exports.
  const uint32_t Work = x::ConfigPort(Page);
  EXPECT_NE(Work, 0u);
  EXPECT_NE(Work, H);
  int32_t Size = 0;
  EXPECT_EQ(x::EngineGetOptions(Work, nullptr, &Size), 0);
  EXPECT_EQ(Size, 3);
  EXPECT_EQ(x::EngineSetOptions(Work, "edited"), 0);
  EXPECT_EQ(Bound->Options, "opt");

  // A page handle is not a port handle, nor the reverse.
  EXPECT_EQ(x::ConfigIsBOF(H), CONFIG_ERR_HANDLE);
  EXPECT_EQ(x::FieldGetCount(Page), 0);

  EXPECT_EQ(x::ConfigIsBOF(Page), -1);
  EXPECT_EQ(x::ConfigIsEOF(Page), 0);
  EXPECT_EQ(x::ConfigCheckSucceed(Page), 0);
  Bound->PageCheck = false;
  EXPECT_EQ(x::ConfigCheckSucceed(Page), -1);
  Bound->ThrowOnCheck = true;
  EXPECT_EQ(x::ConfigCheckSucceed(Page), CONFIG_ERR_HANDLE) << "an error is no verdict on the entries";
  Bound->ThrowOnCheck = false;
  x::ConfigFirst(Page);
  x::ConfigNext(Page);
  x::ConfigPrevious(Page);
  x::ConfigLast(Page);
  x::ConfigUpdate(Page);
  EXPECT_EQ(Probe->Firsts, 1);
  EXPECT_EQ(Probe->Nexts, 1);
  EXPECT_EQ(Probe->Previouses, 1);
  EXPECT_EQ(Probe->Lasts, 1);
  EXPECT_EQ(Probe->Updates, 1);

  x::ConfigFina(Page);
  EXPECT_EQ(Probe->Hidden, 1);
  EXPECT_FALSE(ResolvePort(Work)) << "the working port's handle dies with the page";
  EXPECT_EQ(x::ConfigIsBOF(Page), CONFIG_ERR_HANDLE);
  EXPECT_EQ(x::ConfigIsEOF(Page), CONFIG_ERR_HANDLE);
  EXPECT_EQ(x::ConfigCheckSucceed(Page), CONFIG_ERR_HANDLE);
  EXPECT_EQ(x::ConfigPort(Page), 0u);
  x::ConfigNext(Page);
  x::ConfigFina(Page);
  EXPECT_EQ(Probe->Nexts, 1);
  EXPECT_EQ(Probe->Hidden, 1);
  EXPECT_EQ(Probe->Live, 1) << "only the bound port is left";
  x::EngineFina(H);
}

TEST_F(EngineTest, TwoPagesOnOnePortAreIndependent) {
  const uint32_t H = Register(1);
  uint32_t A = 0, B = 0;
  ASSERT_EQ(x::ConfigInit(H, nullptr, 0, &A), ENGINE_OK);
  ASSERT_EQ(x::ConfigInit(H, nullptr, 0, &B), ENGINE_OK);
  EXPECT_NE(A, B);
  EXPECT_NE(x::ConfigPort(A), x::ConfigPort(B));
  x::ConfigFina(A);
  EXPECT_NE(x::ConfigPort(B), 0u);
  x::ConfigFina(B);
  x::EngineFina(H);
  EXPECT_EQ(Probe->Live, 0);
}

}  // namespace
}  // namespace halvern::test
