#include "host/DeviceText.h"

namespace halvern::host {
namespace {

// The length of the valid UTF-8 sequence at S[I], 0 when none starts there.
size_t Utf8SequenceLength(std::string_view S, size_t I) {
  const auto B = static_cast<unsigned char>(S[I]);
  size_t N = 0;
  unsigned char Low = 0x80, High = 0xBF;
  if (B >= 0xC2 && B <= 0xDF) {
    N = 2;
  } else if (B >= 0xE0 && B <= 0xEF) {
    N = 3;
    if (B == 0xE0) Low = 0xA0;
    if (B == 0xED) High = 0x9F;
  } else if (B >= 0xF0 && B <= 0xF4) {
    N = 4;
    if (B == 0xF0) Low = 0x90;
    if (B == 0xF4) High = 0x8F;
  } else {
    return 0;
  }
  if (I + N > S.size()) return 0;
  for (size_t K = 1; K < N; ++K) {
    const auto C = static_cast<unsigned char>(S[I + K]);
    if (C < (K == 1 ? Low : 0x80) || C > (K == 1 ? High : 0xBF)) return 0;
  }
  return N;
}

}  // namespace

void TDeviceTextCheck::Add(std::string_view Value, int64_t Record) {
  if (!FStarted) {
    FStarted = true;
    if (Value.starts_with("\xFF\xFE") || Value.starts_with("\xFE\xFF")) FMark = TTextKind::Utf16;
    if (Value.starts_with("\xEF\xBB\xBF")) FMark = TTextKind::Utf8;
  }
  for (size_t I = 0; FUtf8Valid && I < Value.size();) {
    if (static_cast<unsigned char>(Value[I]) < 0x80) {
      ++I;
    } else if (const size_t N = Utf8SequenceLength(Value, I); N == 0) {
      FUtf8Valid = false;
    } else {
      FUtf8Seen = true;
      I += N;
    }
  }
  bool Zero = false, Broken = false;
  for (size_t I = 0; I < Value.size();) {
    const auto B = static_cast<unsigned char>(Value[I]);
    // GBK: ASCII, 0x80 alone, or a lead byte 0x81-0xFE with a trail byte 0x40-0xFE other than 0x7F.
    if (B <= 0x80) {
      Zero |= B == 0;
      ++I;
      continue;
    }
    const auto T = I + 1 < Value.size() ? static_cast<unsigned char>(Value[I + 1]) : 0;
    Broken |= B == 0xFF || T < 0x40 || T == 0x7F || T == 0xFF;
    I += 2;
  }
  if (Zero && FZeroRecord == 0) FZeroRecord = Record;
  if (Broken && FBrokenRecord == 0) FBrokenRecord = Record;
}

TTextKind TDeviceTextCheck::Kind() const noexcept {
  if (FMark != TTextKind::Gbk) return FMark;
  if (FZeroRecord != 0) return TTextKind::NotText;
  // UTF-8 text often ends in what GBK reads as half a character, so valid UTF-8 says more.
  if (FUtf8Valid && FUtf8Seen) return TTextKind::Utf8;
  if (FBrokenRecord != 0) return TTextKind::NotText;
  return TTextKind::Gbk;
}

std::string TDeviceTextCheck::Describe() const {
  switch (Kind()) {
    case TTextKind::Utf16: return "is UTF-16 text (it begins with a byte-order mark), not GBK";
    case TTextKind::Utf8:
      return FMark == TTextKind::Utf8 ? "is UTF-8 text (it begins with a byte-order mark), not GBK"
                                      : "is UTF-8 text, not GBK";
    case TTextKind::NotText:
      if (FZeroRecord != 0)
        return "is not GBK text: record " + std::to_string(FZeroRecord) +
               " holds a zero byte (UTF-16 without a byte-order mark, or not a text file?)";
      return "is not GBK text: record " + std::to_string(FBrokenRecord) +
             " holds a broken double-byte character";
    case TTextKind::Gbk: break;
  }
  return {};
}

}  // namespace halvern::host
