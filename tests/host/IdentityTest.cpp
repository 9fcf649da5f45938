#include <cstring>
#include <string>

#include "EngineLibrary.h"

namespace halvern::test {
namespace {

const std::string Name = "WinCe\xC9\xE8\xB1\xB8\xCE\xC4\xB1\xBE\xB8\xF1\xCA\xBD";  // WinCe设备文本格式
// Win Ce设备盘点数据文本格式导入导出
const std::string Description =
    "Win Ce\xC9\xE8\xB1\xB8\xC5\xCC\xB5\xE3\xCA\xFD\xBE\xDD\xCE\xC4\xB1\xBE\xB8\xF1\xCA\xBD"
    "\xB5\xBC\xC8\xEB\xB5\xBC\xB3\xF6";

TEST_F(HostTest, TypeIsThree) {
  EXPECT_EQ(E->EngineGetType(), 3);
}

// The text-out rule, checked byte by byte against a sentinel.
void CheckTextOut(HV_PFN_EngineGetName Get, const std::string& Expected) {
  const int32_t Len = static_cast<int32_t>(Expected.size());
  char Buf[64];
  std::memset(Buf, 'X', sizeof Buf);

  int32_t Size = 1234;
  EXPECT_EQ(Get(nullptr, &Size), 0);
  EXPECT_EQ(Size, Len);

  Size = Len - 1;
  EXPECT_EQ(Get(Buf, &Size), 0);
  EXPECT_EQ(Size, Len);
  for (char C : Buf) ASSERT_EQ(C, 'X') << "nothing is copied into too small a buffer";

  Size = Len;
  EXPECT_EQ(Get(Buf, &Size), -1);
  EXPECT_EQ(Size, Len);
  EXPECT_EQ(std::string(Buf, static_cast<size_t>(Len)), Expected);
  for (size_t I = static_cast<size_t>(Len); I < sizeof Buf; ++I) ASSERT_EQ(Buf[I], 'X') << "byte " << I;

  Size = sizeof Buf;
  std::memset(Buf, 'X', sizeof Buf);
  EXPECT_EQ(Get(Buf, &Size), -1);
  EXPECT_EQ(Size, Len);
  EXPECT_EQ(Buf[Len], 'X') << "no terminating zero";

  Size = -1;
  EXPECT_EQ(Get(Buf, &Size), 0);
  EXPECT_EQ(Size, Len);
  EXPECT_EQ(Get(Buf, nullptr), 0);
  EXPECT_EQ(Get(nullptr, nullptr), 0);
}

TEST_F(HostTest, NameFollowsTheTextOutRule) {
  ASSERT_EQ(Name.size(), 17u);
  CheckTextOut(E->EngineGetName, Name);
}

TEST_F(HostTest, DescriptionFollowsTheTextOutRule) {
  ASSERT_EQ(Description.size(), 34u);
  CheckTextOut(E->EngineDiscription, Description);
}

}  // namespace
}  // namespace halvern::test
