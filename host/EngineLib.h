// The engine library as a host sees it: loaded at run time by path and bound export by export into typed
// function pointers, exactly as any host does; the program never links the engine in.
//
// One TEngineLib owns one loaded library; the pointers are valid while it lives. Not thread-safe to load;
// the bound pointers may be called from any thread as the engine allows.
#pragma once

#include <string>
#include <vector>

#include "halvern.h"
#include "platform/DynLib.h"

namespace halvern::host {

class TEngineLib {
 public:
  // One typed pointer per export, named as the export: Lib.EngineInit(1, &Handle).
#define HV_DECLARE_MEMBER(Ret, Name, Params) HV_PFN_##Name Name = nullptr;
  HV_EXPORT_LIST(HV_DECLARE_MEMBER)
#undef HV_DECLARE_MEMBER

  // Loads Path and binds all 34 exports. False with Error() saying what is missing: the library itself
  // or the first export name it lacks. A failed load leaves nothing bound.
  bool Load(const std::string& Path);
  void Unload() noexcept;
  bool Loaded() const noexcept {
    return FLib.Loaded();
  }
  const std::string& Error() const noexcept {
    return FError;
  }
  const std::string& Path() const noexcept {
    return FPath;
  }

  // The text of a function that follows the text-out rule, fetched with the size query first. Empty
  // when the function answers nothing.
  template <class F>
  static std::string FetchText(F&& Call) {
    int32_t Size = 0;
    Call(static_cast<char*>(nullptr), &Size);
    if (Size <= 0) return {};
    std::string Text(static_cast<size_t>(Size), '\0');
    if (Call(Text.data(), &Size) != -1) return {};
    Text.resize(static_cast<size_t>(Size));
    return Text;
  }

  // The engine's identity (GBK texts).
  std::string Name() const;
  std::string Description() const;

  // The export names in the order they are bound.
  static const std::vector<const char*>& ExportNames();

 private:
  platform::TDynLib FLib;
  std::string FPath;
  std::string FError;
};

// Where the engine library sits by default: beside this program.
std::string DefaultEnginePath();

}  // namespace halvern::host
