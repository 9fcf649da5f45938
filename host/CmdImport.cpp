// halvern import: reads a device file through an import port and writes it as CSV on standard output.
//
//   halvern import --file PATH [--title|--no-title] [--columns LIST] [--options TEXT] [--by-title]
//                  [--no-text-check] [--device DIR] [--encoding utf-8|gbk]
//
// The first CSV row holds the column titles (FieldGetName), then one row per record with one field per
// column. Values are converted from GBK to UTF-8 unless --encoding gbk asks for the bytes as stored.
//
// The engine matches columns to fields by position and never looks at the file's title line, so this
// command reads the first line itself before the records: with a title line it must name the columns
// (or, with --by-title, hold each of them somewhere, and the values are picked by title); without one,
// a first line that repeats the column titles means the user forgot --title. The values must also be
// GBK text (see DeviceText.h). Every check runs before any output: on a failure standard output stays
// empty and the status is 1. A device failure is reported on standard error, also with status 1.
#include <algorithm>
#include <array>
#include <iostream>
#include <string>
#include <vector>

#include "host/ByteBuffer.h"
#include "host/Commands.h"
#include "host/Csv.h"
#include "host/DeviceText.h"
#include "host/HostConsole.h"
#include "host/HostOptions.h"
#include "host/OptionsText.h"
#include "host/Progress.h"
#include "host/Transfer.h"
#include "platform/CodePage.h"

namespace halvern::host {
namespace {

std::string Trimmed(const std::string& S) {
  const auto Blank = [](char C) { return static_cast<unsigned char>(C) <= 32; };
  const auto B = std::find_if_not(S.begin(), S.end(), Blank);
  const auto E = std::find_if_not(S.rbegin(), S.rend(), Blank).base();
  return B < E ? std::string(B, E) : std::string();
}

bool SameTitles(const std::vector<std::string>& Line, const std::vector<std::string>& Columns) {
  if (Line.size() != Columns.size()) return false;
  for (size_t I = 0; I < Line.size(); ++I)
    if (Trimmed(Line[I]) != Trimmed(Columns[I])) return false;
  return true;
}

// Titles as a comma list, in the engine's own syntax.
std::string CommaList(const std::vector<std::string>& Titles) {
  std::string List;
  for (size_t I = 0; I < Titles.size(); ++I) {
    const std::string& T = Titles[I];
    const bool Quote = T.empty() ? Titles.size() == 1 : std::any_of(T.begin(), T.end(), [](char C) {
      return static_cast<unsigned char>(C) <= 32 || C == '"' || C == ',';
    });
    if (I > 0) List += ',';
    if (!Quote) {
      List += T;
      continue;
    }
    List += '"';
    for (char C : T) List += C == '"' ? std::string("\"\"") : std::string(1, C);
    List += '"';
  }
  return List;
}

void SetLayout(TPortSession& Session, bool Title, const std::vector<std::string>& Columns) {
  Session.SetOptions(std::string(HV_OPTION_COLUMNS) + "=" + EncodeOptionValue(CommaList(Columns)) + ";\r\n" +
                     HV_OPTION_HAS_TITLE + "=" + (Title ? "1" : "0"));
}

std::vector<std::string> Numbered(size_t Count) {
  std::vector<std::string> Titles;
  for (size_t I = 1; I <= Count; ++I) Titles.push_back(std::to_string(I));
  return Titles;
}

std::string Joined(const std::vector<std::string>& Titles) {
  std::string Text;
  for (const std::string& T : Titles) Text += (Text.empty() ? "" : ",") + ToTerminal(T);
  return Text;
}

// True when the value goes out as it is: ASCII without a zero byte and without anything CSV quotes.
// Most values (codes, counts) are.
bool IsSimple(std::string_view V) {
  static const auto Special = [] {
    std::array<bool, 256> T{};
    for (int B = 0x80; B < 0x100; ++B) T[B] = true;
    for (const unsigned char B : {'\0', ',', '"', '\r', '\n'}) T[B] = true;
    return T;
  }();
  bool Simple = true;
  for (const char C : V) Simple &= !Special[static_cast<unsigned char>(C)];
  return Simple;
}

// One CSV field from a GBK value, in the output's encoding. Scratch is working space kept between calls.
void AppendField(TByteBuffer& Out, std::string_view Gbk, bool Utf8, std::string& Scratch) {
  if (CsvNeedsQuotes(Gbk)) {
    Scratch.clear();
    AppendCsvField(Scratch, Gbk);
    Gbk = Scratch;
  }
  if (!Utf8) {
    Out.Append(Gbk);
    return;
  }
  const size_t N = platform::AnsiToUtf8Into(Gbk, Out.Reserve(platform::Utf8Room(Gbk.size())));
  if (N != std::string_view::npos) {
    Out.Commit(N);
  } else {
    Out.Append(ToTerminal(std::string(Gbk)));
  }
}

int RunImport(TCommandContext& C) {
  THostOptions O;
  if (const int Status = ParseHostOptions(C, "import", hoTransfer | hoImport, O); Status != ExitOk)
    return Status;
  if (const int Status = PrepareEngine(C, O); Status != ExitOk) return Status;
  UseBinaryStdio();

  TPortSession Session(C.Engine, ENGINE_PORT_IMPORT, &C.Err);
  Session.SetOptions(O.Options);
  Session.SetOptions(SettingsOptionsText(O));
  const std::string Settings = Session.Options();
  const std::string File = OptionValue(Settings, HV_OPTION_FILE_NAME);
  if (File.empty()) return UsageError(C.Err, "import needs --file PATH, the device file to read");
  const bool HasTitle = OptionValue(Settings, HV_OPTION_HAS_TITLE, "0") != "0";
  if (O.ByTitle && !HasTitle) return UsageError(C.Err, "--by-title needs --title");
  const std::vector<std::string> Columns = Session.ColumnNames();
  const std::string Where = "halvern: " + ToTerminal(File) + ": ";

  // The first line, with room for more fields than there are columns.
  SetLayout(Session, false, Numbered(std::max<size_t>(256, Columns.size() + 1)));
  TDeviceTextCheck Check;
  std::vector<std::string> First;
  {
    TImportCursor Probe(Session);
    Probe.First();
    if (Session.Failed()) return DeviceFailed(C, O, Session.Events());
    if (!Probe.Eof()) Probe.Read(First);
  }
  for (const std::string& V : First) Check.Add(V, 1);
  while (!First.empty() && Trimmed(First.back()).empty()) First.pop_back();
  const auto TextRefused = [&] {
    C.Err << Where << Check.Describe() << " (add --no-text-check to read its bytes as GBK anyway)\n";
    return ExitFailure;
  };

  std::vector<size_t> Picks;  // by title: the field of each column
  if (HasTitle && !First.empty() && !SameTitles(First, Columns)) {
    if (!O.NoTextCheck && Check.Kind() != TTextKind::Gbk) return TextRefused();
    if (!O.ByTitle) {
      C.Err << Where << "the title line does not name the columns\n  title line: " << Joined(First)
            << "\n  columns:    " << Joined(Columns)
            << "\nAdd --by-title to pick the columns by their titles, or give the file's titles with "
               "--columns.\n";
      return ExitFailure;
    }
    for (const std::string& Column : Columns) {
      const auto At = std::find_if(First.begin(), First.end(),
                                   [&](const std::string& T) { return Trimmed(T) == Trimmed(Column); });
      if (At == First.end()) {
        C.Err << Where << "the title line has no column '" << ToTerminal(Column)
              << "'\n  title line: " << Joined(First) << "\n";
        return ExitFailure;
      }
      Picks.push_back(static_cast<size_t>(At - First.begin()));
    }
  } else if (!HasTitle && O.Title != 0 && SameTitles(First, Columns)) {
    C.Err << Where << "the first line holds the column titles: add --title to skip it, or --no-title to "
          << "read it as a record\n";
    return ExitFailure;
  }
  SetLayout(Session, HasTitle,
            Picks.empty() ? Columns : Numbered(*std::max_element(Picks.begin(), Picks.end()) + 1));

  TImportCursor Cursor(Session);
  Cursor.First();
  // The CSV in its final encoding, kept until every value has passed the check.
  const bool Utf8 = O.Encoding == TEncoding::Utf8;
  TByteBuffer Csv;
  std::string Scratch;
  // Fields joined by commas and a CR LF; Value(I) gives field I, Check(V) checks it.
  const auto AppendRecord = [&](size_t Count, auto&& Value, auto&& Check) {
    const size_t Before = Csv.Size();
    for (size_t I = 0; I < Count; ++I) {
      if (I > 0) Csv.Append(',');
      const std::string_view V = Value(I);
      if (IsSimple(V)) {
        Csv.Append(V);
      } else {
        Check(V);
        AppendField(Csv, V, Utf8, Scratch);
      }
    }
    // One empty field alone would read back as no record at all.
    if (Count == 1 && Csv.Size() == Before) Csv.Append("\"\"");
    Csv.Append("\r\n");
  };
  AppendRecord(
      Columns.size(), [&](size_t I) { return std::string_view(Columns[I]); }, [](std::string_view) {});
  TProgress Progress(C.Err, "imported");
  int64_t Records = 0;
  const size_t Count = Picks.empty() ? Columns.size() : Picks.size();
  for (; !Cursor.Eof(); Cursor.Next()) {
    ++Records;
    // A simple value tells the check nothing: it has seen the first one, which may hold a mark.
    AppendRecord(
        Count, [&](size_t I) { return Cursor.Value(Picks.empty() ? I : Picks[I]); },
        [&](std::string_view V) { Check.Add(V, Records + (HasTitle ? 1 : 0)); });
    Progress.Update(Records);
  }
  Progress.Done();
  Session.Finish();
  if (Session.Failed()) return DeviceFailed(C, O, Session.Events());
  if (!O.NoTextCheck && Check.Kind() != TTextKind::Gbk) return TextRefused();

  const auto Bytes = static_cast<int64_t>(Csv.Size());
  C.Out.write(Csv.Data(), static_cast<std::streamsize>(Csv.Size()));
  C.Out.flush();
  if (!C.Out) {
    C.Err << "halvern: cannot write the CSV to standard output\n";
    return ExitFailure;
  }
  C.Err << "halvern: imported " << Records << " records from " << ToTerminal(File) << " (" << Bytes
        << " bytes of CSV)\n";
  return ExitOk;
}

const TCommandRegistration Import({"import", "--file PATH [OPTIONS]",
                                   "read a device file and print it as CSV", hoTransfer | hoImport,
                                   &RunImport});

}  // namespace
}  // namespace halvern::host
