#include "cetext/CeSettingsText.h"

#include "textformat/Blanks.h"

namespace halvern {
namespace {

constexpr char Quote = '"';

bool NeedsQuoting(const std::string& Title) {
  for (char C : Title)
    if (IsBlank(C) || C == Quote || C == ',') return true;
  return false;
}

// Blanks (bytes 1-32) separate titles; a zero byte is left for the caller, as it also ends an unquoted
// title.
void SkipBlanks(std::string_view Text, size_t& Pos) {
  while (Pos < Text.size() && Text[Pos] != '\0' && IsBlank(Text[Pos])) ++Pos;
}

int DigitValue(char C, int Base) {
  int V = -1;
  if (C >= '0' && C <= '9')
    V = C - '0';
  else if (Base == 16 && C >= 'a' && C <= 'f')
    V = C - 'a' + 10;
  else if (Base == 16 && C >= 'A' && C <= 'F')
    V = C - 'A' + 10;
  return V < Base ? V : -1;
}

}  // namespace

std::string TitlesToCommaText(const std::vector<std::string>& Titles) {
  // One empty title written as nothing would read back as no title at all.
  if (Titles.size() == 1 && Titles.front().empty()) return "\"\"";
  std::string Out;
  for (size_t I = 0; I < Titles.size(); ++I) {
    if (I > 0) Out += ',';
    const std::string& T = Titles[I];
    if (!NeedsQuoting(T)) {
      Out += T;
      continue;
    }
    Out += Quote;
    for (char C : T) {
      if (C == Quote) Out += Quote;
      Out += C;
    }
    Out += Quote;
  }
  return Out;
}

std::vector<std::string> CommaTextToTitles(std::string_view Text) {
  std::vector<std::string> Titles;
  size_t P = 0;
  SkipBlanks(Text, P);
  while (P < Text.size()) {
    std::string Title;
    if (Text[P] == Quote) {
      ++P;
      while (P < Text.size()) {
        if (Text[P] == Quote) {
          if (P + 1 < Text.size() && Text[P + 1] == Quote) {
            Title += Quote;
            P += 2;
            continue;
          }
          ++P;  // the closing quote
          break;
        }
        Title += Text[P++];
      }
    } else {
      // GBK trail bytes are never blanks, quotes or commas, so a byte-wise scan never splits a character.
      while (P < Text.size() && !IsBlank(Text[P]) && Text[P] != ',') Title += Text[P++];
    }
    Titles.push_back(std::move(Title));
    SkipBlanks(Text, P);
    if (P < Text.size() && Text[P] == ',') {
      ++P;
      if (P == Text.size()) {
        Titles.emplace_back();
        break;
      }
      SkipBlanks(Text, P);
    } else if (P < Text.size() && Text[P] == '\0') {
      ++P;  // a zero byte ends an unquoted title and separates like a blank
    }
  }
  return Titles;
}

std::optional<int32_t> OptionTextToInt(std::string_view Text) {
  size_t P = 0;
  while (P < Text.size() && Text[P] == ' ') ++P;
  bool Negative = false;
  if (P < Text.size() && (Text[P] == '+' || Text[P] == '-')) Negative = Text[P++] == '-';
  int Base = 10;
  if (P < Text.size() && (Text[P] == '$' || Text[P] == 'x' || Text[P] == 'X')) {
    Base = 16;
    ++P;
  } else if (P + 1 < Text.size() && Text[P] == '0' && (Text[P + 1] == 'x' || Text[P + 1] == 'X')) {
    Base = 16;
    P += 2;
  }
  if (P == Text.size()) return std::nullopt;
  // Decimal values must fit a signed 32-bit integer; hexadecimal ones may use all 32 bits.
  const uint64_t Limit = Base == 16 ? 0xFFFFFFFFu : (Negative ? 0x80000000u : 0x7FFFFFFFu);
  uint64_t V = 0;
  for (; P < Text.size(); ++P) {
    const int D = DigitValue(Text[P], Base);
    if (D < 0) return std::nullopt;
    V = V * static_cast<uint64_t>(Base) + static_cast<uint64_t>(D);
    if (V > Limit) return std::nullopt;
  }
  const uint32_t Bits = static_cast<uint32_t>(Negative ? 0 - V : V);
  return static_cast<int32_t>(Bits);
}

}  // namespace halvern
