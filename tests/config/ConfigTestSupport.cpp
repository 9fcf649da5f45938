#include "ConfigTestSupport.h"

#include "cetext/CeFactories.h"
#include "engine/HandleRegistry.h"

namespace halvern::test {
namespace {

// The wiring the engine does at load: ports make this page, and a shown page's working port is a handle.
const bool Wired = [] {
  SetConfigPageFactory(&CreateCeConfig);
  TPageHandleHooks Hooks;
  Hooks.Add = [](ITransNode* Node) { GetHandleRegistry().Add(Node, THandleKind::Port); };
  Hooks.Remove = [](ITransNode* Node) { GetHandleRegistry().RemoveObject(Node); };
  SetPageHandleHooks(Hooks);
  return true;
}();

}  // namespace

TComPtr<ITransNode> TFakePort::Make(std::vector<std::string> Defaults, int32_t Kind) {
  auto* Port = new TFakePort;
  TComPtr<ITransNode> Node(static_cast<ITransNode*>(Port));
  Port->FDefaults = std::move(Defaults);
  Port->LoadDefaultColumns();
  Port->FKind = Kind;
  return Node;
}

}  // namespace halvern::test
