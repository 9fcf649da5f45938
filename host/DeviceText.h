// Whether the values of a device file are the GBK text the engine expects. The engine hands over bytes
// unconverted, so a file saved as UTF-16 or UTF-8 on the handheld, or a file that is no text at all,
// would otherwise come out as empty or garbled records with nothing said. The check sees the values as
// the engine reads them: a byte-order mark stands at the start of the first value, UTF-16 text shows
// zero bytes, and UTF-8 text is valid UTF-8 throughout, which real GBK text almost never is. One object
// per file, fed in record order.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace halvern::host {

enum class TTextKind { Gbk, Utf16, Utf8, NotText };

class TDeviceTextCheck {
 public:
  // One value of record Record (1-based, counting the title line). A caller may leave out values that
  // are plain ASCII without zero bytes, except the first: they say nothing about the text's kind.
  void Add(std::string_view Value, int64_t Record);

  TTextKind Kind() const noexcept;
  // What the file looks like and where that shows, for a message; empty for GBK text.
  std::string Describe() const;

 private:
  bool FStarted = false;
  TTextKind FMark = TTextKind::Gbk;  // from a byte-order mark
  int64_t FZeroRecord = 0;           // first record with a zero byte
  int64_t FBrokenRecord = 0;         // first record with a broken double-byte character
  bool FUtf8Valid = true;            // every non-ASCII byte so far belongs to a valid UTF-8 sequence
  bool FUtf8Seen = false;            // at least one multi-byte UTF-8 sequence
};

}  // namespace halvern::host
