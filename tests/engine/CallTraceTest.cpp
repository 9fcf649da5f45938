#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <type_traits>
#include <utility>
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

// An argument that tells its position apart: integers count up from 11 (a handle that names nothing),
// pointers are null. Shown as the trace should show it.
template <class T>
T ArgAt(size_t Position) {
  if constexpr (std::is_pointer_v<T>)
    return nullptr;
  else
    return static_cast<T>(Position + 11);
}
template <class T>
std::string ShownAt(size_t Position) {
  return std::is_pointer_v<T> ? "NULL" : std::to_string(Position + 11);
}

// Calls Proc with position-telling arguments; returns "Name(arguments)" as its line must show it.
template <class R, class... P, size_t... I>
std::string CallAndShow(const char* Name, R(HV_STDCALL* Proc)(P...), std::index_sequence<I...>) {
  Proc(ArgAt<P>(I)...);
  std::string Shown = std::string(Name) + "(";
  ((Shown += (I == 0 ? "" : ", ") + ShownAt<P>(I)), ...);
  return Shown + ")";
}
template <class R, class... P>
std::string CallAndShow(const char* Name, R(HV_STDCALL* Proc)(P...)) {
  return CallAndShow(Name, Proc, std::index_sequence_for<P...>());
}
// Every export and value procedure writes its own name and its own parameters, in order: no body can
// name another call or leave out, add or reorder an argument.
TEST_F(CallTraceTest, EveryCallShowsItsNameAndItsParameters) {
  auto Proc = [](int32_t Direction, int32_t FieldType) { return ::FieldGetProc(Direction, FieldType); };
  const HV_PROC Read[] = {Proc(1, HV_FT_STRING), Proc(1, HV_FT_INTEGER), Proc(1, HV_FT_INT64),
                          Proc(1, HV_FT_SINGLE), Proc(1, HV_FT_DOUBLE),  Proc(1, HV_FT_EXTENDED),
                          Proc(1, HV_FT_GUID),   Proc(1, HV_FT_DATE),    Proc(1, HV_FT_WIDESTRING),
                          Proc(1, HV_FT_BLOB)};
  const HV_PROC Write[] = {Proc(2, HV_FT_STRING), Proc(2, HV_FT_INTEGER), Proc(2, HV_FT_INT64),
                           Proc(2, HV_FT_SINGLE), Proc(2, HV_FT_DOUBLE),  Proc(2, HV_FT_EXTENDED),
                           Proc(2, HV_FT_GUID),   Proc(2, HV_FT_DATE),    Proc(2, HV_FT_WIDESTRING),
                           Proc(2, HV_FT_BLOB)};
  std::filesystem::remove(Path);
  trace::Start(Path);
  std::vector<std::string> Expected;
#define HV_CALL_EXPORT(Ret, Name, Params) Expected.push_back(CallAndShow(#Name, &::Name));
  HV_EXPORT_LIST(HV_CALL_EXPORT)
#undef HV_CALL_EXPORT
  auto Call = [&]<class TProc>(const char* Name, HV_PROC P, TProc*) {
    Expected.push_back(CallAndShow(Name, reinterpret_cast<TProc>(P)));
  };
  Call("ReadTextValue", Read[0], static_cast<HV_READ_TEXT_PROC*>(nullptr));
  Call("ReadIntegerValue", Read[1], static_cast<HV_READ_INTEGER_PROC*>(nullptr));
  Call("ReadInt64Value", Read[2], static_cast<HV_READ_INT64_PROC*>(nullptr));
  Call("ReadSingleValue", Read[3], static_cast<HV_READ_SINGLE_PROC*>(nullptr));
  Call("ReadDoubleValue", Read[4], static_cast<HV_READ_DOUBLE_PROC*>(nullptr));
  Call("ReadValueText", Read[5], static_cast<HV_READ_TEXT_PROC*>(nullptr));
  Call("ReadGuidValue", Read[6], static_cast<HV_READ_GUID_PROC*>(nullptr));
  Call("ReadDateTimeValue", Read[7], static_cast<HV_READ_DATETIME_PROC*>(nullptr));
  Call("ReadWideTextValue", Read[8], static_cast<HV_READ_WIDETEXT_PROC*>(nullptr));
  Call("ReadBlobValue", Read[9], static_cast<HV_READ_BLOB_PROC*>(nullptr));
  Call("WriteTextValue", Write[0], static_cast<HV_WRITE_TEXT_PROC*>(nullptr));
  Call("WriteIntegerValue", Write[1], static_cast<HV_WRITE_INTEGER_PROC*>(nullptr));
  Call("WriteInt64Value", Write[2], static_cast<HV_WRITE_INT64_PROC*>(nullptr));
  Call("WriteSingleValue", Write[3], static_cast<HV_WRITE_SINGLE_PROC*>(nullptr));
  Call("WriteDoubleValue", Write[4], static_cast<HV_WRITE_DOUBLE_PROC*>(nullptr));
  Call("WriteValueText", Write[5], static_cast<HV_WRITE_VALUE_TEXT_PROC*>(nullptr));
  Call("WriteGuidValue", Write[6], static_cast<HV_WRITE_GUID_PROC*>(nullptr));
  Call("WriteDateTimeValue", Write[7], static_cast<HV_WRITE_DATETIME_PROC*>(nullptr));
  Call("WriteWideTextValue", Write[8], static_cast<HV_WRITE_WIDETEXT_PROC*>(nullptr));
  Call("WriteBlobValue", Write[9], static_cast<HV_WRITE_BLOB_PROC*>(nullptr));
  trace::Start("");
  const std::vector<std::string> L = Lines();
  ASSERT_EQ(L.size(), Expected.size());
  for (size_t I = 0; I < L.size(); ++I) EXPECT_TRUE(Has(L[I], " " + Expected[I])) << L[I];
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
