// A bounded stand-in for wsprintfW that works the same on every platform:
// the user texts keep their %i, %02i and %s placeholders exactly as written.
#pragma once

#include <cstddef>
#include <cstdint>

// One argument: a number for %i/%02i or a text for %s.
struct FormatArg {
    FormatArg(int32_t v) : number(v) {}
    FormatArg(const char16_t* t) : text(t), isText(true) {}
    int32_t number = 0;
    const char16_t* text = nullptr;
    bool isText = false;
};

// Formats into dst (units long, always terminated, cut when too long).
// Returns the length written. Placeholders without an argument print nothing.
size_t formatText(char16_t* dst, size_t units, const char16_t* format, const FormatArg* args, size_t argCount);

inline size_t formatText(char16_t* dst, size_t units, const char16_t* format, FormatArg a) {
    return formatText(dst, units, format, &a, 1);
}
inline size_t formatText(char16_t* dst, size_t units, const char16_t* format, FormatArg a, FormatArg b) {
    const FormatArg args[] = {a, b};
    return formatText(dst, units, format, args, 2);
}
