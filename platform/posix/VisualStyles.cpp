#include "platform/VisualStyles.h"

namespace halvern::platform {

TModuleVisualStyles::TModuleVisualStyles() = default;
TModuleVisualStyles::~TModuleVisualStyles() = default;

}  // namespace halvern::platform
