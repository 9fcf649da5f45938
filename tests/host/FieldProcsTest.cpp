#include <cstring>
#include <string>

#include "EngineLibrary.h"

namespace halvern::test {
namespace {

TEST_F(HostTest, FieldGetProcSelectorTable) {
  auto P = E->FieldGetProc;
  EXPECT_EQ(P(1, 65), P(1, 0));
  EXPECT_EQ(P(1, 49), P(1, 50));
  EXPECT_EQ(P(1, 50), P(1, 51));
  EXPECT_EQ(P(2, 1), P(2, 6));
  for (int32_t T : {2, 3, 4, 5, 8}) EXPECT_EQ(P(1, T), P(1, 1)) << T;
  for (int32_t T : {0, 1, 7, 17, 18, 19, 33, 49, 65, 66, 67}) {
    EXPECT_NE(P(1, T), nullptr) << T;
    EXPECT_NE(P(2, T), nullptr) << T;
  }
  for (int32_t T : {9, 16, 20, 32, 34, 48, 52, 64, 68, -1})
    for (int32_t D : {1, 2}) EXPECT_EQ(P(D, T), nullptr) << D << "," << T;
  EXPECT_EQ(P(3, 65), nullptr);
  EXPECT_EQ(P(0, 65), nullptr);
}

template <class T>
T Proc(const TExports* E, int32_t Direction, int32_t Type) {
  return reinterpret_cast<T>(E->FieldGetProc(Direction, Type));
}

// The neutral answer of every value procedure for a handle that names nothing.
TEST_F(HostTest, ValueProceduresOnAnUnregisteredHandle) {
  const uint32_t H = 0xDEADBEEFu;
  char Buf[8];
  std::memset(Buf, 'X', sizeof Buf);
  int32_t Size = 55;
  EXPECT_EQ(Proc<HV_READ_TEXT_PROC>(E, 1, 65)(H, 0, Buf, &Size), 0);
  EXPECT_EQ(Size, 55);
  EXPECT_EQ(Proc<HV_READ_TEXT_PROC>(E, 1, 19)(H, 0, Buf, &Size), 0);
  EXPECT_EQ(Size, 55);
  uint16_t Wide[4] = {1, 1, 1, 1};
  EXPECT_EQ(Proc<HV_READ_WIDETEXT_PROC>(E, 1, 66)(H, 0, Wide, &Size), 0);
  EXPECT_EQ(Size, 55);
  EXPECT_EQ(Wide[0], 1);
  EXPECT_EQ(Proc<HV_READ_INTEGER_PROC>(E, 1, 6)(H, 0), 0);
  EXPECT_EQ(Proc<HV_READ_INT64_PROC>(E, 1, 7)(H, 0), 0);
  EXPECT_EQ(Proc<HV_READ_SINGLE_PROC>(E, 1, 17)(H, 0), 0.0f);
  EXPECT_EQ(Proc<HV_READ_DOUBLE_PROC>(E, 1, 18)(H, 0), 0.0);
  HV_GUID G;
  std::memset(&G, 0xEE, sizeof G);
  Proc<HV_READ_GUID_PROC>(E, 1, 33)(&G, H, 0);
  const HV_GUID ZeroGuid{};
  EXPECT_EQ(std::memcmp(&G, &ZeroGuid, sizeof G), 0);
  HV_SYSTEMTIME St;
  std::memset(&St, 0xEE, sizeof St);
  Proc<HV_READ_DATETIME_PROC>(E, 1, 51)(&St, H, 0);
  const HV_SYSTEMTIME ZeroTime{};
  EXPECT_EQ(std::memcmp(&St, &ZeroTime, sizeof St), 0);
  int32_t BlobSize = 9;
  EXPECT_EQ(Proc<HV_READ_BLOB_PROC>(E, 1, 67)(1, 2, 3, 4, &BlobSize), 0);
  EXPECT_EQ(BlobSize, -1);

  Proc<HV_WRITE_TEXT_PROC>(E, 2, 65)(H, 0, "abc", 3);
  Proc<HV_WRITE_INTEGER_PROC>(E, 2, 6)(H, 0, 5);
  Proc<HV_WRITE_INT64_PROC>(E, 2, 7)(H, 0, 5);
  Proc<HV_WRITE_SINGLE_PROC>(E, 2, 17)(H, 0, 1.5f);
  Proc<HV_WRITE_DOUBLE_PROC>(E, 2, 18)(H, 0, 1.5);
  Size = 3;
  EXPECT_EQ(Proc<HV_WRITE_VALUE_TEXT_PROC>(E, 2, 19)(H, 0, "1.5", &Size), 0);
  Proc<HV_WRITE_GUID_PROC>(E, 2, 33)(H, 0, &G);
  const HV_SYSTEMTIME Valid{2024, 3, 2, 5, 13, 45, 7, 250};
  Proc<HV_WRITE_DATETIME_PROC>(E, 2, 49)(H, 0, &Valid);
  Size = 2;
  EXPECT_EQ(Proc<HV_WRITE_WIDETEXT_PROC>(E, 2, 66)(H, 0, Wide, &Size), 0);
  EXPECT_EQ(Proc<HV_WRITE_BLOB_PROC>(E, 2, 67)(1, 2, 3, 4, 5), 0);
}

// On live ports of this engine every column is text and found by its name.
TEST_F(HostTest, TextColumnsThroughTheValueProcedures) {
  uint32_t Out = 0;
  if (E->EngineInit(2, &Out) != ENGINE_OK) GTEST_SKIP() << "no export port in this build";
  const int32_t Count = E->FieldGetCount(Out);
  ASSERT_GT(Count, 0);
  for (int32_t I = 0; I < Count; ++I) EXPECT_EQ(E->FieldGetType(Out, I), HV_FT_STRING);
  EXPECT_EQ(E->FieldGetType(Out, -1), 0);
  EXPECT_EQ(E->FieldGetType(Out, Count), 0);
  EXPECT_EQ(E->FieldIsEmpty(Out, 0), -1) << "an export port is not read";
  int32_t Size = 8;
  EXPECT_EQ(Proc<HV_READ_TEXT_PROC>(E, 1, 65)(Out, 0, nullptr, &Size), 0) << "an export port is not read";
  EXPECT_EQ(Size, 8);
  char Name[64];
  Size = sizeof Name;
  EXPECT_EQ(E->FieldGetName(Out, 0, Name, &Size), -1);
  EXPECT_EQ(E->FieldFindbyName(Out, std::string(Name, static_cast<size_t>(Size)).c_str()), 0);
  E->EngineFina(Out);
}

}  // namespace
}  // namespace halvern::test
