#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/CallTrace.h"
#include "engine/EngineFixture.h"
#include "tests/TestEnvironment.h"

namespace halvern::test {
namespace {

class CallTraceTest : public EngineTest {
 protected:
  void TearDown() override {
    trace::Start("");
    std::filesystem::remove(Path);
    EngineTest::TearDown();
  }

  std::vector<std::string> Lines() const {
    std::ifstream In(Path, std::ios::binary);
    std::vector<std::string> Result;
    for (std::string Line; std::getline(In, Line);) Result.push_back(Line);
    return Result;
  }

  const std::string Path = (std::filesystem::temp_directory_path() / "halvern-call-trace-test.log").string();
};

bool Has(const std::string& Line, const std::string& Part) {
  return Line.find(Part) != std::string::npos;
}

TEST_F(CallTraceTest, OneLinePerCallWithArgumentsResultAndSwallowedError) {
  std::filesystem::remove(Path);
  trace::Start(Path);
  const uint32_t H = Register(1);
  const std::string Id = std::to_string(H);
  Port->ThrowOnOptions = true;
  // A line break, a quote or a backslash in a text must not split or muddle the call's one line.
  EXPECT_EQ(::EngineSetOptions(H, "a|b\r\n\"\\T"), ENGINE_ERR_HANDLE);
  ::FieldFindbyName(H, "\xB2\xE2\xCA\xD4");  // GBK for the UTF-8 below
  const std::string Long(100, 'x');
  ::FieldFindbyName(H, Long.c_str());
  const auto Read = reinterpret_cast<HV_READ_TEXT_PROC>(::FieldGetProc(FIELD_DIR_READ, HV_FT_STRING));
  EXPECT_EQ(Read(0xBEEFu, 0, nullptr, nullptr), 0);
  trace::Start("");
  ::IsEof(H);

  const std::vector<std::string> L = Lines();
  ASSERT_EQ(L.size(), 5u) << "FieldGetProc is traced too; nothing after the trace stops";
  for (const std::string& Line : L) {
    ASSERT_GT(Line.size(), 24u);
    EXPECT_TRUE(Line[4] == '-' && Line[10] == 'T' && Line[23] == 'Z') << Line;
  }
  EXPECT_TRUE(Has(
      L[0], " EngineSetOptions(" + Id + ", \"a|b\\r\\n\\\"\\\\T\") = 268435459 swallowed: options failed"))
      << L[0];
  EXPECT_TRUE(Has(L[1], "FieldFindbyName(" + Id + ", \"\xE6\xB5\x8B\xE8\xAF\x95\") = ")) << L[1];
  EXPECT_TRUE(Has(L[2], "\"" + std::string(64, 'x') + "...\")")) << "cut at 64 bytes: " << L[2];
  EXPECT_TRUE(Has(L[4], "ReadTextValue(48879, 0, NULL, NULL) = 0")) << L[4];
  EXPECT_FALSE(Has(L[4], "swallowed"));
}

TEST_F(CallTraceTest, TheVariableIsReadAtTheFirstCall) {
  std::filesystem::remove(Path);
  SetEnv("HALVERN_TRACE", Path);
  trace::GState = trace::kUnread;
  EXPECT_EQ(::DataCount(0xBEEFu), -1);
  SetEnv("HALVERN_TRACE", "");
  ::DataCount(0xBEEFu);
  const std::vector<std::string> L = Lines();
  ASSERT_EQ(L.size(), 2u) << "read once, not per call";
  EXPECT_TRUE(Has(L[0], "DataCount(48879) = -1")) << L[0];

  trace::GState = trace::kUnread;
  ::DataCount(0xBEEFu);
  EXPECT_EQ(trace::GState.load(), trace::kOff) << "unset means off";
}

TEST_F(CallTraceTest, AWideValueThatLosesCharactersInGbkSaysSo) {
  const uint32_t H = Register(2, {ftString});
  const auto WriteWide =
      reinterpret_cast<HV_WRITE_WIDETEXT_PROC>(::FieldGetProc(FIELD_DIR_WRITE, HV_FT_WIDESTRING));
  std::filesystem::remove(Path);
  trace::Start(Path);
  const uint16_t Kept[] = {0x6B63, 0x5E38};  // 正常
  int32_t Size = sizeof Kept;
  EXPECT_EQ(WriteWide(H, 0, Kept, &Size), -1);
  EXPECT_EQ(Port->Writer(0).V.Str, "\xD5\xFD\xB3\xA3");
  const uint16_t Lost[] = {u'o', 0x0E01};  // GBK has no Thai
  Size = sizeof Lost;
  EXPECT_EQ(WriteWide(H, 0, Lost, &Size), -1);
  EXPECT_EQ(Port->Writer(0).V.Str, "o?");
  trace::Start("");

  const std::vector<std::string> L = Lines();
  ASSERT_EQ(L.size(), 3u) << "a note only for the value that lost characters";
  EXPECT_TRUE(Has(L[0], " WriteWideTextValue(" + std::to_string(H) + ", 0, 0x")) << L[0];
  EXPECT_TRUE(Has(L[1], " WriteWideTextValue: characters GBK cannot hold were replaced; stored \"o?\""))
      << L[1];
  EXPECT_TRUE(Has(L[2], ") = -1")) << L[2];
}

}  // namespace
}  // namespace halvern::test
