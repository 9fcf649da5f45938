// The table of bound entry points, one pointer per call, each typed from its declaration in rapi::Sig.
// Owned by the binding in KtRAPI.cpp; a table is used only once its twelve required pointers are set.
// The three optional ones after them stay null when the library lacks them.
#pragma once

#include "device/RapiTypes.h"

namespace halvern {

struct TRapiEntries {
  decltype(&rapi::Sig::CeRapiInit) CeRapiInit = nullptr;
  decltype(&rapi::Sig::CeRapiUninit) CeRapiUninit = nullptr;
  decltype(&rapi::Sig::CeCreateFile) CeCreateFile = nullptr;
  decltype(&rapi::Sig::CeCloseHandle) CeCloseHandle = nullptr;
  decltype(&rapi::Sig::CeFindFirstFile) CeFindFirstFile = nullptr;
  decltype(&rapi::Sig::CeFindNextFile) CeFindNextFile = nullptr;
  decltype(&rapi::Sig::CeFindClose) CeFindClose = nullptr;
  decltype(&rapi::Sig::CeSetFilePointer) CeSetFilePointer = nullptr;
  decltype(&rapi::Sig::CeSetEndOfFile) CeSetEndOfFile = nullptr;
  decltype(&rapi::Sig::CeReadFile) CeReadFile = nullptr;
  decltype(&rapi::Sig::CeWriteFile) CeWriteFile = nullptr;
  decltype(&rapi::Sig::CeGetLastError) CeGetLastError = nullptr;
  decltype(&rapi::Sig::CeRapiInitEx) CeRapiInitEx = nullptr;
  decltype(&rapi::Sig::CeDeleteFile) CeDeleteFile = nullptr;
  decltype(&rapi::Sig::CeMoveFile) CeMoveFile = nullptr;
};

}  // namespace halvern
