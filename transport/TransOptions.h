// The options text: a port's settings as "key=value" records joined by ";" CR LF.
//
// TOptionsWriter appends key/value records to a stream; TOPtionsReader reads every record of a stream and
// calls the handler registered for its key. Both are configurations of the delimited text writer and
// reader. A value that holds a separator, a bracket, a quote, a space or a leading or trailing blank is
// enclosed ("{" CR LF TAB value "}") or quoted so that it reads back unchanged; other values are written
// as they are.
//
// Quotes as read: a quoted section closes at the next quote, except that at bracket depth 0 three quotes
// inside it stand for one (the writer's escape). Between brackets the writer puts no quoted text, and a
// comma list written there doubles its quotes, so there the next quote always closes. A text that would
// end with a quoted section still open under that reading was not written by this writer (a hand-typed
// list with doubled quotes, say): it is read again with the next quote closing every section. Neither
// class owns its stream. Not thread-safe; a reader is used once, a writer appends for
// as long as it lives.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "textformat/StrDispatcher.h"
#include "textformat/TextReader.h"
#include "textformat/TextWriter.h"

namespace halvern {

class TStream;

class TOptionsWriter {
 public:
  // Records go to Stream from its current position on.
  explicit TOptionsWriter(TStream& Stream);
  ~TOptionsWriter();
  TOptionsWriter(const TOptionsWriter&) = delete;
  TOptionsWriter& operator=(const TOptionsWriter&) = delete;

  // Appends one record (preceded by ";" CR LF unless the stream is at position 0).
  void WriteValue(std::string_view Key, std::string_view Value);

  TKtTextWriter& Writer() noexcept { return *FWriter; }

 private:
  std::unique_ptr<TKtTextWriter> FWriter;
};

class TOPtionsReader {
 public:
  // Attaches Stream and reads its first record.
  explicit TOPtionsReader(TStream& Stream);
  ~TOPtionsReader();
  TOPtionsReader(const TOPtionsReader&) = delete;
  TOPtionsReader& operator=(const TOPtionsReader&) = delete;

  // Called for records whose key has no handler; unset by default.
  std::function<void(const std::string& Key, const std::string& Value)> OnUnknownKey;
  // Set by a handler to stop Parse before the next record.
  bool Stopped = false;

  // Binds Handler to Key; a later registration of the same key wins. An empty Handler makes the key
  // one that is read and ignored.
  void RegisterKey(std::string_view Key, TStrHandler Handler);

  // Reads every record from the start of the stream and dispatches it.
  void Parse();

  TKtTextReader& Reader() noexcept { return *FReader; }

 private:
  void Dispatch(const std::string& Key, const std::string& Value);

  std::unique_ptr<TKtTextReader> FReader;
  TStrDispatcher FDispatcher{256};
};

}  // namespace halvern
