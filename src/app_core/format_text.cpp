#include "app_core/format_text.h"

namespace {

struct Writer {
    char16_t* dst;
    size_t units;
    size_t length = 0;
    void put(char16_t c) {
        if (length + 1 < units)
            dst[length++] = c;
    }
};

void putNumber(Writer& w, int32_t value, int width, bool zeroPad) {
    char16_t digits[12];
    int n = 0;
    uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    do {
        digits[n++] = static_cast<char16_t>(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    int total = n + (value < 0 ? 1 : 0);
    if (value < 0 && zeroPad)
        w.put(u'-');
    for (; total < width; ++total)
        w.put(zeroPad ? u'0' : u' ');
    if (value < 0 && !zeroPad)
        w.put(u'-');
    while (n > 0)
        w.put(digits[--n]);
}

} // namespace

size_t formatText(char16_t* dst, size_t units, const char16_t* format, const FormatArg* args, size_t argCount) {
    if (!dst || units == 0)
        return 0;
    Writer w{dst, units};
    size_t next = 0;
    for (const char16_t* p = format; p && *p; ++p) {
        if (*p != u'%') {
            w.put(*p);
            continue;
        }
        const char16_t* directive = p + 1;
        if (*directive == u'%') {
            w.put(u'%');
            p = directive;
            continue;
        }
        bool zeroPad = false;
        int width = 0;
        if (*directive == u'0') {
            zeroPad = true;
            ++directive;
        }
        while (*directive >= u'0' && *directive <= u'9' && width < 100)
            width = width * 10 + (*directive++ - u'0');
        if (*directive != u'i' && *directive != u'd' && *directive != u's') {
            w.put(u'%'); // not a placeholder we know: printed as it stands
            continue;
        }
        const FormatArg* arg = next < argCount ? &args[next] : nullptr;
        ++next;
        if (arg && *directive == u's' && arg->isText) {
            for (const char16_t* t = arg->text; t && *t; ++t)
                w.put(*t);
        } else if (arg && *directive != u's' && !arg->isText) {
            putNumber(w, arg->number, width, zeroPad);
        }
        p = directive;
    }
    dst[w.length] = 0;
    return w.length;
}
