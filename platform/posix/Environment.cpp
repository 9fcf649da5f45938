#include "platform/Environment.h"

#include <cstdlib>

namespace halvern::platform {

std::string GetEnv(const char* Name) {
  const char* Value = Name != nullptr ? std::getenv(Name) : nullptr;
  return Value != nullptr ? std::string(Value) : std::string();
}

}  // namespace halvern::platform
