// halvern import: reads a device file through an import port and writes it as CSV on standard output.
//
//   halvern import [--file PATH] [--title|--no-title] [--columns LIST] [--options TEXT]
//                  [--device DIR] [--encoding utf-8|gbk]
//
// The first CSV row holds the column titles (FieldGetName), then one row per record with one field per
// column. Values are converted from GBK to UTF-8 unless --encoding gbk asks for the bytes as stored.
// A device failure is reported on standard error and ends with status 1 without any CSV.
#include <iostream>
#include <string>
#include <vector>

#include "host/Commands.h"
#include "host/Csv.h"
#include "host/HostConsole.h"
#include "host/HostOptions.h"
#include "host/Transfer.h"

namespace halvern::host {
namespace {

constexpr size_t kFlushBytes = 64 * 1024;

int RunImport(TCommandContext& C) {
  THostOptions O;
  if (const int Status = ParseHostOptions(C, "import", hoPort | hoDevice | hoEncoding | hoEngine, O);
      Status != ExitOk)
    return Status;
  if (const int Status = PrepareEngine(C, O); Status != ExitOk) return Status;
  UseBinaryStdio();

  TPortSession Session(C.Engine, ENGINE_PORT_IMPORT, &C.Err);
  Session.SetOptions(O.Options);
  Session.SetOptions(SettingsOptionsText(O));
  TImportCursor Cursor(Session);
  Cursor.First();
  // The device file could not be read: the event said why, and there is nothing to print.
  if (Session.Failed()) return ExitFailure;

  std::string Out;
  std::vector<std::string> Row;
  for (const std::string& Name : Session.ColumnNames()) Row.push_back(EngineToStream(O, Name));
  AppendCsvRecord(Out, Row);

  TProgress Progress(C.Err, "imported");
  int64_t Records = 0;
  std::vector<std::string> Values;
  for (; !Cursor.Eof(); Cursor.Next()) {
    Cursor.Read(Values);
    if (O.Encoding == TEncoding::Utf8)
      for (std::string& V : Values) V = EngineToStream(O, V);
    AppendCsvRecord(Out, Values);
    if (Out.size() >= kFlushBytes) {
      C.Out.write(Out.data(), static_cast<std::streamsize>(Out.size()));
      Out.clear();
    }
    Progress.Update(++Records);
  }
  C.Out.write(Out.data(), static_cast<std::streamsize>(Out.size()));
  C.Out.flush();
  Progress.Done();
  Session.Finish();
  if (!C.Out) {
    C.Err << "halvern: cannot write the CSV to standard output\n";
    return ExitFailure;
  }
  return Session.Failed() ? ExitFailure : ExitOk;
}

const TCommandRegistration Import({"import", "[--file PATH] [--device DIR] ...",
                                   "read a device file and print it as CSV", &RunImport});

}  // namespace
}  // namespace halvern::host
