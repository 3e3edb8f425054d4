// UTF-16 text helpers shared by every layer. Paths and texts are UTF-16 in
// fixed buffers; every copy here is bounded by the destination's size and
// always leaves a terminator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace plat {

// Paths live in buffers of 270 units: 269 characters and the terminator.
constexpr size_t kPathUnits = 270;

size_t textLength(const char16_t* s);

// Copies at most dstUnits - 1 units of src and terminates dst. Returns the
// number of units copied. A null src copies nothing.
size_t copyText(char16_t* dst, size_t dstUnits, const char16_t* src);

// Appends src behind the text already in dst, bounded like copyText.
size_t appendText(char16_t* dst, size_t dstUnits, const char16_t* src);

// Case-sensitive comparison (lstrcmpW on Windows, code-unit order elsewhere).
int compareText(const char16_t* a, const char16_t* b);

// Case-insensitive comparison: lstrcmpiW on Windows. Elsewhere both texts are
// folded with foldCase and compared unit by unit, which is exact for
// equality and orders texts by code unit rather than by dictionary rules.
int compareTextNoCase(const char16_t* a, const char16_t* b);

// A key for the text whose bytes, compared with compareSortKeys, order texts
// as compareTextNoCase does (LCMapStringW's sort key on Windows, the folded
// units high byte first and a terminator elsewhere). Writes at most keyBytes bytes and returns
// how many it wrote, or with a null key how many it needs; 0 when the system
// makes no keys (Windows 9x). Callers check the order they get from keys
// against compareTextNoCase before they rely on it.
size_t sortKeyNoCase(const char16_t* text, uint8_t* key, size_t keyBytes);
int compareSortKeys(const uint8_t* a, size_t aBytes, const uint8_t* b, size_t bBytes);

// Lower-case fold used off Windows: A-Z, Latin-1 letters and the Latin
// Extended-A letters (which hold all Czech accented letters).
char16_t foldCase(char16_t c);

// The file-name part of a path: no folder, no extension (the text after the
// last dot of the name is dropped, and a name starting with its only dot is
// kept whole). Bounded by dstUnits.
void fileNamePart(char16_t* dst, size_t dstUnits, const char16_t* path);

// UTF-8 <-> UTF-16 for tools, tests and POSIX file names. Unpaired
// surrogates become U+FFFD.
std::string toUtf8(const char16_t* s);
std::u16string fromUtf8(const std::string& s);

} // namespace plat
