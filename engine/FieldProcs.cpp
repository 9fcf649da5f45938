#include "engine/FieldProcs.h"

#include <cstring>
#include <iterator>
#include <string>
#include <string_view>
#include <type_traits>

#include "engine/ExportGuard.h"
#include "engine/TextOut.h"
#include "engine/WideValues.h"
#include "transport/BorrowedFields.h"
#include "transport/DateTime.h"
#include "transport/TransValues.h"

namespace halvern {

static_assert(sizeof(HV_GUID) == sizeof(TGuid));
static_assert(sizeof(HV_SYSTEMTIME) == sizeof(TDateTimeParts));

namespace {

// The column Index of an import port as a reader; empty when any step yields nothing. View holds the
// interfaces of the call's port (its Reader, which the guard found), kept as they are for the call.
TComPtr<IFieldReader> ReaderField(const TPortView& View, int32_t Index) {
  TComPtr<ITransField> Field;
  View.Reader->GetField(Index, Field.Put());
  return Field.Query<IFieldReader>();
}

// As ReaderField, for an export port (its Writer).
TComPtr<IFieldWriter> WriterField(const TPortView& View, int32_t Index) {
  TComPtr<ITransField> Field;
  View.Writer->GetField(Index, Field.Put());
  return Field.Query<IFieldWriter>();
}

// The reader of a column that holds a value; empty for no column or a null value.
TComPtr<IFieldReader> ValueField(const TPortView& View, int32_t Index) {
  TComPtr<IFieldReader> Field = ReaderField(View, Index);
  if (Field && Field->IsNull()) return {};
  return Field;
}

// Bytes the host passed with their length; empty for a length of 0 or less.
std::string HostText(const char* Text, int32_t Length) {
  return Length > 0 ? std::string(Text, static_cast<size_t>(Length)) : std::string();
}

void ZeroOut(void* Out, size_t Size) noexcept {
  std::memset(Out, 0, Size);
}

// ---- read procedures ----

// ReadTextValue through the column object, for a port without fast access. Out of line, so that the
// column reference and the temporary string cost the fast path nothing.
[[gnu::noinline]] int32_t ReadTextFromField(const TPortView& View, int32_t Index, char* Buffer,
                                            int32_t* Size) {
  TComPtr<IFieldReader> Field = ReaderField(View, Index);
  if (!Field || !Size) return HV_NEUTRAL_READ_TEXT;
  return TextOut(Field->GetAsString(), Buffer, Size);
}

int32_t HV_STDCALL ReadTextValue(uint32_t Handle, int32_t Index, char* Buffer, int32_t* Size) {
  return GuardPort(
      HV_NEUTRAL_READ_TEXT, Handle, &TPortView::Reader,
      [&](const TPortView& Port) -> int32_t {
        // No null test: a null column reads as whatever text it holds.
        // The port's own fast access, when it has one, reads the same text without a column reference or
        // a copy: this runs once per value of an import.
        if (IBorrowedFieldAccess* Fast = Port.Fields) {
          std::string_view Text;
          if (!Fast->ReadFieldText(Index, &Text) || !Size) return HV_NEUTRAL_READ_TEXT;
          return TextOut(Text, Buffer, Size);
        }
        return ReadTextFromField(Port, Index, Buffer, Size);
      },
      Handle, Index, Buffer, Size);
}

int32_t HV_STDCALL ReadIntegerValue(uint32_t Handle, int32_t Index) {
  return GuardPort(
      HV_NEUTRAL_READ_INTEGER, Handle, &TPortView::Reader,
      [&](const TPortView& Port) -> int32_t {
        TComPtr<IFieldReader> Field = ValueField(Port, Index);
        if (!Field) return HV_NEUTRAL_READ_INTEGER;
        // By the column's own type, whatever type the host asked for.
        switch (Field->GetFieldType()) {
          case ftByte: return Field->GetAsByte();
          case ftWord: return Field->GetAsWord();
          case ftLongWord: return static_cast<int32_t>(Field->GetAsLongWord());
          case ftShortInt: return Field->GetAsShortInt();
          case ftSmallInt: return Field->GetAsSmallInt();
          case ftInteger: return Field->GetAsInteger();
          case ftBoolean: return Field->GetAsBoolean() ? 1 : 0;
          default: return HV_NEUTRAL_READ_INTEGER;
        }
      },
      Handle, Index);
}

int64_t HV_STDCALL ReadInt64Value(uint32_t Handle, int32_t Index) {
  return GuardPort(
      HV_NEUTRAL_READ_INT64, Handle, &TPortView::Reader,
      [&](const TPortView& Port) -> int64_t {
        TComPtr<IFieldReader> Field = ValueField(Port, Index);
        return Field ? Field->GetAsInt64() : HV_NEUTRAL_READ_INT64;
      },
      Handle, Index);
}

float HV_STDCALL ReadSingleValue(uint32_t Handle, int32_t Index) {
  return GuardPort(
      HV_NEUTRAL_READ_SINGLE, Handle, &TPortView::Reader,
      [&](const TPortView& Port) -> float {
        TComPtr<IFieldReader> Field = ValueField(Port, Index);
        return Field ? Field->GetAsSingle() : HV_NEUTRAL_READ_SINGLE;
      },
      Handle, Index);
}

double HV_STDCALL ReadDoubleValue(uint32_t Handle, int32_t Index) {
  return GuardPort(
      HV_NEUTRAL_READ_DOUBLE, Handle, &TPortView::Reader,
      [&](const TPortView& Port) -> double {
        TComPtr<IFieldReader> Field = ValueField(Port, Index);
        return Field ? Field->GetAsDouble() : HV_NEUTRAL_READ_DOUBLE;
      },
      Handle, Index);
}

int32_t HV_STDCALL ReadValueText(uint32_t Handle, int32_t Index, char* Buffer, int32_t* Size) {
  return GuardPort(
      HV_NEUTRAL_READ_TEXT, Handle, &TPortView::Reader,
      [&](const TPortView& Port) -> int32_t {
        TComPtr<IFieldReader> Field = ValueField(Port, Index);
        if (!Field || !Size) return HV_NEUTRAL_READ_TEXT;
        return TextOut(FieldValueToText(Field.Get()), Buffer, Size);
      },
      Handle, Index, Buffer, Size);
}

void HV_STDCALL ReadGuidValue(HV_GUID* Out, uint32_t Handle, int32_t Index) {
  // Zeroed first: what a dead handle, a missing value or an error leaves.
  if (Out) ZeroOut(Out, sizeof *Out);
  GuardPort(
      kNoAnswer, Handle, &TPortView::Reader,
      [&](const TPortView& Port) {
        if (!Out) return;
        TGuid Value{};
        if (TComPtr<IFieldReader> Field = ValueField(Port, Index)) Field->GetAsGuid(Value);
        std::memcpy(Out, &Value, sizeof Value);
      },
      Out, Handle, Index);
}

void HV_STDCALL ReadDateTimeValue(HV_SYSTEMTIME* Out, uint32_t Handle, int32_t Index) {
  // Zeroed first: what a dead handle, a missing value or an error leaves.
  if (Out) ZeroOut(Out, sizeof *Out);
  GuardPort(
      kNoAnswer, Handle, &TPortView::Reader,
      [&](const TPortView& Port) {
        if (!Out) return;
        // A value that names no day of the years 1 to 9999 reads as the zeroed record, like an empty one.
        TDateTimeParts Parts;
        if (TComPtr<IFieldReader> Field = ValueField(Port, Index))
          TryDecodeDateTime(Field->GetAsDateTime(), Parts);
        HV_SYSTEMTIME Record{Parts.Year, Parts.Month,  Parts.DayOfWeek, Parts.Day,
                             Parts.Hour, Parts.Minute, Parts.Second,    Parts.MilliSecond};
        *Out = Record;
      },
      Out, Handle, Index);
}

int32_t HV_STDCALL ReadWideTextValue(uint32_t Handle, int32_t Index, uint16_t* Buffer, int32_t* Size) {
  return GuardPort(
      HV_NEUTRAL_READ_WIDETEXT, Handle, &TPortView::Reader,
      [&](const TPortView& Port) -> int32_t {
        TComPtr<IFieldReader> Field = ReaderField(Port, Index);
        if (!Field || !Size) return 0;
        return WideTextOut(ReadWideValue(*Field), Buffer, Size);
      },
      Handle, Index, Buffer, Size);
}

// Blob values are not offered; the five-argument shape keeps the host's stack balanced.
int32_t HV_STDCALL ReadBlobValue(int32_t A1, int32_t A2, int32_t A3, int32_t A4, int32_t* Size) {
  return Guard(
      HV_NEUTRAL_READ_BLOB,
      [&] {
        if (Size) *Size = -1;
        return HV_NEUTRAL_READ_BLOB;
      },
      A1, A2, A3, A4, Size);
}

// ---- write procedures ----

// WriteTextValue through the column object, for a port without fast access. Out of line, so that the
// column reference and the temporary string cost the fast path nothing.
[[gnu::noinline]] void WriteTextToField(const TPortView& View, int32_t Index, const char* Text,
                                        int32_t Length) {
  if (TComPtr<IFieldWriter> Field = WriterField(View, Index)) Field->SetAsString(HostText(Text, Length));
}

void HV_STDCALL WriteTextValue(uint32_t Handle, int32_t Index, const char* Text, int32_t Length) {
  GuardPort(
      kNoAnswer, Handle, &TPortView::Writer,
      [&](const TPortView& Port) {
        if (!Text) return;
        // As for reading: the port's fast access stores the same text without a column reference or a
        // temporary string.
        if (IBorrowedFieldAccess* Fast = Port.Fields) {
          Fast->WriteFieldText(Index, Text, Length > 0 ? static_cast<size_t>(Length) : 0);
          return;
        }
        WriteTextToField(Port, Index, Text, Length);
      },
      Handle, Index, Text, Length);
}

void HV_STDCALL WriteIntegerValue(uint32_t Handle, int32_t Index, int32_t Value) {
  GuardPort(
      kNoAnswer, Handle, &TPortView::Writer,
      [&](const TPortView& Port) {
        TComPtr<IFieldWriter> Field = WriterField(Port, Index);
        if (!Field) return;
        // By the column's own type: a text column ignores integers. Narrow types keep the low bits.
        switch (Field->GetFieldType()) {
          case ftByte: Field->SetAsByte(static_cast<uint8_t>(Value)); break;
          case ftWord: Field->SetAsWord(static_cast<uint16_t>(Value)); break;
          case ftLongWord: Field->SetAsLongWord(static_cast<uint32_t>(Value)); break;
          case ftShortInt: Field->SetAsShortInt(static_cast<int8_t>(Value)); break;
          case ftSmallInt: Field->SetAsSmallInt(static_cast<int16_t>(Value)); break;
          case ftInteger: Field->SetAsInteger(Value); break;
          case ftBoolean: Field->SetAsBoolean(static_cast<uint8_t>(Value) != 0); break;
          default: break;
        }
      },
      Handle, Index, Value);
}

void HV_STDCALL WriteInt64Value(uint32_t Handle, int32_t Index, int64_t Value) {
  GuardPort(
      kNoAnswer, Handle, &TPortView::Writer,
      [&](const TPortView& Port) {
        if (TComPtr<IFieldWriter> Field = WriterField(Port, Index)) Field->SetAsInt64(Value);
      },
      Handle, Index, Value);
}

void HV_STDCALL WriteSingleValue(uint32_t Handle, int32_t Index, float Value) {
  GuardPort(
      kNoAnswer, Handle, &TPortView::Writer,
      [&](const TPortView& Port) {
        if (TComPtr<IFieldWriter> Field = WriterField(Port, Index)) Field->SetAsSingle(Value);
      },
      Handle, Index, Value);
}

void HV_STDCALL WriteDoubleValue(uint32_t Handle, int32_t Index, double Value) {
  GuardPort(
      kNoAnswer, Handle, &TPortView::Writer,
      [&](const TPortView& Port) {
        if (TComPtr<IFieldWriter> Field = WriterField(Port, Index)) Field->SetAsDouble(Value);
      },
      Handle, Index, Value);
}

int32_t HV_STDCALL WriteValueText(uint32_t Handle, int32_t Index, const char* Text, int32_t* Length) {
  return GuardPort(
      HV_NEUTRAL_WRITE_VALUE_TEXT, Handle, &TPortView::Writer,
      [&](const TPortView& Port) -> int32_t {
        if (!Length || (!Text && *Length > 0)) return HV_NEUTRAL_WRITE_VALUE_TEXT;
        TComPtr<IFieldWriter> Field = WriterField(Port, Index);
        if (!Field) return HV_NEUTRAL_WRITE_VALUE_TEXT;
        // Converts to the column's own type, or stores nothing when the text does not convert. A GUID text
        // in the wrong form raises; it too stores nothing and gives the neutral answer.
        AssignFieldValue(Field.Get(), TVariant::FromString(HostText(Text, *Length)));
        return -1;
      },
      Handle, Index, Text, Length);
}

void HV_STDCALL WriteGuidValue(uint32_t Handle, int32_t Index, const HV_GUID* Value) {
  GuardPort(
      kNoAnswer, Handle, &TPortView::Writer,
      [&](const TPortView& Port) {
        if (!Value) return;
        TGuid G;
        std::memcpy(&G, Value, sizeof G);
        if (TComPtr<IFieldWriter> Field = WriterField(Port, Index)) Field->SetAsGuid(G);
      },
      Handle, Index, Value);
}

void HV_STDCALL WriteDateTimeValue(uint32_t Handle, int32_t Index, const HV_SYSTEMTIME* Value) {
  GuardPort(
      kNoAnswer, Handle, &TPortView::Writer,
      [&](const TPortView& Port) {
        if (!Value) return;
        // The day of week is not read. A record that names no valid moment stores nothing.
        const TDateTimeParts Parts{Value->wYear,   Value->wMonth,       0,
                                   Value->wDay,    Value->wHour,        Value->wMinute,
                                   Value->wSecond, Value->wMilliseconds};
        TDateTime DateTime;
        if (!TryPartsToDateTime(Parts, DateTime)) return;
        if (TComPtr<IFieldWriter> Field = WriterField(Port, Index)) Field->SetAsDateTime(DateTime);
      },
      Handle, Index, Value);
}

int32_t HV_STDCALL WriteWideTextValue(uint32_t Handle, int32_t Index, const uint16_t* Buffer, int32_t* Size) {
  return GuardPort(
      HV_NEUTRAL_WRITE_WIDETEXT, Handle, &TPortView::Writer,
      [&](const TPortView& Port) -> int32_t {
        if (!Size || (!Buffer && *Size > 1)) return 0;
        TComPtr<IFieldWriter> Field = WriterField(Port, Index);
        if (!Field) return 0;
        // Whole units only: an odd last byte is dropped.
        std::u16string Text(*Size > 1 ? static_cast<size_t>(*Size / 2) : 0, u'\0');
        if (!Text.empty()) std::memcpy(Text.data(), Buffer, Text.size() * 2);
        WriteWideValue(*Field, Text, "WriteWideTextValue");
        return -1;
      },
      Handle, Index, Buffer, Size);
}

int32_t HV_STDCALL WriteBlobValue(int32_t A1, int32_t A2, int32_t A3, int32_t A4, int32_t A5) {
  return Guard(
      HV_NEUTRAL_WRITE_BLOB, [] { return HV_NEUTRAL_WRITE_BLOB; }, A1, A2, A3, A4, A5);
}

// The public procedure types and these definitions must not drift apart.
static_assert(std::is_same_v<decltype(&ReadTextValue), HV_READ_TEXT_PROC>);
static_assert(std::is_same_v<decltype(&ReadIntegerValue), HV_READ_INTEGER_PROC>);
static_assert(std::is_same_v<decltype(&ReadInt64Value), HV_READ_INT64_PROC>);
static_assert(std::is_same_v<decltype(&ReadSingleValue), HV_READ_SINGLE_PROC>);
static_assert(std::is_same_v<decltype(&ReadDoubleValue), HV_READ_DOUBLE_PROC>);
static_assert(std::is_same_v<decltype(&ReadValueText), HV_READ_TEXT_PROC>);
static_assert(std::is_same_v<decltype(&ReadGuidValue), HV_READ_GUID_PROC>);
static_assert(std::is_same_v<decltype(&ReadDateTimeValue), HV_READ_DATETIME_PROC>);
static_assert(std::is_same_v<decltype(&ReadWideTextValue), HV_READ_WIDETEXT_PROC>);
static_assert(std::is_same_v<decltype(&ReadBlobValue), HV_READ_BLOB_PROC>);
static_assert(std::is_same_v<decltype(&WriteTextValue), HV_WRITE_TEXT_PROC>);
static_assert(std::is_same_v<decltype(&WriteIntegerValue), HV_WRITE_INTEGER_PROC>);
static_assert(std::is_same_v<decltype(&WriteInt64Value), HV_WRITE_INT64_PROC>);
static_assert(std::is_same_v<decltype(&WriteSingleValue), HV_WRITE_SINGLE_PROC>);
static_assert(std::is_same_v<decltype(&WriteDoubleValue), HV_WRITE_DOUBLE_PROC>);
static_assert(std::is_same_v<decltype(&WriteValueText), HV_WRITE_VALUE_TEXT_PROC>);
static_assert(std::is_same_v<decltype(&WriteGuidValue), HV_WRITE_GUID_PROC>);
static_assert(std::is_same_v<decltype(&WriteDateTimeValue), HV_WRITE_DATETIME_PROC>);
static_assert(std::is_same_v<decltype(&WriteWideTextValue), HV_WRITE_WIDETEXT_PROC>);
static_assert(std::is_same_v<decltype(&WriteBlobValue), HV_WRITE_BLOB_PROC>);

template <class TProc>
HV_PROC AsProc(TProc Proc) noexcept {
  return reinterpret_cast<HV_PROC>(Proc);
}

// The value shapes a field type is passed as; one read and one write procedure each.
enum TShape : int32_t {
  kText,
  kInteger,
  kInt64,
  kSingle,
  kDouble,
  kValueText,
  kGuid,
  kDateTime,
  kWideText,
  kBlob
};
constexpr int32_t kNoShape = -1;

int32_t ShapeOf(int32_t FieldType) noexcept {
  switch (FieldType) {
    case ftUnknown:
    case ftString: return kText;
    case ftByte:
    case ftWord:
    case ftLongWord:
    case ftShortInt:
    case ftSmallInt:
    case ftInteger:
    case ftBoolean: return kInteger;
    case ftInt64: return kInt64;
    case ftSingle: return kSingle;
    case ftDouble: return kDouble;
    case ftExtended: return kValueText;
    case ftGuid: return kGuid;
    case ftTime:
    case ftDate:
    case ftDateTime: return kDateTime;
    case ftWideString: return kWideText;
    case ftBlob: return kBlob;
    default: return kNoShape;
  }
}

// By shape, in TShape's order.
const HV_PROC kReadProcs[] = {AsProc(&ReadTextValue),     AsProc(&ReadIntegerValue),
                              AsProc(&ReadInt64Value),    AsProc(&ReadSingleValue),
                              AsProc(&ReadDoubleValue),   AsProc(&ReadValueText),
                              AsProc(&ReadGuidValue),     AsProc(&ReadDateTimeValue),
                              AsProc(&ReadWideTextValue), AsProc(&ReadBlobValue)};
const HV_PROC kWriteProcs[] = {AsProc(&WriteTextValue),     AsProc(&WriteIntegerValue),
                               AsProc(&WriteInt64Value),    AsProc(&WriteSingleValue),
                               AsProc(&WriteDoubleValue),   AsProc(&WriteValueText),
                               AsProc(&WriteGuidValue),     AsProc(&WriteDateTimeValue),
                               AsProc(&WriteWideTextValue), AsProc(&WriteBlobValue)};
static_assert(std::size(kReadProcs) == kBlob + 1 && std::size(kWriteProcs) == kBlob + 1);

}  // namespace

HV_PROC FieldValueProc(int32_t Direction, int32_t FieldType) noexcept {
  const int32_t Shape = ShapeOf(FieldType);
  if (Shape == kNoShape) return nullptr;
  switch (Direction) {
    case FIELD_DIR_READ: return kReadProcs[Shape];
    case FIELD_DIR_WRITE: return kWriteProcs[Shape];
    default: return nullptr;
  }
}

}  // namespace halvern
