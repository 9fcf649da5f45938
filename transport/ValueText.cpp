#include "transport/ValueText.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/Locale.h"
#include "textformat/Blanks.h"
#include "transport/DateTime.h"

#include <clocale>

namespace halvern {
namespace {

constexpr bool IsDigit(char C) {
  return C >= '0' && C <= '9';
}

void AppendPadded(std::string& Out, int64_t Value, int Width) {
  char Buf[32];
  std::snprintf(Buf, sizeof Buf, "%0*lld", Width, static_cast<long long>(Value));
  Out += Buf;
}

// The calendar fields of a date-time value, split the way the day count and the time of day combine:
// the day is the integer part (towards zero), the time the absolute fraction, both after rounding the
// whole value to milliseconds.
struct TSplitDateTime {
  int32_t Year, Month, Day, Hour, Minute, Second, MSec;
};

std::optional<TSplitDateTime> SplitDateTime(TDateTime Value) {
  if (!std::isfinite(Value)) return std::nullopt;
  TDateTimeParts P;
  if (!TryDecodeDateTime(Value, P)) return std::nullopt;
  return TSplitDateTime{P.Year, P.Month, P.Day, P.Hour, P.Minute, P.Second, P.MilliSecond};
}

void AppendDate(std::string& Out, const TSplitDateTime& T) {
  AppendPadded(Out, T.Year, 4);
  Out += TransFormatSettings.DateSeparator;
  AppendPadded(Out, T.Month, 2);
  Out += TransFormatSettings.DateSeparator;
  AppendPadded(Out, T.Day, 2);
}

void AppendTime(std::string& Out, const TSplitDateTime& T) {
  AppendPadded(Out, T.Hour, 2);
  Out += TransFormatSettings.TimeSeparator;
  AppendPadded(Out, T.Minute, 2);
  Out += TransFormatSettings.TimeSeparator;
  AppendPadded(Out, T.Second, 2);
  Out += TransFormatSettings.TimeSeparator;  // the long time format puts ":" before the milliseconds
  AppendPadded(Out, T.MSec, 3);
}

// A cursor over a date-time text, scanning the way the date reader of the format record does: blanks
// before every number and separator are skipped.
class TDateScanner {
 public:
  explicit TDateScanner(std::string_view Text) : FText(Text) {}

  bool AtEnd() const { return FPos >= FText.size(); }
  size_t Pos() const { return FPos; }
  void SetPos(size_t P) { FPos = P; }

  void SkipBlanks() {
    while (FPos < FText.size() && FText[FPos] == ' ') ++FPos;
  }
  // Up to four digits (a longer run leaves the rest for the next scan, which then fails).
  bool Number(int32_t& N, int32_t& Digits) {
    SkipBlanks();
    size_t I = FPos;
    int32_t V = 0;
    while (I < FText.size() && IsDigit(FText[I]) && V < 1000) V = V * 10 + (FText[I++] - '0');
    if (I == FPos) return false;
    Digits = static_cast<int32_t>(I - FPos);
    FPos = I;
    N = V;
    return true;
  }
  bool Char(char C) {
    SkipBlanks();
    if (FPos < FText.size() && FText[FPos] == C) {
      ++FPos;
      return true;
    }
    return false;
  }

 private:
  std::string_view FText;
  size_t FPos = 0;
};

// Year, month, day in that order; two numbers name a month and day of the current year, and a year of
// one or two digits lies in the current century (the format record has no century window).
std::optional<TDateTime> ScanDate(TDateScanner& S) {
  int32_t N1, N2, N3, L1, L2, L3;
  if (!(S.Number(N1, L1) && S.Char(TransFormatSettings.DateSeparator) && S.Number(N2, L2)))
    return std::nullopt;
  int32_t Y, M, D;
  if (S.Char(TransFormatSettings.DateSeparator)) {
    if (!S.Number(N3, L3)) return std::nullopt;
    Y = N1;
    M = N2;
    D = N3;
    if (L1 <= 2) Y += platform::CurrentLocalYear() / 100 * 100;
  } else {
    Y = platform::CurrentLocalYear();
    M = N1;
    D = N2;
  }
  S.Char(TransFormatSettings.DateSeparator);
  S.SkipBlanks();
  TDateTime Date;
  if (!TryEncodeDate(Y, M, D, Date)) return std::nullopt;
  return Date;
}

// Hours and minutes, optionally seconds; milliseconds are not read (the record has no decimal
// separator).
std::optional<TDateTime> ScanTime(TDateScanner& S) {
  int32_t H, Mi, Se = 0, L;
  if (!S.Number(H, L)) return std::nullopt;
  if (!S.Char(TransFormatSettings.TimeSeparator) || !S.Number(Mi, L)) return std::nullopt;
  if (S.Char(TransFormatSettings.TimeSeparator) && !S.Number(Se, L)) return std::nullopt;
  TDateTime Time;
  if (!TryEncodeTime(H, Mi, Se, 0, Time)) return std::nullopt;
  return Time;
}

std::optional<TDateTime> TextToTimeOnly(std::string_view Text) {
  TDateScanner S(Text);
  auto Time = ScanTime(S);
  S.SkipBlanks();
  if (!Time || !S.AtEnd()) return std::nullopt;
  return Time;
}

// The decimal point the C runtime's number reader expects (its locale, not the user's settings).
char CrtDecimalPoint() {
  const std::lconv* L = std::localeconv();
  return L && L->decimal_point && L->decimal_point[0] != '\0' ? L->decimal_point[0] : '.';
}

int HexValue(char C) {
  if (C >= '0' && C <= '9') return C - '0';
  if (C >= 'a' && C <= 'f') return C - 'a' + 10;
  if (C >= 'A' && C <= 'F') return C - 'A' + 10;
  return -1;
}

bool ReadHex(std::string_view Text, size_t Pos, size_t Count, uint64_t& Out) {
  Out = 0;
  for (size_t I = 0; I < Count; ++I) {
    const int V = HexValue(Text[Pos + I]);
    if (V < 0) return false;
    Out = Out << 4 | static_cast<uint64_t>(V);
  }
  return true;
}

}  // namespace

char LocaleDecimalSeparator() {
  return platform::UserDecimalSeparator();
}

std::string FormatFloatGeneral(TExtended Value, int Precision, char DecimalSeparator) {
  if (std::isnan(Value)) return "NAN";
  if (std::isinf(Value)) return Value < 0 ? "-INF" : "INF";
  if (Value == 0) return "0";
  if (Precision < 1) Precision = 1;
  if (Precision > 18) Precision = 18;

  // Scientific digits rounded to the precision: "d.ddd...e[+-]xx".
  char Buf[64];
  const auto Res = std::to_chars(Buf, Buf + sizeof Buf, Value, std::chars_format::scientific, Precision - 1);
  std::string_view Sci(Buf, static_cast<size_t>(Res.ptr - Buf));
  const bool Negative = Sci.front() == '-';
  if (Negative) Sci.remove_prefix(1);
  const size_t EPos = Sci.find('e');
  std::string Digits;
  for (char C : Sci.substr(0, EPos))
    if (IsDigit(C)) Digits += C;
  const int Exp10 = std::atoi(std::string(Sci.substr(EPos + 1)).c_str());
  while (Digits.size() > 1 && Digits.back() == '0') Digits.pop_back();

  // Point position: the number is 0.Digits times ten to the power Point.
  const int Point = Exp10 + 1;
  std::string Out = Negative ? "-" : "";
  if (Point <= Precision && Point >= -4) {
    if (Point <= 0) {
      Out += '0';
      Out += DecimalSeparator;
      Out.append(static_cast<size_t>(-Point), '0');
      Out += Digits;
    } else if (static_cast<size_t>(Point) >= Digits.size()) {
      Out += Digits;
      Out.append(static_cast<size_t>(Point) - Digits.size(), '0');
    } else {
      Out.append(Digits, 0, static_cast<size_t>(Point));
      Out += DecimalSeparator;
      Out.append(Digits, static_cast<size_t>(Point));
    }
  } else {
    Out += Digits[0];
    if (Digits.size() > 1) {
      Out += DecimalSeparator;
      Out.append(Digits, 1);
    }
    Out += 'E';
    Out += std::to_string(Exp10);
  }
  return Out;
}

std::string DateToText(TDateTime Value) {
  std::string Out;
  if (auto T = SplitDateTime(Value)) AppendDate(Out, *T);
  return Out;
}

std::string TimeToText(TDateTime Value) {
  std::string Out;
  if (auto T = SplitDateTime(Value)) AppendTime(Out, *T);
  return Out;
}

std::string DateTimeToText(TDateTime Value) {
  std::string Out;
  if (auto T = SplitDateTime(Value)) {
    AppendDate(Out, *T);
    // Milliseconds alone do not bring the time out.
    if (T->Hour != 0 || T->Minute != 0 || T->Second != 0) {
      Out += ' ';
      AppendTime(Out, *T);
    }
  }
  return Out;
}

std::optional<TDateTime> TextToDateTime(std::string_view Text) {
  TDateScanner S(Text);
  if (auto Date = ScanDate(S)) {
    TDateTime Time = 0;
    if (!S.AtEnd()) {
      auto T = ScanTime(S);
      if (!T) return TextToTimeOnly(Text);
      Time = *T;
    }
    // Before 1899-12-30 the day count is negative and the time of day counts away from zero.
    return ComposeDateTime(*Date, Time);
  }
  return TextToTimeOnly(Text);
}

std::optional<int64_t> TextToInt64(std::string_view Text) {
  std::string_view S = TrimSpacesAndTabs(Text);
  bool Negative = false;
  if (!S.empty() && (S.front() == '+' || S.front() == '-')) {
    Negative = S.front() == '-';
    S.remove_prefix(1);
  }
  size_t I = 0;
  // Accumulate the magnitude as a negative number so that the most negative value fits.
  int64_t Acc = 0;
  constexpr int64_t Min = std::numeric_limits<int64_t>::min();
  while (I < S.size() && IsDigit(S[I])) {
    const int D = S[I++] - '0';
    if (Acc < (Min + D) / 10) return std::nullopt;
    Acc = Acc * 10 - D;
  }
  const size_t IntDigits = I;
  bool RoundUp = false;
  size_t FracDigits = 0;
  if (I < S.size() && S[I] == '.') {
    ++I;
    const size_t FracStart = I;
    while (I < S.size() && IsDigit(S[I])) ++I;
    FracDigits = I - FracStart;
    if (FracDigits > 0) {
      // Half to even, as the runtime's integer conversion rounds.
      const char First = S[FracStart];
      bool RestNonZero = false;
      for (size_t K = FracStart + 1; K < I; ++K) RestNonZero |= S[K] != '0';
      const bool Odd = (-(Acc % 10)) % 2 != 0;
      RoundUp = First > '5' || (First == '5' && (RestNonZero || Odd));
    }
  }
  if (IntDigits == 0 && FracDigits == 0) return std::nullopt;
  if (I != S.size()) return std::nullopt;
  if (RoundUp) {
    if (Acc == Min) return std::nullopt;
    --Acc;
  }
  if (!Negative) {
    if (Acc == Min) return std::nullopt;
    return -Acc;
  }
  return Acc;
}

std::optional<TExtended> TextToExtended(std::string_view Text) {
  const std::string_view S = TrimSpacesAndTabs(Text);
  // Validate the whole syntax first: the C runtime's reader would accept more (hexadecimal, "inf").
  size_t I = 0;
  if (I < S.size() && (S[I] == '+' || S[I] == '-')) ++I;
  size_t Mantissa = 0;
  while (I < S.size() && IsDigit(S[I])) ++I, ++Mantissa;
  if (I < S.size() && S[I] == '.') {
    ++I;
    while (I < S.size() && IsDigit(S[I])) ++I, ++Mantissa;
  }
  if (Mantissa == 0) return std::nullopt;
  if (I < S.size() && (S[I] == 'e' || S[I] == 'E')) {
    ++I;
    if (I < S.size() && (S[I] == '+' || S[I] == '-')) ++I;
    size_t ExpDigits = 0;
    while (I < S.size() && IsDigit(S[I])) ++I, ++ExpDigits;
    if (ExpDigits == 0) return std::nullopt;
  }
  if (I != S.size()) return std::nullopt;

  // The C runtime reads its own locale's decimal point, so hand it that one in place of ".".
  std::string C(S);
  const char Point = CrtDecimalPoint();
  for (char& Ch : C)
    if (Ch == '.') Ch = Point;
  char* End = nullptr;
  const TExtended V = std::strtold(C.c_str(), &End);
  if (End != C.c_str() + C.size() || !std::isfinite(V)) return std::nullopt;
  return V;
}

std::optional<bool> TextToBoolean(std::string_view Text) {
  const std::string_view S = TrimSpacesAndTabs(Text);
  auto Same = [&](const char* Word) {
    const size_t N = std::strlen(Word);
    if (S.size() != N) return false;
    for (size_t I = 0; I < N; ++I) {
      char C = S[I];
      if (C >= 'A' && C <= 'Z') C = static_cast<char>(C - 'A' + 'a');
      if (C != Word[I]) return false;
    }
    return true;
  };
  if (Same("true")) return true;
  if (Same("false")) return false;
  if (auto N = TextToExtended(S)) return *N != 0;
  return std::nullopt;
}

std::optional<TGuid> TextToGuid(std::string_view Text) {
  if (Text.size() != 38 || Text[0] != '{' || Text[37] != '}' || Text[9] != '-' || Text[14] != '-' ||
      Text[19] != '-' || Text[24] != '-')
    return std::nullopt;
  TGuid G{};
  uint64_t V;
  if (!ReadHex(Text, 1, 8, V)) return std::nullopt;
  G.D1 = static_cast<uint32_t>(V);
  if (!ReadHex(Text, 10, 4, V)) return std::nullopt;
  G.D2 = static_cast<uint16_t>(V);
  if (!ReadHex(Text, 15, 4, V)) return std::nullopt;
  G.D3 = static_cast<uint16_t>(V);
  static constexpr std::array<size_t, 8> BytePos{20, 22, 25, 27, 29, 31, 33, 35};
  for (size_t K = 0; K < BytePos.size(); ++K) {
    if (!ReadHex(Text, BytePos[K], 2, V)) return std::nullopt;
    G.D4[K] = static_cast<uint8_t>(V);
  }
  return G;
}

}  // namespace halvern
