#include "platform/win_windows.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "platform/win_layer.h"

namespace win {

namespace {

// Bytes for an ANSI text: on the stack when small, else on the heap.
class ByteBuffer {
  public:
    ByteBuffer() = default;
    ~ByteBuffer() { release(); }
    ByteBuffer(const ByteBuffer&) = delete;
    ByteBuffer& operator=(const ByteBuffer&) = delete;
    // False when the memory is not there.
    bool allocate(size_t bytes) {
        release();
        data_ = bytes <= sizeof small_ ? small_ : static_cast<char*>(std::malloc(bytes));
        if (data_)
            data_[0] = 0;
        return data_ != nullptr;
    }
    char* get() { return data_; }

  private:
    void release() {
        if (data_ != small_)
            std::free(data_);
        data_ = small_;
        small_[0] = 0;
    }

    char small_[520];
    char* data_ = small_;
};

// The size of MENUITEMINFO before hbmpItem: all that Windows 95 and NT 4
// accept, and enough for everything but MIIM_BITMAP.
constexpr UINT kOldMenuItemInfoSize = offsetof(MENUITEMINFOW, hbmpItem);
static_assert(offsetof(MENUITEMINFOA, hbmpItem) == offsetof(MENUITEMINFOW, hbmpItem));

UINT menuItemInfoSize(UINT mask) {
    return (mask & MIIM_BITMAP) ? sizeof(MENUITEMINFOW) : kOldMenuItemInfoSize;
}

// Whether a MENUITEMINFO's dwTypeData is a text.
bool menuItemHasText(UINT mask, UINT type) {
    if (mask & MIIM_STRING)
        return true;
    return (mask & MIIM_TYPE) && !(type & (MFT_BITMAP | MFT_SEPARATOR | MFT_OWNERDRAW));
}

void copyMenuItemFields(const MENUITEMINFOW& from, MENUITEMINFOA* to) {
    to->fMask = from.fMask;
    to->fType = from.fType;
    to->fState = from.fState;
    to->wID = from.wID;
    to->hSubMenu = from.hSubMenu;
    to->hbmpChecked = from.hbmpChecked;
    to->hbmpUnchecked = from.hbmpUnchecked;
    to->dwItemData = from.dwItemData;
    to->dwTypeData = reinterpret_cast<LPSTR>(from.dwTypeData);
    to->cch = from.cch;
    to->hbmpItem = from.hbmpItem;
}

void copyMenuItemFields(const MENUITEMINFOA& from, MENUITEMINFOW* to) {
    to->fType = from.fType;
    to->fState = from.fState;
    to->wID = from.wID;
    to->hSubMenu = from.hSubMenu;
    to->hbmpChecked = from.hbmpChecked;
    to->hbmpUnchecked = from.hbmpUnchecked;
    to->dwItemData = from.dwItemData;
    to->dwTypeData = reinterpret_cast<LPWSTR>(from.dwTypeData);
    to->cch = from.cch;
    if (from.fMask & MIIM_BITMAP)
        to->hbmpItem = from.hbmpItem;
}

// The fields before the face name are the same in both forms.
static_assert(offsetof(LOGFONTA, lfFaceName) == offsetof(LOGFONTW, lfFaceName));

void wideFont(const LOGFONTA& from, LOGFONTW* to) {
    std::memcpy(to, &from, offsetof(LOGFONTA, lfFaceName));
    wideFromAnsi(from.lfFaceName, static_cast<int>(strnlen(from.lfFaceName, LF_FACESIZE)), to->lfFaceName,
                 LF_FACESIZE);
}

void ansiFont(const LOGFONTW& from, LOGFONTA* to) {
    std::memcpy(to, &from, offsetof(LOGFONTW, lfFaceName));
    const AnsiText face(from.lfFaceName, static_cast<int>(wcsnlen(from.lfFaceName, LF_FACESIZE)));
    const int bytes = face.bytes() < LF_FACESIZE ? face.bytes() : LF_FACESIZE - 1;
    if (face.get())
        std::memcpy(to->lfFaceName, face.get(), static_cast<size_t>(bytes));
    to->lfFaceName[bytes] = 0;
}

// The non-client metrics in either direction: numbers copied, fonts converted.
template <typename From, typename To, typename ConvertFont>
void copyMetrics(const From& from, To* to, ConvertFont convertFont) {
    to->iBorderWidth = from.iBorderWidth;
    to->iScrollWidth = from.iScrollWidth;
    to->iScrollHeight = from.iScrollHeight;
    to->iCaptionWidth = from.iCaptionWidth;
    to->iCaptionHeight = from.iCaptionHeight;
    convertFont(from.lfCaptionFont, &to->lfCaptionFont);
    to->iSmCaptionWidth = from.iSmCaptionWidth;
    to->iSmCaptionHeight = from.iSmCaptionHeight;
    convertFont(from.lfSmCaptionFont, &to->lfSmCaptionFont);
    to->iMenuWidth = from.iMenuWidth;
    to->iMenuHeight = from.iMenuHeight;
    convertFont(from.lfMenuFont, &to->lfMenuFont);
    convertFont(from.lfStatusFont, &to->lfStatusFont);
    convertFont(from.lfMessageFont, &to->lfMessageFont);
}

// One ANSI character of TEXTMETRICA as its UTF-16 unit; a byte that is no
// character alone (a lead byte) stays its value.
WCHAR wideChar(BYTE c) {
    const char byte = static_cast<char>(c);
    WCHAR unit = 0;
    return MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, &byte, 1, &unit, 1) == 1 ? unit : c;
}

// The ANSI text of a window into text, up to limitBytes bytes (-1: all of
// it). Returns its bytes.
int ansiWindowText(HWND window, ByteBuffer& text, int limitBytes) {
    int length = GetWindowTextLengthA(window);
    if (length <= 0)
        return 0;
    if (limitBytes >= 0 && length > limitBytes)
        length = limitBytes;
    if (!text.allocate(static_cast<size_t>(length) + 2))
        return 0;
    const int got = GetWindowTextA(window, text.get(), length + 1);
    text.get()[got > 0 ? got : 0] = 0;
    return got > 0 ? got : 0;
}

} // namespace

ATOM RegisterClassW(const WNDCLASSW* windowClass) {
    if (unicodeSystem() || !windowClass)
        return ::RegisterClassW(windowClass);
    const AnsiText menu(windowClass->lpszMenuName);
    const AnsiText name(windowClass->lpszClassName);
    WNDCLASSA ansi = {};
    ansi.style = windowClass->style;
    ansi.lpfnWndProc = windowClass->lpfnWndProc;
    ansi.cbClsExtra = windowClass->cbClsExtra;
    ansi.cbWndExtra = windowClass->cbWndExtra;
    ansi.hInstance = windowClass->hInstance;
    ansi.hIcon = windowClass->hIcon;
    ansi.hCursor = windowClass->hCursor;
    ansi.hbrBackground = windowClass->hbrBackground;
    ansi.lpszMenuName = menu.get();
    ansi.lpszClassName = name.get();
    return ::RegisterClassA(&ansi);
}

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID parameter) {
    if (unicodeSystem())
        return ::CreateWindowExW(exStyle, className, windowName, style, x, y, width, height, parent, menu,
                                 instance, parameter);
    const AnsiText cls(className);
    const AnsiText name(windowName);
    return ::CreateWindowExA(exStyle, cls.get(), name.get(), style, x, y, width, height, parent, menu,
                             instance, parameter);
}

LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return unicodeSystem() ? ::DefWindowProcW(window, message, wParam, lParam)
                           : ::DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CallWindowProcW(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return unicodeSystem() ? ::CallWindowProcW(procedure, window, message, wParam, lParam)
                           : ::CallWindowProcA(procedure, window, message, wParam, lParam);
}

HWND CreateDialogParamW(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC procedure,
                        LPARAM init) {
    if (unicodeSystem())
        return ::CreateDialogParamW(instance, templateName, parent, procedure, init);
    const AnsiText name(templateName);
    return ::CreateDialogParamA(instance, name.get(), parent, procedure, init);
}

HWND CreateDialogIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW dialogTemplate, HWND parent,
                                DLGPROC procedure, LPARAM init) {
    if (unicodeSystem())
        return ::CreateDialogIndirectParamW(instance, dialogTemplate, parent, procedure, init);
    return ::CreateDialogIndirectParamA(instance, reinterpret_cast<LPCDLGTEMPLATEA>(dialogTemplate), parent,
                                        procedure, init);
}

INT_PTR DialogBoxParamW(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC procedure,
                        LPARAM init) {
    if (unicodeSystem())
        return ::DialogBoxParamW(instance, templateName, parent, procedure, init);
    const AnsiText name(templateName);
    return ::DialogBoxParamA(instance, name.get(), parent, procedure, init);
}

BOOL GetMessageW(LPMSG msg, HWND window, UINT first, UINT last) {
    return unicodeSystem() ? ::GetMessageW(msg, window, first, last)
                           : ::GetMessageA(msg, window, first, last);
}

BOOL PeekMessageW(LPMSG msg, HWND window, UINT first, UINT last, UINT remove) {
    return unicodeSystem() ? ::PeekMessageW(msg, window, first, last, remove)
                           : ::PeekMessageA(msg, window, first, last, remove);
}

LRESULT DispatchMessageW(const MSG* msg) {
    return unicodeSystem() ? ::DispatchMessageW(msg) : ::DispatchMessageA(msg);
}

BOOL IsDialogMessageW(HWND dialog, LPMSG msg) {
    return unicodeSystem() ? ::IsDialogMessageW(dialog, msg) : ::IsDialogMessageA(dialog, msg);
}

LONG GetWindowLongW(HWND window, int index) {
    return unicodeSystem() ? ::GetWindowLongW(window, index) : ::GetWindowLongA(window, index);
}

LONG SetWindowLongW(HWND window, int index, LONG value) {
    return unicodeSystem() ? ::SetWindowLongW(window, index, value) : ::SetWindowLongA(window, index, value);
}

DWORD SetClassLongW(HWND window, int index, LONG value) {
    return unicodeSystem() ? ::SetClassLongW(window, index, value) : ::SetClassLongA(window, index, value);
}

#ifdef _WIN64
LONG_PTR GetWindowLongPtrW(HWND window, int index) {
    return unicodeSystem() ? ::GetWindowLongPtrW(window, index) : ::GetWindowLongPtrA(window, index);
}

LONG_PTR SetWindowLongPtrW(HWND window, int index, LONG_PTR value) {
    return unicodeSystem() ? ::SetWindowLongPtrW(window, index, value)
                           : ::SetWindowLongPtrA(window, index, value);
}

ULONG_PTR SetClassLongPtrW(HWND window, int index, LONG_PTR value) {
    return unicodeSystem() ? ::SetClassLongPtrW(window, index, value)
                           : ::SetClassLongPtrA(window, index, value);
}
#endif

BOOL SetWindowTextW(HWND window, LPCWSTR text) {
    if (unicodeSystem())
        return ::SetWindowTextW(window, text);
    const AnsiText ansi(text);
    return ::SetWindowTextA(window, ansi.get());
}

int GetWindowTextW(HWND window, LPWSTR text, int units) {
    if (unicodeSystem())
        return ::GetWindowTextW(window, text, units);
    if (!text || units <= 0)
        return 0;
    text[0] = 0;
    // A character takes at most two bytes: twice the units hold more than
    // fits, and what a cut in the middle of a character spoils is cut off.
    ByteBuffer ansi;
    const int bytes = ansiWindowText(window, ansi, units * 2);
    return bytes > 0 ? wideFromAnsi(ansi.get(), bytes, text, units) : 0;
}

int GetWindowTextLengthW(HWND window) {
    if (unicodeSystem())
        return ::GetWindowTextLengthW(window);
    ByteBuffer ansi;
    const int bytes = ansiWindowText(window, ansi, -1);
    return bytes > 0 ? MultiByteToWideChar(CP_ACP, 0, ansi.get(), bytes, nullptr, 0) : 0;
}

BOOL SetDlgItemTextW(HWND dialog, int id, LPCWSTR text) {
    if (unicodeSystem())
        return ::SetDlgItemTextW(dialog, id, text);
    const AnsiText ansi(text);
    return ::SetDlgItemTextA(dialog, id, ansi.get());
}

UINT GetDlgItemTextW(HWND dialog, int id, LPWSTR text, int units) {
    if (unicodeSystem())
        return ::GetDlgItemTextW(dialog, id, text, units);
    if (!text || units <= 0)
        return 0;
    text[0] = 0;
    HWND control = GetDlgItem(dialog, id);
    return control ? static_cast<UINT>(win::GetWindowTextW(control, text, units)) : 0;
}

HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name) {
    if (unicodeSystem())
        return ::LoadCursorW(instance, name);
    const AnsiText ansi(name);
    return ::LoadCursorA(instance, ansi.get());
}

HICON LoadIconW(HINSTANCE instance, LPCWSTR name) {
    if (unicodeSystem())
        return ::LoadIconW(instance, name);
    const AnsiText ansi(name);
    return ::LoadIconA(instance, ansi.get());
}

HANDLE LoadImageW(HINSTANCE instance, LPCWSTR name, UINT type, int width, int height, UINT flags) {
    if (unicodeSystem())
        return ::LoadImageW(instance, name, type, width, height, flags);
    const AnsiText ansi(name);
    if ((flags & LR_LOADFROMFILE) && !ansi.exact()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    return ::LoadImageA(instance, ansi.get(), type, width, height, flags);
}

HMENU LoadMenuW(HINSTANCE instance, LPCWSTR name) {
    if (unicodeSystem())
        return ::LoadMenuW(instance, name);
    const AnsiText ansi(name);
    return ::LoadMenuA(instance, ansi.get());
}

BOOL GetMenuItemInfoW(HMENU menu, UINT item, BOOL byPosition, LPMENUITEMINFOW info) {
    if (!info) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (unicodeSystem()) {
        MENUITEMINFOW asked = *info;
        asked.cbSize = menuItemInfoSize(info->fMask);
        if (!::GetMenuItemInfoW(menu, item, byPosition, &asked))
            return FALSE;
        asked.cbSize = info->cbSize;
        if (!(info->fMask & MIIM_BITMAP))
            asked.hbmpItem = info->hbmpItem;
        *info = asked;
        return TRUE;
    }
    MENUITEMINFOA ansi = {};
    copyMenuItemFields(*info, &ansi);
    ansi.cbSize = menuItemInfoSize(info->fMask);
    LPWSTR wanted = info->dwTypeData;
    const int units = static_cast<int>(info->cch);
    ByteBuffer bytes;
    const bool textAsked = (info->fMask & (MIIM_TYPE | MIIM_STRING)) != 0;
    // Two bytes a unit hold more than the caller can take; what a cut in
    // the middle of a character spoils is cut off again below.
    const int size = wanted && units > 0 ? units * 2 + 2 : 0;
    if (textAsked) {
        if (!bytes.allocate(static_cast<size_t>(size) + 1)) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return FALSE;
        }
        ansi.dwTypeData = size > 0 ? bytes.get() : nullptr;
        ansi.cch = static_cast<UINT>(size);
    }
    if (!::GetMenuItemInfoA(menu, item, byPosition, &ansi))
        return FALSE;
    if (!textAsked || !menuItemHasText(info->fMask, ansi.fType)) {
        copyMenuItemFields(ansi, info);
        return TRUE;
    }
    if (!wanted || units <= 0) {
        // Only the length is asked for: it is known in units once the
        // text is read.
        const UINT length = ansi.cch;
        if (!bytes.allocate(static_cast<size_t>(length) + 2)) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return FALSE;
        }
        MENUITEMINFOA text = {};
        text.cbSize = kOldMenuItemInfoSize;
        text.fMask = MIIM_TYPE;
        text.dwTypeData = bytes.get();
        text.cch = length + 1;
        if (length > 0 && !::GetMenuItemInfoA(menu, item, byPosition, &text))
            return FALSE;
        bytes.get()[length] = 0;
    } else {
        bytes.get()[size] = 0;
    }
    const int length = lstrlenA(bytes.get());
    copyMenuItemFields(ansi, info);
    info->dwTypeData = wanted;
    if (wanted && units > 0)
        info->cch = static_cast<UINT>(wideFromAnsi(bytes.get(), length, wanted, units));
    else
        info->cch = length > 0
                        ? static_cast<UINT>(MultiByteToWideChar(CP_ACP, 0, bytes.get(), length, nullptr, 0))
                        : 0;
    return TRUE;
}

BOOL SetMenuItemInfoW(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFOW info) {
    if (!info) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (unicodeSystem()) {
        MENUITEMINFOW given = *info;
        given.cbSize = menuItemInfoSize(info->fMask);
        return ::SetMenuItemInfoW(menu, item, byPosition, &given);
    }
    MENUITEMINFOA ansi = {};
    copyMenuItemFields(*info, &ansi);
    ansi.cbSize = menuItemInfoSize(info->fMask);
    const bool text = menuItemHasText(info->fMask, info->fType);
    const AnsiText converted(text ? info->dwTypeData : nullptr);
    if (text) {
        ansi.dwTypeData = const_cast<LPSTR>(converted.get());
        ansi.cch = static_cast<UINT>(converted.bytes());
    }
    return ::SetMenuItemInfoA(menu, item, byPosition, &ansi);
}

int DrawTextW(HDC dc, LPCWSTR text, int units, LPRECT rect, UINT format) {
    if (unicodeSystem())
        return ::DrawTextW(dc, text, units, rect, format);
    const AnsiText ansi(text, units);
    return ::DrawTextA(dc, ansi.get() ? ansi.get() : "", ansi.bytes(), rect, format & ~UINT(DT_MODIFYSTRING));
}

BOOL GetTextMetricsW(HDC dc, LPTEXTMETRICW metrics) {
    if (unicodeSystem())
        return ::GetTextMetricsW(dc, metrics);
    TEXTMETRICA ansi = {};
    if (!metrics || !::GetTextMetricsA(dc, &ansi))
        return FALSE;
    metrics->tmHeight = ansi.tmHeight;
    metrics->tmAscent = ansi.tmAscent;
    metrics->tmDescent = ansi.tmDescent;
    metrics->tmInternalLeading = ansi.tmInternalLeading;
    metrics->tmExternalLeading = ansi.tmExternalLeading;
    metrics->tmAveCharWidth = ansi.tmAveCharWidth;
    metrics->tmMaxCharWidth = ansi.tmMaxCharWidth;
    metrics->tmWeight = ansi.tmWeight;
    metrics->tmOverhang = ansi.tmOverhang;
    metrics->tmDigitizedAspectX = ansi.tmDigitizedAspectX;
    metrics->tmDigitizedAspectY = ansi.tmDigitizedAspectY;
    metrics->tmFirstChar = wideChar(ansi.tmFirstChar);
    metrics->tmLastChar = wideChar(ansi.tmLastChar);
    metrics->tmDefaultChar = wideChar(ansi.tmDefaultChar);
    metrics->tmBreakChar = wideChar(ansi.tmBreakChar);
    metrics->tmItalic = ansi.tmItalic;
    metrics->tmUnderlined = ansi.tmUnderlined;
    metrics->tmStruckOut = ansi.tmStruckOut;
    metrics->tmPitchAndFamily = ansi.tmPitchAndFamily;
    metrics->tmCharSet = ansi.tmCharSet;
    return TRUE;
}

int GetObjectW(HANDLE object, int size, LPVOID buffer) {
    if (unicodeSystem())
        return ::GetObjectW(object, size, buffer);
    if (GetObjectType(object) != OBJ_FONT)
        return ::GetObjectA(object, size, buffer);
    if (!buffer)
        return sizeof(LOGFONTW);
    LOGFONTA ansi = {};
    if (size <= 0 || !::GetObjectA(object, sizeof ansi, &ansi))
        return 0;
    LOGFONTW wide = {};
    wideFont(ansi, &wide);
    const int copied = size < static_cast<int>(sizeof wide) ? size : static_cast<int>(sizeof wide);
    std::memcpy(buffer, &wide, static_cast<size_t>(copied));
    return copied;
}

BOOL SystemParametersInfoW(UINT action, UINT uiParam, PVOID pvParam, UINT winIni) {
    if (unicodeSystem())
        return ::SystemParametersInfoW(action, uiParam, pvParam, winIni);
    switch (action) {
    case SPI_SETDESKWALLPAPER:
    case SPI_SETDESKPATTERN: {
        // The default picture is asked for with -1, not a text.
        if (reinterpret_cast<INT_PTR>(pvParam) == -1)
            return ::SystemParametersInfoA(action, uiParam, pvParam, winIni);
        const AnsiText text(static_cast<const wchar_t*>(pvParam));
        if (!text.exact()) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return FALSE;
        }
        return ::SystemParametersInfoA(action, uiParam, const_cast<char*>(text.get()), winIni);
    }
    case SPI_GETDESKWALLPAPER: {
        if (!pvParam || uiParam == 0)
            return ::SystemParametersInfoA(action, 0, nullptr, winIni);
        char path[MAX_PATH * 2] = {};
        if (!::SystemParametersInfoA(action, sizeof path, path, winIni))
            return FALSE;
        path[sizeof path - 1] = 0;
        wideFromAnsi(path, -1, static_cast<wchar_t*>(pvParam), static_cast<int>(uiParam));
        return TRUE;
    }
    case SPI_GETICONTITLELOGFONT: {
        LOGFONTA ansi = {};
        if (!pvParam || !::SystemParametersInfoA(action, sizeof ansi, &ansi, winIni))
            return FALSE;
        wideFont(ansi, static_cast<LOGFONTW*>(pvParam));
        return TRUE;
    }
    case SPI_SETICONTITLELOGFONT: {
        LOGFONTA ansi = {};
        if (!pvParam)
            return FALSE;
        ansiFont(*static_cast<const LOGFONTW*>(pvParam), &ansi);
        return ::SystemParametersInfoA(action, sizeof ansi, &ansi, winIni);
    }
    case SPI_GETNONCLIENTMETRICS:
    case SPI_SETNONCLIENTMETRICS: {
        NONCLIENTMETRICSW* wide = static_cast<NONCLIENTMETRICSW*>(pvParam);
        if (!wide)
            return FALSE;
        NONCLIENTMETRICSA ansi = {};
        ansi.cbSize = sizeof ansi;
        if (action == SPI_SETNONCLIENTMETRICS)
            copyMetrics(*wide, &ansi, ansiFont);
        if (!::SystemParametersInfoA(action, sizeof ansi, &ansi, winIni))
            return FALSE;
        if (action == SPI_GETNONCLIENTMETRICS)
            copyMetrics(ansi, wide, wideFont);
        return TRUE;
    }
    case SPI_GETICONMETRICS:
    case SPI_SETICONMETRICS: {
        ICONMETRICSW* wide = static_cast<ICONMETRICSW*>(pvParam);
        if (!wide)
            return FALSE;
        ICONMETRICSA ansi = {};
        ansi.cbSize = sizeof ansi;
        ansi.iHorzSpacing = wide->iHorzSpacing;
        ansi.iVertSpacing = wide->iVertSpacing;
        ansi.iTitleWrap = wide->iTitleWrap;
        ansiFont(wide->lfFont, &ansi.lfFont);
        if (!::SystemParametersInfoA(action, sizeof ansi, &ansi, winIni))
            return FALSE;
        if (action == SPI_GETICONMETRICS) {
            wide->iHorzSpacing = ansi.iHorzSpacing;
            wide->iVertSpacing = ansi.iVertSpacing;
            wide->iTitleWrap = ansi.iTitleWrap;
            wideFont(ansi.lfFont, &wide->lfFont);
        }
        return TRUE;
    }
    default:
        return ::SystemParametersInfoA(action, uiParam, pvParam, winIni);
    }
}

HWND FindWindowW(LPCWSTR className, LPCWSTR windowName) {
    return win::FindWindowExW(nullptr, nullptr, className, windowName);
}

HWND FindWindowExW(HWND parent, HWND after, LPCWSTR className, LPCWSTR windowName) {
    if (unicodeSystem())
        return ::FindWindowExW(parent, after, className, windowName);
    const AnsiText cls(className);
    const AnsiText name(windowName);
    if (!cls.exact() || !name.exact())
        return nullptr;
    return ::FindWindowExA(parent, after, cls.get(), name.get());
}

UINT RegisterWindowMessageW(LPCWSTR name) {
    if (unicodeSystem())
        return ::RegisterWindowMessageW(name);
    const AnsiText ansi(name);
    return ::RegisterWindowMessageA(ansi.get());
}

} // namespace win
