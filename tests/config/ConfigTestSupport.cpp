#include "ConfigTestSupport.h"

namespace halvern::test {

TComPtr<ITransNode> TFakePort::Make(std::vector<std::string> Defaults, int32_t Kind) {
  auto* Port = new TFakePort;
  TComPtr<ITransNode> Node(static_cast<ITransNode*>(Port));
  Port->FDefaults = std::move(Defaults);
  Port->LoadDefaultColumns();
  Port->FKind = Kind;
  return Node;
}

}  // namespace halvern::test
