// Comma-separated values as the host program reads and writes them (RFC 4180): records end with CR LF,
// fields are separated by commas, and a field holding a comma, a double quote, CR or LF is enclosed in
// double quotes with every inner double quote doubled.
//
// TCsvReader pulls records from a byte source of its own choosing (a stream, or a function for tests)
// through a buffer it owns; all parser state lives in the object, so records may span any number of
// buffer loads. The bytes are not interpreted beyond the four syntax characters, so GBK and UTF-8 both
// pass through unchanged. One reader per source and thread.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace halvern::host {

// Malformed input: the message names the line where the fault is.
class ECsvError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TCsvReader {
 public:
  // Fills Buffer with up to Capacity bytes; returns how many (0 at the end of input).
  using TSource = std::function<size_t(char* Buffer, size_t Capacity)>;

  explicit TCsvReader(std::istream& In, size_t BufferSize = 64 * 1024);
  explicit TCsvReader(TSource Source, size_t BufferSize = 64 * 1024);

  // Reads the next record into Fields (replacing what was there); false at the end of input. A line
  // with nothing on it is no record. Line ends may be CR LF, LF or a lone CR. A UTF-8 byte order mark at
  // the very start is dropped. Throws ECsvError for a quoted field that is never closed or is followed
  // by anything but a comma or a line end.
  bool ReadRecord(std::vector<std::string>& Fields);

  // The 1-based line on which the record last read began.
  int64_t RecordLine() const noexcept { return FRecordLine; }

 private:
  int Peek();  // next byte (0..255) or -1 at the end, without consuming it
  int Get();

  TSource FSource;
  std::vector<char> FBuffer;
  size_t FPos = 0, FEnd = 0;
  bool FAtEnd = false;
  bool FStarted = false;
  int64_t FLine = 1;
  int64_t FRecordLine = 0;
};

// Appends Field to Out, quoted when it must be.
void AppendCsvField(std::string& Out, std::string_view Field);
// True when Field must be quoted: it holds a comma, a double quote, CR or LF.
bool CsvNeedsQuotes(std::string_view Field);
// Appends the fields joined by commas and a CR LF. A record of one empty field is written as "" so that
// it does not read back as an empty line.
void AppendCsvRecord(std::string& Out, const std::vector<std::string>& Fields);

}  // namespace halvern::host
