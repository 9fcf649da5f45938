// Checks the texts a user hands to the engine's settings before the engine sees them: the engine reads
// any text without complaint (an unknown key is skipped, an empty column list means the defaults), so a
// typing mistake would otherwise pass unnoticed. The reading rules mirror the engine's own, so a text
// that passes here means to the engine what it means here. Stateless; texts are GBK.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "halvern.h"  // the keys, HV_OPTION_*

namespace halvern::host {

// One record of an options text: its key and decoded value.
struct TOptionRecord {
  std::string Key;
  std::string Value;
};

// Splits an options text into its records. Returns an empty string on success, else what is wrong
// (UTF-8, for a usage error): a record without "=", a key the device text port does not know, or a
// quote or bracket that is never closed. Empty records (a final ";" CR LF, say) are skipped.
std::string ParseOptionsText(std::string_view Gbk, std::vector<TOptionRecord>& Records);

// The value of Key (an HV_OPTION_* key) in an options text, or Fallback when the text has no such record.
std::string OptionValue(std::string_view Gbk, std::string_view Key, std::string Fallback = {});

// Checks a column list in the comma-list syntax. Returns an empty string when it names at least one
// column and every quote is closed and followed by a separator, else what is wrong (UTF-8).
std::string CheckColumnList(std::string_view Gbk);

}  // namespace halvern::host
