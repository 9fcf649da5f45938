// Byte-string routines of the delimited text format: copies, searches, quoting and padding.
//
// Every routine works on bytes of the ANSI code page (GBK) and knows nothing of double-byte characters.
// Searches take a pointer and a byte count, never read outside that range, and return nullptr for "none".
// They are pure and thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace halvern {

// A copy of the N bytes at P (empty for N = 0).
std::string SetStrFromBuf(const char* P, size_t N);

// First whole occurrence of Pattern in [Buffer, Buffer + Length); none when either is missing or empty,
// or the pattern is longer than the buffer.
const char* FindStr(const char* Buffer, std::string_view Pattern, size_t Length);
// First byte of the buffer that is one of the SetLength bytes of Set.
const char* FindCharOf(const char* Buffer, const char* Set, size_t Length, size_t SetLength);
// First occurrence of the byte C.
const char* FindChar(char C, const char* Buffer, size_t Length);

// First Delimiter outside quoted sections and at bracket depth 0 (see TDelimScanner for the rules).
const char* FindDelimiter(const char* Start, size_t Length, std::string_view Delimiter,
                          std::string_view Quote, std::string_view Open, std::string_view Close);
// As FindDelimiter, but every byte of Separators is a one-byte separator.
const char* FindBlankDelimiter(const char* Start, size_t Length, std::string_view Separators,
                               std::string_view Quote, std::string_view Open, std::string_view Close);

// Triples every Q; encloses the result in Q unless it is exactly three Q (S was a lone Q).
std::string QuoteStr(std::string_view S, std::string_view Q);
// Turns every run of three Q into one Q (left to right, without overlap), then StripEnclosing.
std::string UnquoteStr(std::string_view S, std::string_view Q);
// Removes one Q from each end when S begins and ends with Q and is at least twice as long as Q.
std::string StripEnclosing(std::string_view S, std::string_view Q);
// S followed by as many bytes C as make it N bytes long (S itself when it is N bytes or longer).
std::string PadRight(std::string_view S, char C, int32_t N);
// S without any byte equal to C.
std::string RemoveChar(std::string_view S, char C);

}  // namespace halvern
