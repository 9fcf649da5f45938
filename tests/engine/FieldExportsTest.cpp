#include <cstring>
#include <string>
#include <vector>

#include "engine/EngineFixture.h"
#include "transport/DateTime.h"

namespace halvern::test {
namespace {

template <class T>
T ProcOf(int32_t Direction, int32_t Type) {
  return reinterpret_cast<T>(::FieldGetProc(Direction, Type));
}

TEST(FieldGetProc, SelectorTable) {
  auto P = [](int32_t D, int32_t T) { return ::FieldGetProc(D, T); };
  EXPECT_EQ(P(1, 0), P(1, 65));
  EXPECT_EQ(P(1, 49), P(1, 50));
  EXPECT_EQ(P(1, 50), P(1, 51));
  EXPECT_EQ(P(2, 0), P(2, 65));
  EXPECT_EQ(P(2, 49), P(2, 51));
  for (int32_t T : {1, 2, 3, 4, 5, 6, 8}) {
    EXPECT_EQ(P(1, T), P(1, 1)) << T;
    EXPECT_EQ(P(2, T), P(2, 1)) << T;
  }
  // Every listed code has a procedure, each distinct per shape and direction.
  for (int32_t T : {0, 1, 7, 17, 18, 19, 33, 49, 66, 67}) {
    EXPECT_NE(P(1, T), nullptr) << T;
    EXPECT_NE(P(2, T), nullptr) << T;
    EXPECT_NE(P(1, T), P(2, T)) << T;
  }
  EXPECT_NE(P(1, 65), P(1, 19));
  EXPECT_NE(P(1, 65), P(1, 66));
  EXPECT_NE(P(1, 1), P(1, 7));
  for (int32_t T : {9, 16, 20, 32, 34, 48, 52, 64, 68, 1000, -1}) {
    EXPECT_EQ(P(1, T), nullptr) << T;
    EXPECT_EQ(P(2, T), nullptr) << T;
  }
  EXPECT_EQ(P(3, 65), nullptr);
  EXPECT_EQ(P(0, 65), nullptr);
  EXPECT_EQ(P(-1, 1), nullptr);
}

TEST_F(EngineTest, ColumnExportsOnBothDirections) {
  const uint32_t In = Register(1, {ftString, ftInteger, ftString});
  TFakePort* Import = Port;
  Import->Reader(0).SetName("\xB1\xE0\xBA\xC5");  // 编号
  const uint32_t Out = Register(2, {ftString});
  EXPECT_EQ(::FieldGetCount(In), 3);
  EXPECT_EQ(::FieldGetCount(Out), 1);
  EXPECT_EQ(::FieldGetType(In, 1), ftInteger);
  EXPECT_EQ(::FieldGetType(In, -1), 0);
  EXPECT_EQ(::FieldGetType(In, 3), 0);
  EXPECT_EQ(::FieldGetType(Out, 0), ftString);

  char Buf[16];
  std::memset(Buf, 'X', sizeof Buf);
  int32_t Size = sizeof Buf;
  EXPECT_EQ(::FieldGetName(In, 0, Buf, &Size), -1);
  EXPECT_EQ(Size, 4);
  EXPECT_EQ(std::string(Buf, 5), "\xB1\xE0\xBA\xC5X");
  Size = 3;
  EXPECT_EQ(::FieldGetName(In, 2, nullptr, &Size), 0);
  EXPECT_EQ(Size, 5) << "列(2)";
  Size = 77;
  EXPECT_EQ(::FieldGetName(In, 9, Buf, &Size), 0);
  EXPECT_EQ(Size, 77);
  EXPECT_EQ(::FieldGetName(In, 0, Buf, nullptr), 0);

  // Exactly Length bytes, zero bytes included; nothing for a null text.
  ::FieldSetName(In, 1, "ab\0cd-ignored", 5);
  EXPECT_EQ(Import->Reader(1).GetName(), std::string("ab\0cd", 5));
  ::FieldSetName(In, 1, nullptr, 3);
  EXPECT_EQ(Import->Reader(1).GetName(), std::string("ab\0cd", 5));
  ::FieldSetName(In, 1, "zz", -4);
  EXPECT_EQ(Import->Reader(1).GetName(), "\xC1\xD0(1)");

  EXPECT_EQ(::FieldFindbyName(In, "\xB1\xE0\xBA\xC5"), 0);
  EXPECT_EQ(::FieldFindbyName(In, "\xC1\xD0(2)"), 2);
  EXPECT_EQ(::FieldFindbyName(In, "none"), -1);
  EXPECT_EQ(::FieldFindbyName(In, nullptr), -1);
  EXPECT_EQ(::FieldFindbyName(0, "\xB1\xE0\xBA\xC5"), -1);

  EXPECT_EQ(::FieldSetCount(Out, 4), ENGINE_OK);
  EXPECT_EQ(Probe->FieldCount, 4);
  EXPECT_EQ(::FieldSetCount(In, 5), ENGINE_ERR_HANDLE);
  EXPECT_EQ(::FieldSetCount(0, 5), ENGINE_ERR_HANDLE);
  EXPECT_EQ(Probe->FieldCount, 4);
  ::FieldSetType(In, 1, ftDouble);
  EXPECT_EQ(Probe->SetTypeIndex, -1);
  ::FieldSetType(Out, 1, ftDouble);
  EXPECT_EQ(Probe->SetTypeIndex, 1);
  EXPECT_EQ(Probe->SetTypeValue, ftDouble);

  EXPECT_EQ(::FieldIsEmpty(In, 0), -1);
  Import->Reader(0).V.Null = false;
  EXPECT_EQ(::FieldIsEmpty(In, 0), 0);
  EXPECT_EQ(::FieldIsEmpty(Out, 0), -1);
  EXPECT_EQ(::FieldIsEmpty(In, 5), -1);
}

TEST_F(EngineTest, ReadProceduresFollowTheColumnsOwnType) {
  const uint32_t H = Register(1, {ftByte, ftShortInt, ftString, ftBoolean, ftLongWord});
  auto ReadInt = ProcOf<HV_READ_INTEGER_PROC>(1, ftInteger);
  Port->Reader(0).Hold(200);
  Port->Reader(1).Hold(-56);
  Port->Reader(2).Hold(12);
  Port->Reader(3).Hold(1);
  Port->Reader(4).Hold(0xFFFFFFFFll);
  EXPECT_EQ(ReadInt(H, 0), 200);
  EXPECT_EQ(ReadInt(H, 1), -56);
  EXPECT_EQ(ReadInt(H, 2), 0) << "a text column gives 0";
  EXPECT_EQ(ReadInt(H, 3), 1);
  EXPECT_EQ(ReadInt(H, 4), -1);
  Port->Reader(0).V.Null = true;
  EXPECT_EQ(ReadInt(H, 0), 0);
  EXPECT_EQ(ReadInt(H, 9), 0);
  EXPECT_EQ(ReadInt(0, 0), 0);

  Port->Reader(2).V.Float = 2.5;
  Port->Reader(2).V.Int = -(1ll << 40);
  EXPECT_EQ(ProcOf<HV_READ_INT64_PROC>(1, ftInt64)(H, 2), -(1ll << 40));
  EXPECT_EQ(ProcOf<HV_READ_DOUBLE_PROC>(1, ftDouble)(H, 2), 2.5);
  EXPECT_EQ(ProcOf<HV_READ_SINGLE_PROC>(1, ftSingle)(H, 2), 2.5f);
  EXPECT_EQ(ProcOf<HV_READ_DOUBLE_PROC>(1, ftDouble)(H, 0), 0.0) << "null column";
}

TEST_F(EngineTest, TextReadsUseTheTextOutRule) {
  const uint32_t H = Register(1, {ftString, ftWideString});
  auto ReadText = ProcOf<HV_READ_TEXT_PROC>(1, ftString);
  Port->Reader(0).V.Str = "hello";  // still null: ReadTextValue does not look
  char Buf[8];
  std::memset(Buf, 'X', sizeof Buf);
  int32_t Size = 0;
  EXPECT_EQ(ReadText(H, 0, nullptr, &Size), 0);
  EXPECT_EQ(Size, 5);
  EXPECT_EQ(ReadText(H, 0, Buf, &Size), -1);
  EXPECT_EQ(std::string(Buf, 6), "helloX");
  Size = 4;
  std::memset(Buf, 'X', sizeof Buf);
  EXPECT_EQ(ReadText(H, 0, Buf, &Size), 0);
  EXPECT_EQ(Size, 5);
  EXPECT_EQ(Buf[0], 'X');
  Size = 33;
  EXPECT_EQ(ReadText(H, 7, Buf, &Size), 0);
  EXPECT_EQ(Size, 33);
  EXPECT_EQ(ReadText(H, 0, Buf, nullptr), 0);

  auto ReadWide = ProcOf<HV_READ_WIDETEXT_PROC>(1, ftWideString);
  Port->Reader(1).V.Wide = u"\x7F16\x53F7z";
  uint16_t W[4] = {0xAAAA, 0xAAAA, 0xAAAA, 0xAAAA};
  Size = 0;
  EXPECT_EQ(ReadWide(H, 1, nullptr, &Size), 0);
  EXPECT_EQ(Size, 6);
  EXPECT_EQ(ReadWide(H, 1, W, &Size), -1);
  EXPECT_EQ(W[0], 0x7F16);
  EXPECT_EQ(W[2], u'z');
  EXPECT_EQ(W[3], 0xAAAA);

  auto ReadValueText = ProcOf<HV_READ_TEXT_PROC>(1, ftExtended);
  Size = 8;
  EXPECT_EQ(ReadValueText(H, 0, Buf, &Size), 0) << "null column";
  EXPECT_EQ(Size, 8);
  Port->Reader(0).V.Null = false;
  EXPECT_EQ(ReadValueText(H, 0, Buf, &Size), -1) << "a text column renders as the empty text";
  EXPECT_EQ(Size, 0);

  int32_t BlobSize = 5;
  EXPECT_EQ(ProcOf<HV_READ_BLOB_PROC>(1, ftBlob)(H, 0, 0, 0, &BlobSize), 0);
  EXPECT_EQ(BlobSize, -1);
  EXPECT_EQ(ProcOf<HV_READ_BLOB_PROC>(1, ftBlob)(H, 0, 0, 0, nullptr), 0);
}

// Short texts are copied without a call, in moves that overlap: every length must arrive whole, in a
// buffer exactly that large, with nothing written past it.
TEST_F(EngineTest, TextReadsCopyEveryLengthExactly) {
  const uint32_t H = Register(1, {ftString});
  auto ReadText = ProcOf<HV_READ_TEXT_PROC>(1, ftString);
  std::string Text;
  for (int Length = 0; Length <= 40; ++Length) {
    Port->Reader(0).V.Str = Text;
    std::vector<char> Buf(static_cast<size_t>(Length) + 1, '#');
    int32_t Size = Length;
    EXPECT_EQ(ReadText(H, 0, Buf.data(), &Size), -1);
    EXPECT_EQ(std::string(Buf.data(), static_cast<size_t>(Length)), Text);
    EXPECT_EQ(Buf.back(), '#') << Length;
    Text += static_cast<char>('a' + Length % 26);
  }
}

TEST_F(EngineTest, RecordReadsFillOrZeroTheHostsRecord) {
  const uint32_t H = Register(1, {ftGuid, ftDateTime});
  auto ReadGuid = ProcOf<HV_READ_GUID_PROC>(1, ftGuid);
  auto ReadDate = ProcOf<HV_READ_DATETIME_PROC>(1, ftDate);
  HV_GUID G;
  std::memset(&G, 0xEE, sizeof G);
  ReadGuid(&G, H, 0);
  EXPECT_EQ(G.Data1, 0u) << "null column: zeroed";
  Port->Reader(0).V.Null = false;
  Port->Reader(0).V.Guid = TGuid{0x01020304, 0x0506, 0x0708, {9, 10, 11, 12, 13, 14, 15, 16}};
  ReadGuid(&G, H, 0);
  EXPECT_EQ(G.Data1, 0x01020304u);
  EXPECT_EQ(G.Data2, 0x0506);
  EXPECT_EQ(G.Data4[7], 16);
  ReadGuid(nullptr, H, 0);

  HV_SYSTEMTIME St;
  std::memset(&St, 0xEE, sizeof St);
  ReadDate(&St, H, 1);
  EXPECT_EQ(St.wYear, 0);
  EXPECT_EQ(St.wMilliseconds, 0);
  Port->Reader(1).V.Null = false;
  Port->Reader(1).V.DateTime = EncodeDateTime(2024, 3, 5, 13, 45, 7, 250);
  ReadDate(&St, H, 1);
  EXPECT_EQ(St.wYear, 2024);
  EXPECT_EQ(St.wMonth, 3);
  EXPECT_EQ(St.wDay, 5);
  EXPECT_EQ(St.wDayOfWeek, 2);
  EXPECT_EQ(St.wHour, 13);
  EXPECT_EQ(St.wMinute, 45);
  EXPECT_EQ(St.wSecond, 7);
  EXPECT_EQ(St.wMilliseconds, 250);
  Port->Reader(1).V.DateTime = 1e12;  // names no day: zeroed, not garbage
  ReadDate(&St, H, 1);
  EXPECT_EQ(St.wYear, 0);
  EXPECT_EQ(St.wDay, 0);
  ReadDate(nullptr, H, 1);
}

TEST_F(EngineTest, WriteProceduresStoreByTheColumnsType) {
  const uint32_t H = Register(2, {ftByte, ftSmallInt, ftString, ftBoolean});
  auto WriteInt = ProcOf<HV_WRITE_INTEGER_PROC>(2, ftInteger);
  WriteInt(H, 0, 300);
  EXPECT_EQ(Port->Writer(0).V.LastSetter, "SetAsByte");
  EXPECT_EQ(Port->Writer(0).V.Int, 44);
  WriteInt(H, 1, 70000);
  EXPECT_EQ(Port->Writer(1).V.LastSetter, "SetAsSmallInt");
  EXPECT_EQ(Port->Writer(1).V.Int, 4464);
  WriteInt(H, 2, 5);
  EXPECT_EQ(Port->Writer(2).V.LastSetter, "") << "a text column ignores integers";
  WriteInt(H, 3, 0x100);
  EXPECT_EQ(Port->Writer(3).V.LastSetter, "SetAsBoolean");
  EXPECT_EQ(Port->Writer(3).V.Int, 0) << "low 8 bits";

  auto WriteText = ProcOf<HV_WRITE_TEXT_PROC>(2, ftString);
  WriteText(H, 2, "a\0b|rest", 3);
  EXPECT_EQ(Port->Writer(2).V.Str, std::string("a\0b", 3));
  WriteText(H, 2, "zzz", 0);
  EXPECT_EQ(Port->Writer(2).V.Str, "");
  Port->Writer(2).V.Str = "kept";
  WriteText(H, 2, nullptr, 4);
  EXPECT_EQ(Port->Writer(2).V.Str, "kept");

  // 64-bit and float values whatever the column type.
  ProcOf<HV_WRITE_INT64_PROC>(2, ftInt64)(H, 2, 1ll << 40);
  EXPECT_EQ(Port->Writer(2).V.LastSetter, "SetAsInt64");
  EXPECT_EQ(Port->Writer(2).V.Int, 1ll << 40);
  ProcOf<HV_WRITE_DOUBLE_PROC>(2, ftDouble)(H, 2, 0.125);
  EXPECT_EQ(Port->Writer(2).V.Float, 0.125);
  ProcOf<HV_WRITE_SINGLE_PROC>(2, ftSingle)(H, 2, 1.5f);
  EXPECT_EQ(Port->Writer(2).V.LastSetter, "SetAsSingle");

  // Import handles and unknown columns take nothing.
  const uint32_t In = Register(1, {ftString});
  WriteText(In, 0, "x", 1);
  WriteInt(0, 0, 1);
  WriteText(H, 9, "x", 1);
  EXPECT_EQ(ProcOf<HV_WRITE_BLOB_PROC>(2, ftBlob)(1, 2, 3, 4, 5), 0);
}

TEST_F(EngineTest, DateTimeAndGuidWrites) {
  const uint32_t H = Register(2, {ftDateTime, ftGuid});
  auto WriteDate = ProcOf<HV_WRITE_DATETIME_PROC>(2, ftDateTime);
  HV_SYSTEMTIME St{1899, 12, 6 /* ignored */, 29, 12, 0, 0, 0};
  WriteDate(H, 0, &St);
  EXPECT_EQ(Port->Writer(0).V.LastSetter, "SetAsDateTime");
  EXPECT_DOUBLE_EQ(Port->Writer(0).V.DateTime, -1.5);
  Port->Writer(0).V = {};
  HV_SYSTEMTIME Bad{2023, 2, 0, 29, 0, 0, 0, 0};
  WriteDate(H, 0, &Bad);
  HV_SYSTEMTIME BadTime{2024, 2, 0, 29, 24, 0, 0, 0};
  WriteDate(H, 0, &BadTime);
  WriteDate(H, 0, nullptr);
  EXPECT_EQ(Port->Writer(0).V.LastSetter, "") << "an invalid record stores nothing";

  HV_GUID G{0xA1B2C3D4, 0x1122, 0x3344, {1, 2, 3, 4, 5, 6, 7, 8}};
  ProcOf<HV_WRITE_GUID_PROC>(2, ftGuid)(H, 1, &G);
  EXPECT_EQ(Port->Writer(1).V.Guid, (TGuid{0xA1B2C3D4, 0x1122, 0x3344, {1, 2, 3, 4, 5, 6, 7, 8}}));
  ProcOf<HV_WRITE_GUID_PROC>(2, ftGuid)(H, 1, nullptr);
}

TEST_F(EngineTest, ValueTextWritesConvertToTheColumnsType) {
  const uint32_t H = Register(2, {ftInteger, ftGuid, ftString});
  auto WriteValueText = ProcOf<HV_WRITE_VALUE_TEXT_PROC>(2, ftExtended);
  int32_t Len = 5;
  EXPECT_EQ(WriteValueText(H, 0, "1,234", &Len), -1);
  EXPECT_EQ(Port->Writer(0).V.LastSetter, "SetAsInteger");
  EXPECT_EQ(Port->Writer(0).V.Int, 1234);
  Len = 3;
  EXPECT_EQ(WriteValueText(H, 2, "1,5xyz", &Len), -1);
  EXPECT_EQ(Port->Writer(2).V.Str, "1,5");

  // A GUID text in the wrong form stores nothing and gives the neutral answer.
  const char* BadGuid = "{not-a-guid}";
  Len = static_cast<int32_t>(std::strlen(BadGuid));
  EXPECT_EQ(WriteValueText(H, 1, BadGuid, &Len), 0);
  EXPECT_EQ(Port->Writer(1).V.LastSetter, "");
  const char* Guid = "{01020304-0506-0708-090A-0B0C0D0E0F10}";
  Len = static_cast<int32_t>(std::strlen(Guid));
  EXPECT_EQ(WriteValueText(H, 1, Guid, &Len), -1);
  EXPECT_EQ(Port->Writer(1).V.Guid.D1, 0x01020304u);

  EXPECT_EQ(WriteValueText(H, 0, "1", nullptr), 0);
  Len = 1;
  EXPECT_EQ(WriteValueText(H, 0, nullptr, &Len), 0);
  EXPECT_EQ(WriteValueText(0, 0, "1", &Len), 0);
}

TEST_F(EngineTest, WideTextWritesDropAnOddLastByte) {
  const uint32_t H = Register(2, {ftWideString});
  auto WriteWide = ProcOf<HV_WRITE_WIDETEXT_PROC>(2, ftWideString);
  const uint16_t Text[3] = {0x7F16, 0x53F7, u'z'};
  int32_t Size = 5;
  EXPECT_EQ(WriteWide(H, 0, Text, &Size), -1);
  EXPECT_EQ(Port->Writer(0).V.Wide, std::u16string(u"\x7F16\x53F7"));
  Size = 0;
  EXPECT_EQ(WriteWide(H, 0, nullptr, &Size), -1);
  EXPECT_EQ(Port->Writer(0).V.Wide, u"");
  EXPECT_EQ(WriteWide(H, 0, Text, nullptr), 0);
  Size = 6;
  EXPECT_EQ(WriteWide(H, 0, nullptr, &Size), 0);
}

}  // namespace
}  // namespace halvern::test
