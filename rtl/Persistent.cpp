#include "rtl/Persistent.h"

#include <string>

#include "rtl/Exceptions.h"

namespace halvern {

void TPersistent::CopySettingsTo(TPersistent& Dest) const {
  AssignError(Dest);
}

void TPersistent::AssignError(const TPersistent& Dest) const {
  // The message is "Cannot assign a <source> to a <destination>".
  std::string Text = SAssignError;
  const std::string Names[2] = {ClassName(), Dest.ClassName()};
  size_t From = 0;
  for (const std::string& Name : Names) {
    const size_t At = Text.find("%s", From);
    if (At == std::string::npos) break;
    Text.replace(At, 2, Name);
    From = At + Name.size();
  }
  throw EConvertError(Text);
}

}  // namespace halvern
