// A modal OK message box owned by the active window (Windows); elsewhere the text goes to standard error
// and is kept for tests.
#pragma once

#include <string>
#include <vector>

namespace halvern::platform {

void ShowMessage(const std::string& Text, const std::string& Caption);

}  // namespace halvern::platform
