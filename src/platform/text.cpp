#include "platform/text.h"

#ifdef _WIN32
#include <windows.h>
#include "platform/win_system.h"
#endif

namespace plat {

size_t textLength(const char16_t* s) {
    if (!s)
        return 0;
    size_t n = 0;
    while (s[n])
        ++n;
    return n;
}

size_t copyText(char16_t* dst, size_t dstUnits, const char16_t* src) {
    if (!dst || dstUnits == 0)
        return 0;
    size_t n = 0;
    if (src) {
        while (n + 1 < dstUnits && src[n]) {
            dst[n] = src[n];
            ++n;
        }
    }
    dst[n] = 0;
    return n;
}

size_t appendText(char16_t* dst, size_t dstUnits, const char16_t* src) {
    if (!dst || dstUnits == 0)
        return 0;
    size_t have = 0;
    while (have < dstUnits && dst[have])
        ++have;
    if (have >= dstUnits) { // not terminated: terminate at the end and add nothing
        dst[dstUnits - 1] = 0;
        return 0;
    }
    return copyText(dst + have, dstUnits - have, src);
}

char16_t foldCase(char16_t c) {
    if (c >= u'A' && c <= u'Z')
        return static_cast<char16_t>(c + 32);
    if (c < 0xC0)
        return c;
    if (c <= 0xDE) // Latin-1 capitals, except the multiplication sign
        return c == 0xD7 ? c : static_cast<char16_t>(c + 32);
    if (c < 0x100 || c > 0x17F)
        return c;
    // Latin Extended-A: capitals and small letters alternate; the pairs
    // start on an even code in 0100-0137 and 014A-0177, on an odd code in
    // 0139-0148 and 0179-017E. U+0178 (Y with diaeresis) pairs with U+00FF.
    if (c == 0x178)
        return 0xFF;
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
        return (c & 1) ? c : static_cast<char16_t>(c + 1);
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return (c & 1) ? static_cast<char16_t>(c + 1) : c;
    return c;
}

int compareText(const char16_t* a, const char16_t* b) {
#ifdef _WIN32
    return win::lstrcmpW(reinterpret_cast<LPCWSTR>(a ? a : u""), reinterpret_cast<LPCWSTR>(b ? b : u""));
#else
    if (!a)
        a = u"";
    if (!b)
        b = u"";
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return *a < *b ? -1 : (*a > *b ? 1 : 0);
#endif
}

int compareTextNoCase(const char16_t* a, const char16_t* b) {
#ifdef _WIN32
    return win::lstrcmpiW(reinterpret_cast<LPCWSTR>(a ? a : u""), reinterpret_cast<LPCWSTR>(b ? b : u""));
#else
    if (!a)
        a = u"";
    if (!b)
        b = u"";
    for (;; ++a, ++b) {
        char16_t x = foldCase(*a), y = foldCase(*b);
        if (x != y)
            return x < y ? -1 : 1;
        if (!x)
            return 0;
    }
#endif
}

size_t sortKeyNoCase(const char16_t* text, uint8_t* key, size_t keyBytes) {
    if (!text)
        text = u"";
#ifdef _WIN32
    const int got =
        win::LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE,
                          reinterpret_cast<LPCWSTR>(text), -1, key ? reinterpret_cast<LPWSTR>(key) : nullptr,
                          key ? static_cast<int>(keyBytes < 0x7FFFFFFF ? keyBytes : 0x7FFFFFFF) : 0);
    return got > 0 ? static_cast<size_t>(got) : 0;
#else
    // The terminator too, as in Windows' keys: a key is never empty.
    const size_t need = 2 * (textLength(text) + 1);
    if (!key)
        return need;
    if (keyBytes < need)
        return 0;
    for (size_t i = 0; i * 2 < need; ++i) {
        const char16_t c = foldCase(text[i]);
        key[2 * i] = static_cast<uint8_t>(c >> 8);
        key[2 * i + 1] = static_cast<uint8_t>(c & 0xFF);
    }
    return need;
#endif
}

int compareSortKeys(const uint8_t* a, size_t aBytes, const uint8_t* b, size_t bBytes) {
    const size_t n = aBytes < bBytes ? aBytes : bBytes;
    for (size_t i = 0; i < n; ++i)
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
    return aBytes < bBytes ? -1 : (aBytes > bBytes ? 1 : 0);
}

void fileNamePart(char16_t* dst, size_t dstUnits, const char16_t* path) {
    if (!dst || dstUnits == 0)
        return;
    if (!path) {
        dst[0] = 0;
        return;
    }
    const char16_t* name = path;
    for (const char16_t* p = path; *p; ++p)
        if (*p == u'\\' || *p == u'/' || *p == u':')
            name = p + 1;
    size_t length = textLength(name);
    for (size_t i = length; i > 1; --i)
        if (name[i - 1] == u'.') {
            length = i - 1;
            break;
        }
    size_t n = length < dstUnits - 1 ? length : dstUnits - 1;
    for (size_t i = 0; i < n; ++i)
        dst[i] = name[i];
    dst[n] = 0;
}

std::string toUtf8(const char16_t* s) {
    std::string out;
    if (!s)
        return out;
    for (size_t i = 0; s[i]; ++i) {
        uint32_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string fromUtf8(const std::string& s) {
    std::u16string out;
    size_t i = 0;
    while (i < s.size()) {
        unsigned char b = static_cast<unsigned char>(s[i]);
        uint32_t c = 0xFFFD;
        size_t extra = 0;
        if (b < 0x80) {
            c = b;
        } else if ((b & 0xE0) == 0xC0) {
            c = b & 0x1F;
            extra = 1;
        } else if ((b & 0xF0) == 0xE0) {
            c = b & 0x0F;
            extra = 2;
        } else if ((b & 0xF8) == 0xF0) {
            c = b & 0x07;
            extra = 3;
        }
        ++i;
        for (size_t k = 0; k < extra; ++k, ++i) {
            if (i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
                c = 0xFFFD;
                break;
            }
            c = (c << 6) | (static_cast<unsigned char>(s[i]) & 0x3F);
        }
        if (c >= 0x10000 && c <= 0x10FFFF) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c > 0x10FFFF ? 0xFFFD : c);
        }
    }
    return out;
}

} // namespace plat
