// A device text port's settings as the options text: "文件名", "数据列" and "包含标题".
#include <utility>

#include "halvern.h"

#include "cetext/CeSettingsText.h"
#include "cetext/CeTransPort.h"
#include "rtl/Stream.h"
#include "transport/TransOptions.h"

namespace halvern {

std::string HV_STDCALL TCeTransPort::GetOptions() {
  TMemoryStream Text;
  {
    TOptionsWriter Writer(Text);
    if (!FFileName.empty()) Writer.WriteValue(HV_OPTION_FILE_NAME, FFileName);
    if (!FColumns.empty()) Writer.WriteValue(HV_OPTION_COLUMNS, TitlesToCommaText(FColumns));
    Writer.WriteValue(HV_OPTION_HAS_TITLE, std::to_string(static_cast<unsigned>(FHasTitle)));
  }
  return Text.ToString();
}

int32_t HV_STDCALL TCeTransPort::SetOptions(const std::string& Text) {
  // Read into a copy, taken over once the whole text is read: a text that cannot be read to its end
  // (memory running out) leaves the settings as they were, not half of each.
  TPortSettings New = Settings();
  TMemoryStream Stream;
  Stream.WriteString(Text);
  TOPtionsReader Reader(Stream);
  Reader.RegisterKey(HV_OPTION_FILE_NAME, [&New](const std::string& Value) { New.FileName = Value; });
  Reader.RegisterKey(HV_OPTION_HAS_TITLE, [&New](const std::string& Value) {
    // A value that is no integer, the empty one included, turns the flag on; only the low byte counts.
    const int32_t Flag = OptionTextToInt(Value).value_or(1);
    New.HasTitle = (Flag & 0xFF) != 0;
  });
  Reader.RegisterKey(HV_OPTION_COLUMNS, [this, &New](const std::string& Value) {
    New.Columns = CommaTextToTitles(Value);
    if (New.Columns.empty()) New.Columns = DefaultColumns();
  });
  Reader.Parse();
  TakeSettings(std::move(New));
  return 0;
}

}  // namespace halvern
