// The library's main block: binds the export glue to the device text engine when the library is loaded
// (the two port factories, the engine's name, description and type, the ports' page factory and the
// pages' handle registration) and lets go of what is still registered when it is unloaded.
//
// Unload: the registry gives up its references without closing the ports, so an export port the host
// never finished does not write its file, the identity texts are cleared and the device library is
// freed. On Linux the runtime's
// destruction of the library's objects does this when the library is unloaded (or the process ends).
// On Windows only at FreeLibrary (engine/win32/DllMain.cpp): at process termination other threads are
// already gone and their objects may be half-used, so the registry lets go of nothing.
#include "halvern.h"
#include "cetext/CeFactories.h"
#include "config/CeConfigPage.h"
#include "engine/EngineState.h"
#include "engine/HandleRegistry.h"

#include <utility>

namespace halvern {
namespace {

struct TLibraryMain {
  TLibraryMain() {
    TEngineIdentity Id;
    Id.Name = "WinCe\xC9\xE8\xB1\xB8\xCE\xC4\xB1\xBE\xB8\xF1\xCA\xBD";  // WinCe设备文本格式
    // Win Ce设备盘点数据文本格式导入导出
    Id.Description =
        "Win Ce\xC9\xE8\xB1\xB8\xC5\xCC\xB5\xE3\xCA\xFD\xBE\xDD\xCE\xC4\xB1\xBE\xB8\xF1\xCA\xBD"
        "\xB5\xBC\xC8\xEB\xB5\xBC\xB3\xF6";
    Id.TypeNumber = ENGINE_TYPE_CE_TEXT;
    Id.ImportPortFactory = &CreateImportPort;
    Id.ExportPortFactory = &CreateExportPort;
    SetEngineIdentity(std::move(Id));
    SetConfigPageFactory(&CreateCeConfig);
    // A shown page's working port is a handle the host may use until the page is hidden.
    TPageHandleHooks Hooks;
    Hooks.Add = [](ITransNode* Node) { GetHandleRegistry().Add(Node, THandleKind::Port); };
    Hooks.Remove = [](ITransNode* Node) { GetHandleRegistry().RemoveObject(Node); };
    SetPageHandleHooks(Hooks);
  }
};

const TLibraryMain LibraryMain;

}  // namespace
}  // namespace halvern
