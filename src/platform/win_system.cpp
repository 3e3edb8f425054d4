#include "platform/win_system.h"

#include <cstdlib>
#include <cstring>

#include "platform/text.h"
#include "platform/win_layer.h"

namespace win {
namespace {

// A text that cannot exist on this system: the call fails with `error`.
bool missing(const AnsiText& text, DWORD error) {
    if (text.get() && !text.exact()) {
        SetLastError(error);
        return true;
    }
    return false;
}

// The units of an ANSI text (bytes long) in UTF-16, without a terminator.
int wideUnits(const char* text, int bytes) {
    return bytes > 0 ? MultiByteToWideChar(CP_ACP, 0, text, bytes, nullptr, 0) : 0;
}

// Hands an ANSI result back as the W functions that report "the size
// needed" do: the length without the terminator when it fits in `units`,
// otherwise the units needed with the terminator.
DWORD giveOrAskForMore(const char* text, int bytes, LPWSTR out, DWORD units) {
    const int need = wideUnits(text, bytes);
    if (static_cast<DWORD>(need) + 1 > units) {
        if (out && units)
            out[0] = 0;
        return static_cast<DWORD>(need) + 1;
    }
    return static_cast<DWORD>(wideFromAnsi(text, bytes, out, static_cast<int>(units)));
}

void wideFindData(const WIN32_FIND_DATAA& a, WIN32_FIND_DATAW* w) {
    w->dwFileAttributes = a.dwFileAttributes;
    w->ftCreationTime = a.ftCreationTime;
    w->ftLastAccessTime = a.ftLastAccessTime;
    w->ftLastWriteTime = a.ftLastWriteTime;
    w->nFileSizeHigh = a.nFileSizeHigh;
    w->nFileSizeLow = a.nFileSizeLow;
    w->dwReserved0 = a.dwReserved0;
    w->dwReserved1 = a.dwReserved1;
    wideFromAnsi(a.cFileName, -1, w->cFileName, MAX_PATH);
    wideFromAnsi(a.cAlternateFileName, -1, w->cAlternateFileName, 14);
}

bool ansiExists(const char* path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// 9x: replaces `to` by `from` without a moment in which the user's file at
// `to` exists nowhere.
BOOL replaceByMoves(const char* from, const char* to) {
    const size_t length = std::strlen(to);
    char* aside = static_cast<char*>(std::malloc(length + 8));
    if (!aside) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    bool named = false;
    for (int n = 0; n < 100 && !named; ++n) {
        std::memcpy(aside, to, length);
        aside[length] = '.';
        aside[length + 1] = static_cast<char>('0' + n / 10);
        aside[length + 2] = static_cast<char>('0' + n % 10);
        std::memcpy(aside + length + 3, "old", 4);
        named = !ansiExists(aside);
    }
    BOOL done = FALSE;
    if (!named) {
        SetLastError(ERROR_ALREADY_EXISTS);
    } else if (MoveFileA(to, aside)) {
        if (MoveFileA(from, to)) {
            DeleteFileA(aside);
            done = TRUE;
        } else {
            const DWORD error = GetLastError();
            MoveFileA(aside, to);
            SetLastError(error);
        }
    }
    std::free(aside);
    return done;
}

// The UTF-16 texts in unit order, letters folded when `noCase`: the order of
// two texts the code page made equal.
int unitOrder(LPCWSTR a, LPCWSTR b, bool noCase) {
    for (;; ++a, ++b) {
        char16_t x = static_cast<char16_t>(*a), y = static_cast<char16_t>(*b);
        if (noCase) {
            x = plat::foldCase(x);
            y = plat::foldCase(y);
        }
        if (x != y)
            return x < y ? -1 : 1;
        if (!x)
            return 0;
    }
}

int compareOnAnsi(LPCWSTR a, LPCWSTR b, bool noCase) {
    if (!a)
        a = L"";
    if (!b)
        b = L"";
    const AnsiText x(a), y(b);
    const int order = noCase ? lstrcmpiA(x.get(), y.get()) : lstrcmpA(x.get(), y.get());
    if (order == 0 && (!x.exact() || !y.exact()))
        return unitOrder(a, b, noCase);
    return order;
}

bool isText(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

} // namespace

HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                   DWORD flags, HANDLE templateFile) {
    if (unicodeSystem())
        return ::CreateFileW(path, access, share, security, disposition, flags, templateFile);
    const AnsiText a(path);
    const bool creates = disposition == CREATE_ALWAYS || disposition == CREATE_NEW;
    if (missing(a, creates ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND))
        return INVALID_HANDLE_VALUE;
    return CreateFileA(a.get(), access, share, security, disposition, flags, templateFile);
}

BOOL CopyFileW(LPCWSTR from, LPCWSTR to, BOOL failIfExists) {
    if (unicodeSystem())
        return ::CopyFileW(from, to, failIfExists);
    const AnsiText a(from), b(to);
    if (missing(a, ERROR_FILE_NOT_FOUND) || missing(b, ERROR_PATH_NOT_FOUND))
        return FALSE;
    return CopyFileA(a.get(), b.get(), failIfExists);
}

BOOL MoveFileW(LPCWSTR from, LPCWSTR to) {
    if (unicodeSystem())
        return ::MoveFileW(from, to);
    const AnsiText a(from), b(to);
    if (missing(a, ERROR_FILE_NOT_FOUND) || missing(b, ERROR_PATH_NOT_FOUND))
        return FALSE;
    return MoveFileA(a.get(), b.get());
}

BOOL MoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags) {
    if (unicodeSystem())
        return ::MoveFileExW(from, to, flags);
    if (flags & MOVEFILE_DELAY_UNTIL_REBOOT) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return FALSE;
    }
    const AnsiText a(from), b(to);
    if (missing(a, ERROR_FILE_NOT_FOUND) || missing(b, ERROR_PATH_NOT_FOUND))
        return FALSE;
    if (!a.get() || !b.get()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // Moving a file onto itself (in any case of letters) keeps it.
    if ((flags & MOVEFILE_REPLACE_EXISTING) && ansiExists(b.get()) && lstrcmpiA(a.get(), b.get()) != 0)
        return replaceByMoves(a.get(), b.get());
    return MoveFileA(a.get(), b.get());
}

BOOL DeleteFileW(LPCWSTR path) {
    if (unicodeSystem())
        return ::DeleteFileW(path);
    const AnsiText a(path);
    return !missing(a, ERROR_FILE_NOT_FOUND) && DeleteFileA(a.get());
}

DWORD GetFileAttributesW(LPCWSTR path) {
    if (unicodeSystem())
        return ::GetFileAttributesW(path);
    const AnsiText a(path);
    return missing(a, ERROR_FILE_NOT_FOUND) ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(a.get());
}

BOOL SetFileAttributesW(LPCWSTR path, DWORD attributes) {
    if (unicodeSystem())
        return ::SetFileAttributesW(path, attributes);
    const AnsiText a(path);
    return !missing(a, ERROR_FILE_NOT_FOUND) && SetFileAttributesA(a.get(), attributes);
}

BOOL CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES security) {
    if (unicodeSystem())
        return ::CreateDirectoryW(path, security);
    const AnsiText a(path);
    return !missing(a, ERROR_PATH_NOT_FOUND) && CreateDirectoryA(a.get(), security);
}

HANDLE FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW found) {
    if (unicodeSystem())
        return ::FindFirstFileW(pattern, found);
    const AnsiText a(pattern);
    if (missing(a, ERROR_FILE_NOT_FOUND))
        return INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(a.get(), &data);
    if (search != INVALID_HANDLE_VALUE)
        wideFindData(data, found);
    return search;
}

BOOL FindNextFileW(HANDLE search, LPWIN32_FIND_DATAW found) {
    if (unicodeSystem())
        return ::FindNextFileW(search, found);
    WIN32_FIND_DATAA data;
    if (!FindNextFileA(search, &data))
        return FALSE;
    wideFindData(data, found);
    return TRUE;
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR path, DWORD units) {
    if (unicodeSystem())
        return ::GetModuleFileNameW(module, path, units);
    if (!path || units == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    char ansi[2 * MAX_PATH + 2];
    const DWORD bytes = GetModuleFileNameA(module, ansi, sizeof ansi);
    if (bytes == 0 || bytes >= sizeof ansi) {
        path[0] = 0;
        return 0;
    }
    // Cut and terminated, answering the full buffer, when it does not fit.
    const int need = wideUnits(ansi, static_cast<int>(bytes));
    wideFromAnsi(ansi, static_cast<int>(bytes), path, static_cast<int>(units));
    if (static_cast<DWORD>(need) >= units) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return units;
    }
    return static_cast<DWORD>(need);
}

HMODULE GetModuleHandleW(LPCWSTR name) {
    if (unicodeSystem())
        return ::GetModuleHandleW(name);
    const AnsiText a(name);
    return missing(a, ERROR_MOD_NOT_FOUND) ? nullptr : GetModuleHandleA(a.get());
}

HMODULE LoadLibraryW(LPCWSTR name) {
    if (unicodeSystem())
        return ::LoadLibraryW(name);
    const AnsiText a(name);
    return missing(a, ERROR_MOD_NOT_FOUND) ? nullptr : LoadLibraryA(a.get());
}

UINT GetWindowsDirectoryW(LPWSTR path, UINT units) {
    if (unicodeSystem())
        return ::GetWindowsDirectoryW(path, units);
    char ansi[2 * MAX_PATH + 2];
    const UINT bytes = GetWindowsDirectoryA(ansi, sizeof ansi);
    if (bytes == 0 || bytes >= sizeof ansi)
        return 0;
    return giveOrAskForMore(ansi, static_cast<int>(bytes), path, units);
}

DWORD GetEnvironmentVariableW(LPCWSTR name, LPWSTR value, DWORD units) {
    if (unicodeSystem())
        return ::GetEnvironmentVariableW(name, value, units);
    const AnsiText a(name);
    if (missing(a, ERROR_ENVVAR_NOT_FOUND))
        return 0;
    char ansiValue[2 * MAX_PATH + 2];
    DWORD bytes = GetEnvironmentVariableA(a.get(), ansiValue, sizeof ansiValue);
    if (bytes == 0)
        return 0;
    if (bytes < sizeof ansiValue)
        return giveOrAskForMore(ansiValue, static_cast<int>(bytes), value, units);
    char* big = static_cast<char*>(std::malloc(bytes));
    if (!big) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    const DWORD got = GetEnvironmentVariableA(a.get(), big, bytes);
    const DWORD result = got && got < bytes ? giveOrAskForMore(big, static_cast<int>(got), value, units) : 0;
    std::free(big);
    return result;
}

LPWSTR GetCommandLineW() {
    if (unicodeSystem())
        return ::GetCommandLineW();
    // Converted once; the process keeps it, as the system keeps its own.
    static wchar_t* line = nullptr;
    if (!line) {
        const char* ansi = GetCommandLineA();
        const int units = ansi ? wideUnits(ansi, lstrlenA(ansi)) : 0;
        line = static_cast<wchar_t*>(std::malloc((static_cast<size_t>(units) + 1) * sizeof(wchar_t)));
        if (!line) {
            static wchar_t empty[1] = {0};
            return empty;
        }
        wideFromAnsi(ansi, -1, line, units + 1);
    }
    return line;
}

BOOL WriteProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value) {
    if (unicodeSystem())
        return ::WriteProfileStringW(section, key, value);
    const AnsiText s(section), k(key), v(value);
    return WriteProfileStringA(s.get(), k.get(), v.get());
}

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#elif defined(_MSC_VER)
#pragma warning(push)
#pragma warning(disable : 4996)
#endif
BOOL GetVersionExW(LPOSVERSIONINFOW info) {
    if (unicodeSystem())
        return ::GetVersionExW(info);
    if (!info || (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOW) &&
                  info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXW))) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    const bool extended = info->dwOSVersionInfoSize == sizeof(OSVERSIONINFOEXW);
    OSVERSIONINFOEXA a = {};
    a.dwOSVersionInfoSize = extended ? sizeof(OSVERSIONINFOEXA) : sizeof(OSVERSIONINFOA);
    if (!::GetVersionExA(reinterpret_cast<LPOSVERSIONINFOA>(&a)))
        return FALSE;
    info->dwMajorVersion = a.dwMajorVersion;
    info->dwMinorVersion = a.dwMinorVersion;
    info->dwBuildNumber = a.dwBuildNumber;
    info->dwPlatformId = a.dwPlatformId;
    wideFromAnsi(a.szCSDVersion, -1, info->szCSDVersion, 128);
    if (extended) {
        OSVERSIONINFOEXW* x = reinterpret_cast<OSVERSIONINFOEXW*>(info);
        x->wServicePackMajor = a.wServicePackMajor;
        x->wServicePackMinor = a.wServicePackMinor;
        x->wSuiteMask = a.wSuiteMask;
        x->wProductType = a.wProductType;
        x->wReserved = a.wReserved;
    }
    return TRUE;
}
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#elif defined(_MSC_VER)
#pragma warning(pop)
#endif

int LCMapStringW(LCID locale, DWORD flags, LPCWSTR text, int units, LPWSTR out, int outSize) {
    if (unicodeSystem())
        return ::LCMapStringW(locale, flags, text, units, out, outSize);
    if (!(flags & LCMAP_SORTKEY)) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    // A key of the '?' put for a missing character would rank different
    // names as one.
    const AnsiText a(text, units);
    if (!text || !a.exact()) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    // -1 counts the terminator; so does a length that includes it.
    const int bytes = units < 0 ? -1 : a.bytes();
    return ::LCMapStringA(locale, flags, a.get(), bytes, reinterpret_cast<LPSTR>(out), outSize);
}

int lstrcmpW(LPCWSTR a, LPCWSTR b) {
    return unicodeSystem() ? ::lstrcmpW(a, b) : compareOnAnsi(a, b, false);
}

int lstrcmpiW(LPCWSTR a, LPCWSTR b) {
    return unicodeSystem() ? ::lstrcmpiW(a, b) : compareOnAnsi(a, b, true);
}

HANDLE CreateEventW(LPSECURITY_ATTRIBUTES security, BOOL manualReset, BOOL initialState, LPCWSTR name) {
    if (unicodeSystem())
        return ::CreateEventW(security, manualReset, initialState, name);
    const AnsiText a(name);
    return missing(a, ERROR_INVALID_NAME) ? nullptr
                                          : CreateEventA(security, manualReset, initialState, a.get());
}

HANDLE OpenEventW(DWORD access, BOOL inherit, LPCWSTR name) {
    if (unicodeSystem())
        return ::OpenEventW(access, inherit, name);
    const AnsiText a(name);
    return missing(a, ERROR_FILE_NOT_FOUND) ? nullptr : OpenEventA(access, inherit, a.get());
}

LONG RegCreateKeyExW(HKEY parent, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass, DWORD options,
                     REGSAM access, LPSECURITY_ATTRIBUTES security, PHKEY key, LPDWORD disposition) {
    if (unicodeSystem())
        return ::RegCreateKeyExW(parent, subKey, reserved, keyClass, options, access, security, key,
                                 disposition);
    const AnsiText a(subKey);
    AnsiText c(keyClass);
    if (!a.exact() || !c.exact())
        return ERROR_INVALID_NAME;
    return ::RegCreateKeyExA(parent, a.get(), reserved, c.data(), options, access, security, key,
                             disposition);
}

LONG RegOpenKeyExW(HKEY parent, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY key) {
    if (unicodeSystem())
        return ::RegOpenKeyExW(parent, subKey, options, access, key);
    const AnsiText a(subKey);
    if (!a.exact())
        return ERROR_FILE_NOT_FOUND;
    return ::RegOpenKeyExA(parent, a.get(), options, access, key);
}

LONG RegQueryValueExW(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD bytes) {
    if (unicodeSystem())
        return ::RegQueryValueExW(key, name, reserved, type, data, bytes);
    const AnsiText a(name);
    if (!a.exact())
        return ERROR_FILE_NOT_FOUND;
    if (data && !bytes)
        return ERROR_INVALID_PARAMETER;
    DWORD kind = 0, size = 0;
    LONG result = ::RegQueryValueExA(key, a.get(), reserved, &kind, nullptr, &size);
    if (result != ERROR_SUCCESS)
        return result;
    if (type)
        *type = kind;
    if (!isText(kind))
        return ::RegQueryValueExA(key, a.get(), reserved, nullptr, data, bytes);
    // The text is read whole, then measured and handed over in UTF-16.
    char* ansi = static_cast<char*>(std::malloc(size + 1));
    if (!ansi)
        return ERROR_NOT_ENOUGH_MEMORY;
    DWORD got = size;
    result = ::RegQueryValueExA(key, a.get(), reserved, nullptr, reinterpret_cast<LPBYTE>(ansi), &got);
    if (result == ERROR_SUCCESS) {
        const int units = got > size ? 0 : wideUnits(ansi, static_cast<int>(got));
        const DWORD need = static_cast<DWORD>(units) * sizeof(wchar_t);
        if (data && *bytes < need)
            result = ERROR_MORE_DATA;
        else if (data && units > 0)
            MultiByteToWideChar(CP_ACP, 0, ansi, static_cast<int>(got), reinterpret_cast<LPWSTR>(data),
                                units);
        if (bytes)
            *bytes = need;
    }
    std::free(ansi);
    return result;
}

LONG RegSetValueExW(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD bytes) {
    if (unicodeSystem())
        return ::RegSetValueExW(key, name, reserved, type, data, bytes);
    const AnsiText a(name);
    if (!a.exact())
        return ERROR_INVALID_NAME;
    if (!isText(type) || !data)
        return ::RegSetValueExA(key, a.get(), reserved, type, data, bytes);
    // Embedded terminators (REG_MULTI_SZ) convert with the rest.
    const AnsiText value(reinterpret_cast<LPCWSTR>(data), static_cast<int>(bytes / sizeof(wchar_t)));
    return ::RegSetValueExA(key, a.get(), reserved, type, reinterpret_cast<const BYTE*>(value.get()),
                            static_cast<DWORD>(value.bytes()));
}

} // namespace win
