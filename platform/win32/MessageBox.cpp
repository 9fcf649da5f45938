#include "platform/MessageBox.h"

#include <windows.h>

#include "platform/CodePage.h"

namespace halvern::platform {

// The wide API shows the GBK texts correctly whatever the system's ANSI code page is.
void ShowMessage(const std::string& Text, const std::string& Caption) {
  const std::u16string WText = AnsiToWide(Text);
  const std::u16string WCaption = AnsiToWide(Caption);
  MessageBoxW(GetActiveWindow(), reinterpret_cast<LPCWSTR>(WText.c_str()),
              reinterpret_cast<LPCWSTR>(WCaption.c_str()), MB_OK);
}

std::vector<TShownMessage> TakeShownMessages() {
  return {};
}

}  // namespace halvern::platform
