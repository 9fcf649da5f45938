// A modal OK message box owned by the active window (Windows); elsewhere the text goes to standard error
// and is kept for tests.
//
// Texts are GBK. Call from the GUI thread on Windows; the kept list elsewhere is guarded by a lock.
#pragma once

#include <string>
#include <vector>

namespace halvern::platform {

void ShowMessage(const std::string& Text, const std::string& Caption);

struct TShownMessage {
  std::string Text;     // GBK
  std::string Caption;  // GBK
};

// The messages shown since the last call, oldest first, and forgets them. Always empty on Windows, where
// a real message box was shown instead.
std::vector<TShownMessage> TakeShownMessages();

}  // namespace halvern::platform
