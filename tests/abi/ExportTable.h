// The engine library's export table as hosts see it: ordinal, undecorated name and argument count
// (every argument is 4 bytes on x86). The ABI checks compare the built library and engine/Halvern.def
// against this table, so a renamed, moved or re-signed export fails a test.
// Read by the Windows ABI test program and by abi_check.py (which parses the rows below).
#pragma once

namespace halvern::abi {

struct TExportEntry {
  int Ordinal;
  const char* Name;
  int ArgCount;
};

// clang-format off
inline constexpr TExportEntry kExportTable[] = {
    {34, "EngineInit", 2},
    {33, "EngineFina", 1},
    {32, "EngineGetType", 0},
    {31, "EngineGetName", 2},
    {30, "EngineDiscription", 2},
    {29, "EngineSetEvent", 4},
    {28, "EngineGetOptions", 3},
    {27, "EngineSetOptions", 2},
    {26, "MoveFirst", 1},
    {25, "MoveNext", 1},
    {24, "IsEof", 1},
    {23, "DataCount", 1},
    {22, "Append", 1},
    {21, "Post", 1},
    {20, "ConfigInit", 4},
    {19, "ConfigFina", 1},
    {18, "ConfigIsBOF", 1},
    {17, "ConfigIsEOF", 1},
    {16, "ConfigCheckSucceed", 1},
    {15, "ConfigNext", 1},
    {14, "ConfigPrevious", 1},
    {13, "ConfigFirst", 1},
    {12, "ConfigLast", 1},
    {11, "ConfigUpdate", 1},
    {10, "ConfigPort", 1},
    {9, "FieldGetCount", 1},
    {8, "FieldSetCount", 2},
    {7, "FieldGetName", 4},
    {6, "FieldSetName", 4},
    {5, "FieldGetType", 2},
    {4, "FieldSetType", 3},
    {3, "FieldGetProc", 2},
    {2, "FieldFindbyName", 2},
    {1, "FieldIsEmpty", 2},
};
// clang-format on

inline constexpr int kExportCount = sizeof(kExportTable) / sizeof(kExportTable[0]);

}  // namespace halvern::abi
