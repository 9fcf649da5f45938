#include "platform/MessageBox.h"

#include <cstdio>
#include <mutex>
#include <utility>

#include "platform/CodePage.h"

namespace halvern::platform {

namespace {

std::mutex& ShownLock() {
  static std::mutex Lock;
  return Lock;
}

std::vector<TShownMessage>& Shown() {
  static std::vector<TShownMessage> List;
  return List;
}

}  // namespace

// There is no one to click OK without a window system: the message is written where a person running a
// host from a terminal sees it, and kept so that tests can tell which message the page chose.
void ShowMessage(const std::string& Text, const std::string& Caption) {
  const std::string Line = AnsiToUtf8(Caption) + ": " + AnsiToUtf8(Text) + "\n";
  std::fwrite(Line.data(), 1, Line.size(), stderr);
  std::lock_guard Guard(ShownLock());
  Shown().push_back({Text, Caption});
}

std::vector<TShownMessage> TakeShownMessages() {
  std::lock_guard Guard(ShownLock());
  return std::exchange(Shown(), {});
}

}  // namespace halvern::platform
