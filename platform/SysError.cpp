#include "platform/SysError.h"

namespace halvern::platform {

const std::string& OutOfMemoryText() {
  static const std::string Text = SystemErrorText(8);
  return Text;
}

}  // namespace halvern::platform
