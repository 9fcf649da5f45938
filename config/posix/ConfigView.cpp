// Without a window system the page's view is the headless model alone.
#include <memory>

#include "config/HeadlessConfigView.h"

namespace halvern {

std::unique_ptr<TConfigView> CreateConfigView() {
  return std::make_unique<THeadlessConfigView>();
}

}  // namespace halvern
