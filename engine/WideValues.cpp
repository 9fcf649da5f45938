#include "engine/WideValues.h"

#include "engine/CallTrace.h"
#include "platform/CodePage.h"

namespace halvern {
namespace {

// ftUnknown is handled like ftString everywhere a host meets it.
bool IsTextColumn(int32_t FieldType) noexcept {
  return FieldType == ftString || FieldType == ftUnknown;
}

// A text that does not come back unchanged from GBK lost characters on the way in: the system replaced
// them (with "?", or on Windows at times with a look-alike).
void NoteReplacement(const char* TraceName, std::u16string_view Given, const std::string& Stored) {
  if (platform::AnsiToWide(Stored) == Given) return;
  trace::Note(TraceName, "characters GBK cannot hold were replaced; stored",
              trace::TText{Stored.data(), static_cast<int32_t>(Stored.size())});
}

}  // namespace

std::u16string ReadWideValue(IFieldReader& Field) {
  if (IsTextColumn(Field.GetFieldType())) return platform::AnsiToWide(Field.GetAsString());
  return Field.GetAsWideString();
}

void WriteWideValue(IFieldWriter& Field, std::u16string_view Text, const char* TraceName) {
  if (!IsTextColumn(Field.GetFieldType())) {
    Field.SetAsWideString(std::u16string(Text));
    return;
  }
  const std::string Gbk = platform::WideToAnsi(Text);
  if (trace::Enabled()) [[unlikely]]
    NoteReplacement(TraceName, Text, Gbk);
  Field.SetAsString(Gbk);
}

}  // namespace halvern
