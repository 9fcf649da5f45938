#include "transport/TransOptions.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>

#include "rtl/Stream.h"
#include "textformat/Blanks.h"
#include "textformat/DelimScanner.h"

namespace halvern {

namespace {

constexpr char kQuote[] = "\"";
// The writer's bracket opener; the reader takes it off again.
constexpr std::string_view kOpener = "{\r\n\t";

bool Has(std::string_view S, char C) noexcept {
  return S.find(C) != std::string_view::npos;
}

// The options writer: besides what the plain writer encloses ("=", ";" CR LF, the opener, "}"), it encloses
// what the options reader would otherwise cut or change: any ";" (the reader ends records at a bare ";"),
// any "{" (it opens a bracket level) and blanks at either end (the reader trims fields). Values holding a
// quote or a space are quoted anyway, which protects all of these.
class TOptionsTextWriter final : public TKtTextWriter {
 public:
  TOptionsTextWriter() { SetCustomEnclosing(); }
  const char* ClassName() const noexcept override { return "TOptionsTextWriter"; }

 protected:
  bool NeedsEnclosing(std::string_view S) const override {
    if (TKtTextWriter::NeedsEnclosing(S)) return true;
    if (Has(S, '"') || Has(S, ' ')) return false;
    if (Has(S, ';') || Has(S, '{')) return true;
    return !S.empty() && (IsBlank(S.front()) || IsBlank(S.back()));
  }

  // Between brackets the reader counts "{" and "}" and honours quotes: a value goes there only when it
  // holds no quote and its brackets balance without ever closing the enclosing one. Any other value is
  // quoted, which the reader always reads back whole.
  bool CanBracket(std::string_view S) const override {
    if (Has(S, '"')) return false;
    int64_t Depth = 0;
    for (char C : S) {
      if (C == '{') {
        ++Depth;
      } else if (C == '}' && --Depth < 0) {
        return false;
      }
    }
    return Depth == 0;
  }
};

// The options reader: a bracketed field loses the writer's opener (CR LF TAB after "{") with its brackets,
// so it reads back as written; a field with a plain "{...}" reads as before.
class TOptionsTextReader final : public TKtTextReader {
 public:
  const char* ClassName() const noexcept override { return "TOptionsTextReader"; }

 protected:
  std::string_view Unbracket(std::string_view Inner) const override {
    const std::string_view Tail = kOpener.substr(1);
    if (Inner.substr(0, Tail.size()) == Tail) Inner.remove_prefix(Tail.size());
    return Inner;
  }
};

// Whether reading Stream's text with a tripled quote as an escaped one leaves a quoted section open at its
// end: the text was then not written that way (this writer's texts always close), but by hand or by a
// writer that doubles quotes, and the next quote closes each section.
bool EndsInOpenQuote(TStream& Stream) {
  const int64_t Size = Stream.GetSize();
  if (Size <= 0 || Size > INT32_MAX) return false;
  std::string Text(static_cast<size_t>(Size), '\0');
  Stream.SetPosition(0);
  Text.resize(
      static_cast<size_t>(std::max<int32_t>(0, Stream.Read(Text.data(), static_cast<int32_t>(Size)))));
  TDelimScanner Scanner;
  Scanner.Configure(";", false, kQuote, "{", "}");
  const char* P = Text.data();
  const char* const End = P + Text.size();
  for (;;) {
    const TDelimScanner::TResult R = Scanner.Scan(P, End, true);
    if (!R.Found) return Scanner.InQuote();
    P = R.Pos + 1;
  }
}

}  // namespace

TOptionsWriter::TOptionsWriter(TStream& Stream)
    : FWriter(TKtTextWriter::CreateOn<TOptionsTextWriter>(&Stream)) {
  FWriter->SetDelimiter("=");
  FWriter->SetLineBreak(";\r\n");
  FWriter->SetOpenBracket(kOpener);
  FWriter->SetCloseBracket("}");
  FWriter->SetQuote(kQuote);
  FWriter->SetFixedWidth(0);
  FWriter->SetSkipEmpty(false);
}

TOptionsWriter::~TOptionsWriter() = default;

void TOptionsWriter::WriteValue(std::string_view Key, std::string_view Value) {
  FWriter->SetField(0, Key);
  FWriter->SetField(1, Value);
  FWriter->WriteRecord();
}

TOPtionsReader::TOPtionsReader(TStream& Stream) : FReader(std::make_unique<TOptionsTextReader>()) {
  FReader->SetDelimiter("=");
  FReader->SetLineBreak(";");
  FReader->SetOpenBracket("{");
  FReader->SetCloseBracket("}");
  FReader->SetQuote(kQuote);
  FReader->SetTrimFields(true);
  FDispatcher.IgnoreCase = false;
  FReader->SetStream(&Stream);
}

TOPtionsReader::~TOPtionsReader() = default;

void TOPtionsReader::RegisterKey(std::string_view Key, TStrHandler Handler) {
  FDispatcher.Add(Key, std::move(Handler));
}

void TOPtionsReader::Parse() {
  Stopped = false;
  if (TStream* Stream = FReader->Stream()) FReader->SetTripledQuoteEscape(!EndsInOpenQuote(*Stream));
  FReader->First();
  while (!FReader->Eof() && !Stopped) {
    const std::string Value = FReader->GetField(1);
    const std::string Key = FReader->GetField(0);
    Dispatch(Key, Value);
    FReader->Next();
  }
}

void TOPtionsReader::Dispatch(const std::string& Key, const std::string& Value) {
  if (const TStrHandler* Handler = FDispatcher.Find(Key)) {
    if (*Handler) (*Handler)(Value);
  } else if (OnUnknownKey) {
    OnUnknownKey(Key, Value);
  }
}

}  // namespace halvern
