// The system's own code page 936 converter (iconv on Linux, the Windows code page functions): the
// conversion that platform/CodePage.cpp builds its tables from and hands every text the tables do not
// cover. For platform/ itself; everything else converts through platform/CodePage.h. Thread-safe.
#pragma once

#include <string>
#include <string_view>

namespace halvern::platform {

std::u16string SystemAnsiToWide(std::string_view Gbk);
std::string SystemWideToAnsi(std::u16string_view Wide);
std::string SystemAnsiToUtf8(std::string_view Gbk);
std::string SystemUtf8ToAnsi(std::string_view Utf8);

}  // namespace halvern::platform
