// The GBK keys of a device text port's options text, spelled out once for the tests that build or read
// such a text. They are written here byte for byte rather than taken from the engine, so that a test
// still catches a wrong byte in the engine's own copy.
#pragma once

#include <string>

namespace halvern::test {

inline const std::string FileKey = "\xCE\xC4\xBC\xFE\xC3\xFB";           // 文件名
inline const std::string ColumnsKey = "\xCA\xFD\xBE\xDD\xC1\xD0";        // 数据列
inline const std::string TitleKey = "\xB0\xFC\xBA\xAC\xB1\xEA\xCC\xE2";  // 包含标题

}  // namespace halvern::test
