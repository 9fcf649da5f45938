// A modal OK message box owned by the active window (Windows); elsewhere the text goes to standard error
// (unless the variable HALVERN_QUIET_MESSAGES is "1") and the latest kKeptMessages are kept for tests.
//
// Texts are GBK. Call from the GUI thread on Windows; the kept list elsewhere is guarded by a lock.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace halvern::platform {

// Environment variable: "1" keeps the headless message boxes off standard error.
inline constexpr char kQuietMessagesVariable[] = "HALVERN_QUIET_MESSAGES";
// Messages kept for TakeShownMessages; older ones are forgotten.
inline constexpr size_t kKeptMessages = 64;

void ShowMessage(const std::string& Text, const std::string& Caption);

struct TShownMessage {
  std::string Text;     // GBK
  std::string Caption;  // GBK
};

// The messages shown since the last call (the latest kKeptMessages of them), oldest first, and forgets
// them. Always empty on Windows, where
// a real message box was shown instead.
std::vector<TShownMessage> TakeShownMessages();

}  // namespace halvern::platform
