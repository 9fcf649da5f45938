// What both transfer benchmarks do as a host: the port's options, a count of device events, the
// generated file split into its values, and a whole export of them.
#pragma once

#include <errno.h>  // program_invocation_short_name

#include <array>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "bench/BenchEngine.h"
#include "halvern.h"

namespace halvern::bench {

// The port's file \Temp\<Name>, the default import columns (编号, 盘点标志, 备注) and no title line.
inline std::string PortOptions(const char* Name) {
  return std::string(HV_OPTION_FILE_NAME "=\\Temp\\") + Name +
         ";\r\n" HV_OPTION_COLUMNS
         "=\xB1\xE0\xBA\xC5,\xC5\xCC\xB5\xE3\xB1\xEA\xD6\xBE,\xB1\xB8\xD7\xA2;\r\n" HV_OPTION_HAS_TITLE "=0";
}

// The log event procedure: counts the events in the int UserData points at and prints each, since a
// figure measured with a device failure in it means nothing.
inline void HV_STDCALL CountLog(void* UserData, int32_t Code, const char* Text) {
  ++*static_cast<int*>(UserData);
  std::fprintf(stderr, "%s: device event %d: %s\n", program_invocation_short_name, Code, Text);
}

using TLines = std::vector<std::array<std::string_view, 3>>;

// The values of every line, as views into Text (the generated files have no quoted values).
inline TLines SplitLines(const std::string& Text) {
  TLines Lines;
  size_t Pos = 0;
  while (Pos <= Text.size()) {
    size_t End = Text.find("\r\n", Pos);
    if (End == std::string::npos) End = Text.size();
    std::array<std::string_view, 3> Row{};
    std::string_view Line(Text.data() + Pos, End - Pos);
    for (size_t I = 0; I < 3; ++I) {
      const size_t Bar = I < 2 ? Line.find('|') : std::string_view::npos;
      Row[I] = Line.substr(0, Bar);
      Line = Bar == std::string_view::npos ? std::string_view() : Line.substr(Bar + 1);
    }
    Lines.push_back(Row);
    Pos = End + 2;
  }
  return Lines;
}

// The whole export of Lines to \Temp\<File>: Append, the text write procedure per column, Post, then
// EngineFina, which writes the file.
inline void ExportAll(const TExports& E, const TLines& Lines, const char* File, int& Events) {
  uint32_t H = 0;
  E.EngineInit(ENGINE_PORT_EXPORT, &H);
  E.EngineSetEvent(H, &Events, EVENT_LOG_MESSAGE, reinterpret_cast<HV_PROC>(&CountLog));
  E.EngineSetOptions(H, PortOptions(File).c_str());
  const auto Write = reinterpret_cast<HV_WRITE_TEXT_PROC>(E.FieldGetProc(FIELD_DIR_WRITE, HV_FT_STRING));
  for (const auto& Row : Lines) {
    E.Append(H);
    for (size_t I = 0; I < Row.size(); ++I)
      Write(H, static_cast<int32_t>(I), Row[I].data(), static_cast<int32_t>(Row[I].size()));
    E.Post(H);
  }
  E.EngineFina(H);
}

}  // namespace halvern::bench
