#include "host/OptionsText.h"

#include "platform/CodePage.h"

namespace halvern::host {

namespace {

bool IsBlank(char C) {
  return static_cast<unsigned char>(C) <= 32;
}

std::string_view Trim(std::string_view S) {
  while (!S.empty() && IsBlank(S.front())) S.remove_prefix(1);
  while (!S.empty() && IsBlank(S.back())) S.remove_suffix(1);
  return S;
}

// The position of the first Separator outside quoted text and brackets, npos when there is none.
// Unclosed is set when a quote or bracket is still open at the end. A quote opens text that ends at the
// next quote; three quotes in a row, inside quoted text or outside it, stand for one quote.
size_t FindOutside(std::string_view S, char Separator, bool& Unclosed) {
  bool Quoted = false;
  int Depth = 0;
  for (size_t I = 0; I < S.size(); ++I) {
    const char C = S[I];
    if (C == '"') {
      if (S.substr(I, 3) == "\"\"\"") {
        I += 2;
        continue;
      }
      Quoted = !Quoted;
    } else if (!Quoted && C == '{') {
      ++Depth;
    } else if (!Quoted && C == '}') {
      if (Depth > 0) --Depth;
    } else if (!Quoted && Depth == 0 && C == Separator) {
      Unclosed = false;
      return I;
    }
  }
  Unclosed = Quoted || Depth > 0;
  return std::string_view::npos;
}

std::string Decode(std::string_view Field) {
  Field = Trim(Field);
  if (Field.size() >= 2 && Field.front() == '{' && Field.back() == '}')
    return std::string(Field.substr(1, Field.size() - 2));
  std::string Out;
  for (size_t I = 0; I < Field.size(); ++I) {
    Out += Field[I];
    if (Field.substr(I, 3) == "\"\"\"") I += 2;
  }
  if (Out.size() >= 2 && Out.front() == '"' && Out.back() == '"') Out = Out.substr(1, Out.size() - 2);
  return Out;
}

}  // namespace

std::string ParseOptionsText(std::string_view Gbk, std::vector<TOptionRecord>& Records) {
  Records.clear();
  while (!Gbk.empty()) {
    bool Unclosed = false;
    const size_t End = FindOutside(Gbk, ';', Unclosed);
    const std::string_view Record = Gbk.substr(0, End);
    Gbk = End == std::string_view::npos ? std::string_view() : Gbk.substr(End + 1);
    const std::string Shown = platform::AnsiToUtf8(Trim(Record));
    if (Unclosed) return "a quote or bracket in '" + Shown + "' is never closed";
    if (Trim(Record).empty()) continue;
    const size_t Eq = FindOutside(Record, '=', Unclosed);
    if (Eq == std::string_view::npos) return "the record '" + Shown + "' has no '='";
    const std::string Key = Decode(Record.substr(0, Eq));
    if (Key != HV_OPTION_FILE_NAME && Key != HV_OPTION_HAS_TITLE && Key != HV_OPTION_COLUMNS)
      return "unknown key '" + platform::AnsiToUtf8(Key) + "' (the keys are " +
             platform::AnsiToUtf8(HV_OPTION_FILE_NAME) + ", " + platform::AnsiToUtf8(HV_OPTION_HAS_TITLE) +
             " and " + platform::AnsiToUtf8(HV_OPTION_COLUMNS) + ")";
    Records.push_back({Key, Decode(Record.substr(Eq + 1))});
  }
  return {};
}

std::string OptionValue(std::string_view Gbk, std::string_view Key, std::string Fallback) {
  std::vector<TOptionRecord> Records;
  ParseOptionsText(Gbk, Records);
  for (const TOptionRecord& R : Records)
    if (R.Key == Key) Fallback = R.Value;
  return Fallback;
}

std::string CheckColumnList(std::string_view Gbk) {
  if (Trim(Gbk).empty()) return "names no column (leave it out for the default columns)";
  size_t I = 0;
  for (;;) {
    while (I < Gbk.size() && (IsBlank(Gbk[I]) || Gbk[I] == ',')) ++I;
    if (I >= Gbk.size()) break;
    if (Gbk[I] != '"') {
      // A plain title runs to the next blank or comma; a double-byte character is stepped over whole.
      while (I < Gbk.size() && !IsBlank(Gbk[I]) && Gbk[I] != ',')
        I += platform::IsLeadByte(static_cast<uint8_t>(Gbk[I])) ? 2 : 1;
      continue;
    }
    // A quoted title: two quotes inside stand for one; it must close and be followed by a separator.
    const size_t Opened = I++;
    for (;;) {
      if (I >= Gbk.size())
        return "has a quote that is never closed: " + platform::AnsiToUtf8(Gbk.substr(Opened));
      if (Gbk[I] == '"' && I + 1 < Gbk.size() && Gbk[I + 1] == '"') {
        I += 2;
      } else if (Gbk[I] == '"') {
        ++I;
        break;
      } else {
        I += platform::IsLeadByte(static_cast<uint8_t>(Gbk[I])) ? 2 : 1;
      }
    }
    if (I < Gbk.size() && Gbk[I] != ',' && !IsBlank(Gbk[I]))
      return "has text right after a closing quote: " + platform::AnsiToUtf8(Gbk.substr(Opened));
  }
  return {};
}

}  // namespace halvern::host
