#include "transport/OutOfMemory.h"

#include "halvern.h"
#include "platform/SysError.h"

namespace halvern {

void ReportOutOfMemory(ITransNode& Port) noexcept {
  try {
    if (TComPtr<ITransEvents> Events = TComPtr<ITransNode>(&Port).Query<ITransEvents>())
      Events->LogMessage(EVENT_CODE_TRANSFER, platform::OutOfMemoryText());
  } catch (...) {
  }
}

}  // namespace halvern
