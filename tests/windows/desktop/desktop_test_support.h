// Helpers of the desktop tests: the test pictures, the program's own files,
// registry values, BMPs written here, pixel comparison and scripted answers
// to message boxes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "collection/wallpaper_entry.h"
#include "image/packed_dib.h"
#include "test_support.h"

namespace desktest {

std::u16string picture(const std::u16string& name); // a picture made at build time
std::u16string programFile(const std::u16string& name); // next to the test program
bool exists(const std::u16string& path);
void remove(const std::u16string& path);

// REG_SZ value under HKEY_CURRENT_USER; "<missing>" when it cannot be read.
std::u16string userString(const wchar_t* key, const wchar_t* name);
void setUserString(const wchar_t* key, const wchar_t* name, const std::u16string& value);

// A BMP of w x h pixels, 8 bits (with a 64-colour table), 24 or 32 bits,
// with a pattern that differs in every row and column.
void writeTestBmp(const std::u16string& path, int32_t w, int32_t h, uint16_t bits);

// The picture in a BMP file, read by our own reader.
PackedDib loadBmp(const std::u16string& path);
struct DibFacts {
    int32_t width = 0, rows = 0;
    uint16_t bits = 0;
};
DibFacts factsOf(const PackedDib& dib);
// Same size, depth, colour table and pixels.
bool samePicture(const PackedDib& a, const PackedDib& b);

WallpaperEntry entryFor(const std::u16string& path, int32_t style);

// Answers message boxes from a list (then with the last answer) and records
// their texts.
class ScriptedBoxes {
  public:
    explicit ScriptedBoxes(std::vector<int> answers);
    ~ScriptedBoxes();
    struct Box {
        std::u16string text;
        std::u16string caption;
        uint32_t flags;
    };
    const std::vector<Box>& boxes() const;
};

} // namespace desktest
