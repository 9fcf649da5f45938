// Wide (UTF-16) values of FieldGetProc's wide procedures. A text column holds GBK bytes, so its value
// crosses as UTF-16 converted with the system's code page 936 conversion, both ways; a column of any
// other type keeps its own wide getter and setter. Stateless.
#pragma once

#include <string>
#include <string_view>

#include "transport/TransDefine.h"

namespace halvern {

// The column's value as UTF-16: a text column's GBK text converted, any other column's own wide value.
std::u16string ReadWideValue(IFieldReader& Field);

// Stores Text into the column: a text column takes it converted to GBK, where characters GBK cannot hold
// become the system's replacement (the call trace, when on, says so under TraceName); any other column
// takes it as it is.
void WriteWideValue(IFieldWriter& Field, std::u16string_view Text, const char* TraceName);

}  // namespace halvern
