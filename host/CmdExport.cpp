// halvern export: reads CSV from standard input and writes it as a device file through an export port.
//
//   halvern export --file PATH [--title|--no-title] [--columns LIST] [--options TEXT]
//                  [--device DIR] [--encoding utf-8|gbk] [--allow-empty]
//
// The first CSV row is a header naming the columns. Values go to the port's columns by position, so the
// header must have exactly as many fields as the port has columns; its names are checked against the
// column titles only to warn about a likely mix-up. Each later row is one record: a row with fewer
// fields leaves the remaining columns empty, a row with more fields is an error (the extra values would
// be lost). CSV is UTF-8 unless --encoding gbk says it holds the device's bytes already; UTF-8 text that
// GBK cannot represent is an error.
//
// All input is checked before the device file is written: on any error nothing reaches the device and
// the status is 1. A header without records is such an error too, since replacing a count list with an
// empty file is rarely what was meant; --allow-empty writes the file anyway (the title line alone, or
// no bytes at all). A device failure while writing is reported on standard error, also with status 1.
#include <iostream>
#include <string>
#include <vector>

#include "host/Commands.h"
#include "host/Csv.h"
#include "host/GbkInput.h"
#include "host/HostConsole.h"
#include "host/HostOptions.h"
#include "host/OptionsText.h"
#include "host/Progress.h"
#include "host/Transfer.h"

namespace halvern::host {
namespace {

int RunExport(TCommandContext& C) {
  THostOptions O;
  if (const int Status = ParseHostOptions(C, "export", hoTransfer | hoExport, O); Status != ExitOk)
    return Status;
  if (const int Status = PrepareEngine(C, O); Status != ExitOk) return Status;
  UseBinaryStdio();

  TPortSession Session(C.Engine, ENGINE_PORT_EXPORT, &C.Err);
  Session.SetOptions(O.Options);
  Session.SetOptions(SettingsOptionsText(O));
  const std::string File = OptionValue(Session.Options(), HV_OPTION_FILE_NAME);
  if (File.empty()) return UsageError(C.Err, "export needs --file PATH, the device file to write");
  const std::vector<std::string> Columns = Session.ColumnNames();
  TExportCursor Cursor(Session);

  TGbkInput Input(std::cin, O.Encoding == TEncoding::Utf8);
  int64_t Records = 0;
  try {
    TCsvReader Reader([&Input](char* Buffer, size_t Capacity) { return Input.Read(Buffer, Capacity); });
    std::vector<std::string> Row;
    if (!Reader.ReadRecord(Row)) throw EHostError("the input is empty: the first row must name the columns");
    if (Row.size() != Columns.size())
      throw EHostError("the header row has " + std::to_string(Row.size()) + " fields, the device file has " +
                       std::to_string(Columns.size()) + " columns (set them with --columns)");
    for (size_t I = 0; I < Row.size(); ++I) {
      if (Row[I] != Columns[I])
        C.Err << "halvern: note: CSV column '" << ToTerminal(Row[I]) << "' is written as device column '"
              << ToTerminal(Columns[I]) << "'\n";
    }

    TProgress Progress(C.Err, "exported");
    while (Reader.ReadRecord(Row)) {
      if (Row.size() > Columns.size())
        throw EHostError("line " + std::to_string(Reader.RecordLine()) + " has " +
                         std::to_string(Row.size()) + " fields, the device file has " +
                         std::to_string(Columns.size()) + " columns");
      Cursor.Write(Row);
      Progress.Update(++Records);
    }
    Progress.Done();
    if (Records == 0 && !O.AllowEmpty)
      throw EHostError(
          "the CSV has a header but no records (add --allow-empty to write a file without records)");
    if (Records == 0) Cursor.Begin();
  } catch (const ECsvError& E) {
    throw EHostError(std::string("the CSV input is malformed: ") + E.what() +
                     "; the device file was not changed");
  } catch (const EHostError& E) {
    throw EHostError(std::string(E.what()) + "; the device file was not changed");
  }
  Session.Finish();
  if (Session.Failed()) return DeviceFailed(C, O, Session.Events());
  C.Err << "halvern: exported " << Records << " records (" << Input.BytesRead() << " bytes of CSV) to "
        << ToTerminal(File) << "\n";
  return ExitOk;
}

const TCommandRegistration Export({"export", "--file PATH [OPTIONS] < CSV",
                                   "write CSV from standard input as a device file", hoTransfer | hoExport,
                                   &RunExport});

}  // namespace
}  // namespace halvern::host
