// halvern export: reads CSV from standard input and writes it as a device file through an export port.
//
//   halvern export [--file PATH] [--title|--no-title] [--columns LIST] [--options TEXT]
//                  [--device DIR] [--encoding utf-8|gbk]
//
// The first CSV row is a header naming the columns. Values go to the port's columns by position, so the
// header must have exactly as many fields as the port has columns; its names are checked against the
// column titles only to warn about a likely mix-up. Each later row is one record: a row with fewer
// fields leaves the remaining columns empty, a row with more fields is an error (the extra values would
// be lost). CSV is UTF-8 unless --encoding gbk says it holds the device's bytes already; UTF-8 text that
// GBK cannot represent is an error.
//
// All input is checked before the device file is written: on any error nothing reaches the device and
// the status is 1. A device failure while writing is reported on standard error, also with status 1.
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

// The row's values as GBK; throws EHostError naming the line when a value does not convert.
void RowToEngine(const THostOptions& O, std::vector<std::string>& Row, int64_t Line) {
  if (O.Encoding == TEncoding::Gbk) return;
  for (std::string& Value : Row) {
    std::string Gbk;
    if (!FitsGbk(Value, Gbk))
      throw EHostError("line " + std::to_string(Line) +
                       ": a value holds characters the device's code page (GBK) cannot represent, or is "
                       "not UTF-8");
    Value = std::move(Gbk);
  }
}

int RunExport(TCommandContext& C) {
  THostOptions O;
  if (const int Status = ParseHostOptions(C, "export", hoPort | hoDevice | hoEncoding | hoEngine, O);
      Status != ExitOk)
    return Status;
  if (const int Status = PrepareEngine(C, O); Status != ExitOk) return Status;
  UseBinaryStdio();

  TPortSession Session(C.Engine, ENGINE_PORT_EXPORT, &C.Err);
  Session.SetOptions(O.Options);
  Session.SetOptions(SettingsOptionsText(O));
  const std::vector<std::string> Columns = Session.ColumnNames();
  TExportCursor Cursor(Session);

  try {
    TCsvReader Reader(std::cin);
    std::vector<std::string> Row;
    if (!Reader.ReadRecord(Row)) throw EHostError("the input is empty: the first row must name the columns");
    RowToEngine(O, Row, Reader.RecordLine());
    if (Row.size() != Columns.size())
      throw EHostError("the header row has " + std::to_string(Row.size()) + " fields, the device file has " +
                       std::to_string(Columns.size()) + " columns (set them with --columns)");
    for (size_t I = 0; I < Row.size(); ++I) {
      if (Row[I] != Columns[I])
        C.Err << "halvern: note: CSV column '" << EngineToStream(O, Row[I])
              << "' is written as device column '" << ToTerminal(Columns[I]) << "'\n";
    }

    TProgress Progress(C.Err, "exported");
    int64_t Records = 0;
    while (Reader.ReadRecord(Row)) {
      if (Row.size() > Columns.size())
        throw EHostError("line " + std::to_string(Reader.RecordLine()) + " has " +
                         std::to_string(Row.size()) + " fields, the device file has " +
                         std::to_string(Columns.size()) + " columns");
      RowToEngine(O, Row, Reader.RecordLine());
      Cursor.Write(Row);
      Progress.Update(++Records);
    }
    Progress.Done();
  } catch (const ECsvError& E) {
    throw EHostError(std::string("the CSV input is malformed: ") + E.what() +
                     "; the device file was not changed");
  } catch (const EHostError& E) {
    throw EHostError(std::string(E.what()) + "; the device file was not changed");
  }
  Session.Finish();
  return Session.Failed() ? ExitFailure : ExitOk;
}

const TCommandRegistration Export({"export", "[--file PATH] [--device DIR] ...",
                                   "write CSV from standard input as a device file", &RunExport});

}  // namespace
}  // namespace halvern::host
