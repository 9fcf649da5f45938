// GBK <-> UTF-8 for the CSV paths, a table lookup per character instead of a system converter per call.
// The tables are taken from the platform's own conversion (platform/CodePage.h) once, on first use, so
// a character converts here exactly as it does there; the UTF-8 -> GBK table holds only characters that
// come back unchanged, so a look-alike substitute never passes for the real character. Text the tables do not
// cover (a broken or unmapped character, one outside the Basic Multilingual Plane, invalid UTF-8) makes the
// fast conversion answer false, and the caller falls back to the platform for that text. Thread-safe.
#pragma once

#include <string>
#include <string_view>

namespace halvern::host {

// Appends the converted text to Out and returns true, or returns false (Out then holds an unspecified
// prefix of the result, and the caller discards it) when In holds text the tables do not cover.
bool FastGbkToUtf8(std::string_view Gbk, std::string& Out);
bool FastUtf8ToGbk(std::string_view Utf8, std::string& Out);

// The room GbkToUtf8Into needs for GbkBytes of input: two bytes of GBK make at most three of UTF-8.
constexpr size_t Utf8Room(size_t GbkBytes) {
  return GbkBytes + GbkBytes / 2 + 1;
}
// Converts into Out, which has Utf8Room(Gbk.size()) bytes, and returns the bytes written, or npos
// when Gbk holds text the tables do not cover.
size_t GbkToUtf8Into(std::string_view Gbk, char* Out);

}  // namespace halvern::host
