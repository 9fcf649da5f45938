// The configuration page's own texts, as GBK bytes: messages, captions and control labels. Shared by
// the page logic and every view so that all of them show the same bytes.
#pragma once

namespace halvern::configtext {

// 请设置导入导出列
inline constexpr const char* SNoColumns = "\xC7\xEB\xC9\xE8\xD6\xC3\xB5\xBC\xC8\xEB\xB5\xBC\xB3\xF6\xC1\xD0";
// 请指定导入导出文件名
inline constexpr const char* SNoFileName =
    "\xC7\xEB\xD6\xB8\xB6\xA8\xB5\xBC\xC8\xEB\xB5\xBC\xB3\xF6\xCE\xC4\xBC\xFE\xC3\xFB";
// 提示 (caption of every message box)
inline constexpr const char* SMessageCaption = "\xCC\xE1\xCA\xBE";
// 新列%d (caption of an added column; the number is the item count before the addition)
inline constexpr const char* SNewColumnFmt = "\xD0\xC2\xC1\xD0%d";
// 导入导出配置 (caption of the step hint)
inline constexpr const char* SHintCaption = "\xB5\xBC\xC8\xEB\xB5\xBC\xB3\xF6\xC5\xE4\xD6\xC3";
// 请设置导入导出列标题及存放数据的文件名。
inline constexpr const char* SHintText =
    "\xC7\xEB\xC9\xE8\xD6\xC3\xB5\xBC\xC8\xEB\xB5\xBC\xB3\xF6\xC1\xD0\xB1\xEA\xCC\xE2\xBC\xB0\xB4\xE6\xB7\xC5"
    "\xCA\xFD\xBE\xDD\xB5\xC4\xCE\xC4\xBC\xFE\xC3\xFB\xA1\xA3";

// Control labels.
inline constexpr const char* SFileLabel = "\xCE\xC4\xBC\xFE\xC3\xFB";                 // 文件名
inline constexpr const char* SHasTitle = "\xB0\xFC\xBA\xAC\xB1\xEA\xCC\xE2\xD0\xD0";  // 包含标题行
inline constexpr const char* SAddButton = "\xD4\xF6\xBC\xD3";                         // 增加
inline constexpr const char* SDeleteButton = "\xC9\xBE\xB3\xFD";                      // 删除
inline constexpr const char* SUpButton = "\xC9\xCF\xD2\xC6";                          // 上移
inline constexpr const char* SDownButton = "\xCF\xC2\xD2\xC6";                        // 下移

}  // namespace halvern::configtext
