#include "platform/MessageBox.h"

#include <cstdio>
#include <deque>
#include <mutex>
#include <utility>

#include "platform/CodePage.h"
#include "platform/Environment.h"

namespace halvern::platform {

namespace {

std::mutex& ShownLock() {
  static std::mutex Lock;
  return Lock;
}

// The latest messages only: a host that validates a page in a loop must not grow with every message.
std::deque<TShownMessage>& Shown() {
  static std::deque<TShownMessage> List;
  return List;
}

}  // namespace

// There is no one to click OK without a window system: the message is written where a person running a
// host from a terminal sees it (unless the host silenced that), and the latest are kept so that tests
// can tell which message the page chose.
void ShowMessage(const std::string& Text, const std::string& Caption) {
  if (GetEnv(kQuietMessagesVariable) != "1") {
    const std::string Line = AnsiToUtf8(Caption) + ": " + AnsiToUtf8(Text) + "\n";
    std::fwrite(Line.data(), 1, Line.size(), stderr);
  }
  std::lock_guard Guard(ShownLock());
  std::deque<TShownMessage>& List = Shown();
  if (List.size() >= kKeptMessages) List.pop_front();
  List.push_back({Text, Caption});
}

std::vector<TShownMessage> TakeShownMessages() {
  std::lock_guard Guard(ShownLock());
  std::deque<TShownMessage> Taken = std::exchange(Shown(), {});
  return std::vector<TShownMessage>(std::make_move_iterator(Taken.begin()),
                                    std::make_move_iterator(Taken.end()));
}

}  // namespace halvern::platform
