#include "host/Csv.h"

#include <istream>

namespace halvern::host {

TCsvReader::TCsvReader(std::istream& In, size_t BufferSize)
    : TCsvReader(
          [&In](char* Buffer, size_t Capacity) {
            In.read(Buffer, static_cast<std::streamsize>(Capacity));
            return static_cast<size_t>(In.gcount());
          },
          BufferSize) {}

TCsvReader::TCsvReader(TSource Source, size_t BufferSize)
    : FSource(std::move(Source)), FBuffer(BufferSize > 0 ? BufferSize : 1) {}

int TCsvReader::Peek() {
  if (FPos == FEnd) {
    if (FAtEnd) return -1;
    FPos = 0;
    FEnd = FSource(FBuffer.data(), FBuffer.size());
    if (FEnd == 0) {
      FAtEnd = true;
      return -1;
    }
  }
  return static_cast<unsigned char>(FBuffer[FPos]);
}

int TCsvReader::Get() {
  const int C = Peek();
  if (C >= 0) ++FPos;
  return C;
}

bool TCsvReader::ReadRecord(std::vector<std::string>& Fields) {
  Fields.clear();
  if (!FStarted) {
    FStarted = true;
    // A byte order mark is only one when all three bytes are there.
    static constexpr unsigned char Bom[] = {0xEF, 0xBB, 0xBF};
    std::string Seen;
    while (Seen.size() < 3 && Peek() == Bom[Seen.size()]) Seen.push_back(static_cast<char>(Get()));
    if (Seen.size() < 3 && !Seen.empty()) {
      // Not a mark after all: the bytes start the first field.
      Fields.emplace_back(Seen);
    }
  }
  // Skip lines with nothing on them.
  while (Fields.empty()) {
    const int C = Peek();
    if (C < 0) return false;
    if (C == '\r' || C == '\n') {
      Get();
      if (C == '\r' && Peek() == '\n') Get();
      ++FLine;
      continue;
    }
    break;
  }
  FRecordLine = FLine;
  if (Fields.empty()) Fields.emplace_back();
  for (;;) {
    std::string& Field = Fields.back();
    int C = Peek();
    if (C == '"' && Field.empty()) {
      Get();
      const int64_t Opened = FLine;
      for (;;) {
        // Plain text inside the quotes goes across a buffered run at a time.
        if (Peek() >= 0) {
          const char* Start = FBuffer.data() + FPos;
          const char* End = FBuffer.data() + FEnd;
          const char* P = Start;
          while (P < End && *P != '"' && *P != '\r' && *P != '\n') ++P;
          Field.append(Start, static_cast<size_t>(P - Start));
          FPos += static_cast<size_t>(P - Start);
        }
        C = Get();
        if (C < 0) throw ECsvError("line " + std::to_string(Opened) + ": a quoted field is never closed");
        if (C == '"') {
          if (Peek() == '"') {
            Get();
            Field.push_back('"');
            continue;
          }
          break;
        }
        if (C == '\n' || (C == '\r' && Peek() != '\n')) ++FLine;
        Field.push_back(static_cast<char>(C));
      }
      C = Peek();
      if (C >= 0 && C != ',' && C != '\r' && C != '\n')
        throw ECsvError("line " + std::to_string(FLine) + ": a quoted field is followed by text");
    } else {
      // Unquoted: everything up to a comma or a line end, a stray quote kept as it is, taken a buffered
      // run at a time.
      while (C >= 0 && C != ',' && C != '\r' && C != '\n') {
        const char* Start = FBuffer.data() + FPos;
        const char* End = FBuffer.data() + FEnd;
        const char* P = Start;
        while (P < End && *P != ',' && *P != '\r' && *P != '\n') ++P;
        Field.append(Start, static_cast<size_t>(P - Start));
        FPos += static_cast<size_t>(P - Start);
        C = Peek();
      }
    }
    C = Get();
    if (C == ',') {
      Fields.emplace_back();
      continue;
    }
    if (C == '\r' && Peek() == '\n') Get();
    if (C >= 0) ++FLine;
    return true;
  }
}

bool CsvNeedsQuotes(std::string_view Field) {
  // A plain loop: find_first_of searches the four syntax characters once per byte of the field.
  bool Plain = true;
  for (const char C : Field)
    Plain &= static_cast<unsigned char>(C) > ',' || (C != ',' && C != '"' && C != '\r' && C != '\n');
  return !Plain;
}

void AppendCsvField(std::string& Out, std::string_view Field) {
  if (!CsvNeedsQuotes(Field)) {
    Out.append(Field);
    return;
  }
  Out.push_back('"');
  for (char C : Field) {
    if (C == '"') Out.push_back('"');
    Out.push_back(C);
  }
  Out.push_back('"');
}

void AppendCsvRecord(std::string& Out, const std::vector<std::string>& Fields) {
  if (Fields.size() == 1 && Fields[0].empty()) {
    Out.append("\"\"\r\n");
    return;
  }
  for (size_t I = 0; I < Fields.size(); ++I) {
    if (I > 0) Out.push_back(',');
    AppendCsvField(Out, Fields[I]);
  }
  Out.append("\r\n");
}

}  // namespace halvern::host
