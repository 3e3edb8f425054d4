#include "platform/win_layer.h"

#include <cstdlib>
#include <cstring>

namespace win {

#ifndef _WIN64
bool unicodeSystem() {
    // Asked once: the answer cannot change while the program runs.
    static const bool nt = (GetVersion() & 0x80000000u) == 0;
    return nt;
}
#endif

namespace {

// Whether bytes read back give exactly the units they came from. The system
// does not count a "best fit" (r for ř in a Western code page) as a
// replacement, yet the path it makes names another file.
bool convertsBack(const char* bytes, int byteCount, const wchar_t* units, int unitCount) {
    wchar_t small[280];
    wchar_t* back = small;
    if (unitCount > static_cast<int>(sizeof small / sizeof small[0])) {
        back = static_cast<wchar_t*>(std::malloc(static_cast<size_t>(unitCount) * sizeof(wchar_t)));
        if (!back)
            return false;
    }
    int got = MultiByteToWideChar(CP_ACP, 0, bytes, byteCount, back, unitCount);
    bool same = got == unitCount && std::memcmp(back, units, static_cast<size_t>(unitCount) * sizeof(wchar_t)) == 0;
    if (back != small)
        std::free(back);
    return same;
}

} // namespace

AnsiText::AnsiText(const wchar_t* text) { convert(text, -1); }

AnsiText::AnsiText(const wchar_t* text, int units) { convert(text, units); }

AnsiText::~AnsiText() { std::free(heap_); }

void AnsiText::convert(const wchar_t* text, int units) {
    small_[0] = 0;
    text_ = small_;
    if (!text) {
        text_ = nullptr;
        return;
    }
    if (IS_INTRESOURCE(text)) {
        text_ = reinterpret_cast<char*>(const_cast<wchar_t*>(text));
        return;
    }
    if (units < 0)
        units = lstrlenW(text);
    if (units == 0)
        return;
    BOOL replaced = FALSE;
    // A double-byte code page needs up to two bytes a unit.
    int need = WideCharToMultiByte(CP_ACP, 0, text, units, nullptr, 0, nullptr, nullptr);
    if (need <= 0) {
        exact_ = false;
        return;
    }
    char* out = small_;
    if (need >= static_cast<int>(sizeof small_)) {
        heap_ = static_cast<char*>(std::malloc(static_cast<size_t>(need) + 1));
        if (!heap_) {
            exact_ = false;
            return;
        }
        out = heap_;
    }
    int written = WideCharToMultiByte(CP_ACP, 0, text, units, out, need, nullptr, &replaced);
    if (written <= 0) {
        exact_ = false;
        out[0] = 0;
    } else {
        out[written] = 0;
        bytes_ = written;
        exact_ = !replaced && convertsBack(out, written, text, units);
    }
    text_ = out;
}

int wideFromAnsi(const char* text, int bytes, wchar_t* dst, int dstUnits) {
    if (!dst || dstUnits <= 0)
        return 0;
    dst[0] = 0;
    if (!text)
        return 0;
    if (bytes < 0)
        bytes = lstrlenA(text);
    if (bytes == 0)
        return 0;
    int units = MultiByteToWideChar(CP_ACP, 0, text, bytes, dst, dstUnits - 1);
    if (units <= 0) {
        // Too long for dst: convert whole and keep the front, as a long
        // text is to be cut, not lost.
        int whole = MultiByteToWideChar(CP_ACP, 0, text, bytes, nullptr, 0);
        if (whole <= 0)
            return 0;
        wchar_t* all = static_cast<wchar_t*>(std::malloc(static_cast<size_t>(whole) * sizeof(wchar_t)));
        if (!all)
            return 0;
        MultiByteToWideChar(CP_ACP, 0, text, bytes, all, whole);
        units = dstUnits - 1;
        std::memcpy(dst, all, static_cast<size_t>(units) * sizeof(wchar_t));
        std::free(all);
    }
    dst[units] = 0;
    return units;
}

} // namespace win

#if defined(__MINGW32__) && defined(__i386__)
// The C++ runtime's thread support (libgcc: its locks, thread-safe statics)
// makes unnamed semaphores with CreateSemaphoreW, a stub that fails on
// Windows 9x; a lock there would fail the first time two threads met on it.
// The runtime reaches the function through its import entry, so the program
// gives that entry itself: the A function, which is the same call where no
// name is given, and a converted name where one is.
namespace {

HANDLE WINAPI createSemaphoreOnAnySystem(LPSECURITY_ATTRIBUTES security, LONG initial, LONG maximum,
                                         LPCWSTR name) {
    const win::AnsiText ansi(name);
    if (name && !ansi.exact()) {
        SetLastError(ERROR_INVALID_NAME);
        return nullptr;
    }
    return CreateSemaphoreA(security, initial, maximum, ansi.get());
}

} // namespace

extern "C" {
extern void* const createSemaphoreImport __asm__("__imp__CreateSemaphoreW@16");
void* const createSemaphoreImport = reinterpret_cast<void*>(&createSemaphoreOnAnySystem);
}
#endif
