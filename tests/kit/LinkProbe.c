/* Refers to every export through halvern.h and nothing else (no C runtime), so that the link against
   an import library alone decides whether the header's declarations and the library agree. */
#include "halvern.h"

#define HV_ADDRESS(Ret, Name, Params) (void*)(HV_PFN_##Name) & Name,
void* const Exports[] = {HV_EXPORT_LIST(HV_ADDRESS)};
#undef HV_ADDRESS

int ProbeMain(void) {
  return Exports[0] != 0 && EngineGetType() == ENGINE_TYPE_CE_TEXT ? 0 : 1;
}
