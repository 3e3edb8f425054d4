#include "platform/win_messages.h"

#include <cderr.h>
#include <commctrl.h>

#include <cstdlib>
#include <cstring>

#include "platform/win_layer.h"

namespace win {

namespace {

// An ANSI text's length in UTF-16 units.
int unitsOfAnsi(const char* text, int bytes) {
    if (!text || bytes <= 0)
        return 0;
    const int units = MultiByteToWideChar(CP_ACP, 0, text, bytes, nullptr, 0);
    return units > 0 ? units : 0;
}

// A buffer of bytes + 1 zeroed bytes; freed with the object.
class AnsiBuffer {
  public:
    explicit AnsiBuffer(size_t bytes) : data_(static_cast<char*>(std::calloc(bytes + 1, 1))), size_(bytes) {}
    ~AnsiBuffer() { std::free(data_); }
    AnsiBuffer(const AnsiBuffer&) = delete;
    AnsiBuffer& operator=(const AnsiBuffer&) = delete;
    char* get() const { return data_; }
    size_t size() const { return size_; }

  private:
    char* data_;
    size_t size_;
};

// A list or combo box that keeps item data, not strings, in its items.
bool keepsItemData(HWND box, bool comboBox) {
    const LONG style = GetWindowLongA(box, GWL_STYLE);
    if (comboBox)
        return (style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) && !(style & CBS_HASSTRINGS);
    return (style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) && !(style & LBS_HASSTRINGS);
}

// An item's text read with the ANSI pair of length and text messages; the
// caller's buffer receives it whole (the W contract: the buffer holds the
// length the length message reported). Returns units, or the error value.
LRESULT readItemText(HWND box, UINT lengthMessage, UINT textMessage, WPARAM index, wchar_t* out) {
    const LRESULT bytes = ::SendMessageA(box, lengthMessage, index, 0);
    if (bytes < 0)
        return bytes;
    AnsiBuffer text(static_cast<size_t>(bytes) + 1);
    if (!text.get())
        return -1; // LB_ERR, CB_ERR
    const LRESULT got = ::SendMessageA(box, textMessage, index, reinterpret_cast<LPARAM>(text.get()));
    if (got < 0)
        return got;
    if (!out)
        return unitsOfAnsi(text.get(), static_cast<int>(got));
    const int units = unitsOfAnsi(text.get(), static_cast<int>(got));
    return wideFromAnsi(text.get(), static_cast<int>(got), out, units + 1);
}

LRESULT itemTextLength(HWND box, UINT lengthMessage, UINT textMessage, WPARAM index) {
    return readItemText(box, lengthMessage, textMessage, index, nullptr);
}

// The window's whole text in units; with out, also the text, cut to units.
int windowText(HWND window, wchar_t* out, int units) {
    const LRESULT length = ::SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
    AnsiBuffer text(length > 0 ? static_cast<size_t>(length) + 1 : 1);
    if (!text.get()) {
        if (out)
            out[0] = 0;
        return 0;
    }
    const int bytes = static_cast<int>(
        ::SendMessageA(window, WM_GETTEXT, static_cast<WPARAM>(text.size()), reinterpret_cast<LPARAM>(text.get())));
    return out ? wideFromAnsi(text.get(), bytes, out, units) : unitsOfAnsi(text.get(), bytes);
}

LRESULT sendTextIn(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const AnsiText text(reinterpret_cast<const wchar_t*>(lParam));
    return ::SendMessageA(window, message, wParam, reinterpret_cast<LPARAM>(text.get()));
}

// TCITEMW and TCITEMA differ only in the type of pszText.
LRESULT sendTabItem(HWND tabs, UINT message, WPARAM wParam, LPARAM lParam) {
    TCITEMW* wide = reinterpret_cast<TCITEMW*>(lParam);
    if (!wide)
        return ::SendMessageA(tabs, message, wParam, lParam);
    TCITEMA item;
    static_assert(sizeof item == sizeof *wide);
    std::memcpy(&item, wide, sizeof item);
    const bool text = (wide->mask & TCIF_TEXT) != 0;
    if (message == TCM_GETITEMA) {
        const int units = wide->cchTextMax > 0 ? wide->cchTextMax : 0;
        // A double-byte code page needs up to two bytes a unit.
        AnsiBuffer buffer(static_cast<size_t>(units) * 2);
        if (text && !buffer.get())
            return FALSE;
        item.pszText = text ? buffer.get() : nullptr;
        item.cchTextMax = static_cast<int>(buffer.size());
        const LRESULT result = ::SendMessageA(tabs, message, wParam, reinterpret_cast<LPARAM>(&item));
        LPWSTR out = wide->pszText;
        std::memcpy(wide, &item, sizeof item);
        wide->pszText = out;
        wide->cchTextMax = units;
        // The control may answer with a pointer to its own text.
        if (result && text && out && units > 0)
            wideFromAnsi(item.pszText, -1, out, units);
        return result;
    }
    const AnsiText converted(text && wide->pszText != LPSTR_TEXTCALLBACKW ? wide->pszText : nullptr);
    if (text)
        item.pszText = wide->pszText == LPSTR_TEXTCALLBACKW ? LPSTR_TEXTCALLBACKA : const_cast<char*>(converted.get());
    return ::SendMessageA(tabs, message, wParam, reinterpret_cast<LPARAM>(&item));
}

// TOOLINFOW and TOOLINFOA differ only in the type of lpszText; the record's
// size (the first version's 40 bytes, or a later one) is kept.
LRESULT sendTool(HWND tooltip, UINT message, WPARAM wParam, LPARAM lParam) {
    const TOOLINFOW* wide = reinterpret_cast<const TOOLINFOW*>(lParam);
    if (!wide)
        return ::SendMessageA(tooltip, message, wParam, lParam);
    TOOLINFOA tool = {};
    static_assert(sizeof(TOOLINFOA) == sizeof(TOOLINFOW));
    const size_t size = wide->cbSize <= sizeof tool ? wide->cbSize : sizeof tool;
    std::memcpy(&tool, wide, size);
    const bool callback = wide->lpszText == LPSTR_TEXTCALLBACKW;
    const AnsiText text(callback ? nullptr : wide->lpszText);
    tool.lpszText = callback ? LPSTR_TEXTCALLBACKA : const_cast<char*>(text.get());
    return ::SendMessageA(tooltip, message, wParam, reinterpret_cast<LPARAM>(&tool));
}

LRESULT sendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETTEXT:
    case EM_REPLACESEL:
        return sendTextIn(window, message, wParam, lParam);
    case WM_GETTEXT:
        if (!lParam || static_cast<int>(wParam) <= 0)
            return 0;
        return windowText(window, reinterpret_cast<wchar_t*>(lParam), static_cast<int>(wParam));
    case WM_GETTEXTLENGTH: return windowText(window, nullptr, 0);
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
    case LB_FINDSTRING:
    case LB_FINDSTRINGEXACT:
    case LB_SELECTSTRING:
    case LB_DIR:
        if (keepsItemData(window, false))
            break;
        return sendTextIn(window, message, wParam, lParam);
    case LB_GETTEXT:
        if (keepsItemData(window, false))
            break;
        return readItemText(window, LB_GETTEXTLEN, LB_GETTEXT, wParam, reinterpret_cast<wchar_t*>(lParam));
    case LB_GETTEXTLEN:
        if (keepsItemData(window, false))
            break;
        return itemTextLength(window, LB_GETTEXTLEN, LB_GETTEXT, wParam);
    case CB_ADDSTRING:
    case CB_INSERTSTRING:
    case CB_FINDSTRING:
    case CB_FINDSTRINGEXACT:
    case CB_SELECTSTRING:
    case CB_DIR:
        if (keepsItemData(window, true))
            break;
        return sendTextIn(window, message, wParam, lParam);
    case CB_GETLBTEXT:
        if (keepsItemData(window, true))
            break;
        return readItemText(window, CB_GETLBTEXTLEN, CB_GETLBTEXT, wParam, reinterpret_cast<wchar_t*>(lParam));
    case CB_GETLBTEXTLEN:
        if (keepsItemData(window, true))
            break;
        return itemTextLength(window, CB_GETLBTEXTLEN, CB_GETLBTEXT, wParam);
    case TCM_INSERTITEMW: return sendTabItem(window, TCM_INSERTITEMA, wParam, lParam);
    case TCM_SETITEMW: return sendTabItem(window, TCM_SETITEMA, wParam, lParam);
    case TCM_GETITEMW: return sendTabItem(window, TCM_GETITEMA, wParam, lParam);
    case TTM_ADDTOOLW: return sendTool(window, TTM_ADDTOOLA, wParam, lParam);
    case TTM_DELTOOLW: return sendTool(window, TTM_DELTOOLA, wParam, lParam);
    case TTM_SETTOOLINFOW: return sendTool(window, TTM_SETTOOLINFOA, wParam, lParam);
    case TTM_NEWTOOLRECTW: return sendTool(window, TTM_NEWTOOLRECTA, wParam, lParam);
    case TTM_UPDATETIPTEXTW: return sendTool(window, TTM_UPDATETIPTEXTA, wParam, lParam);
    case TTM_SETTITLEW: return sendTextIn(window, TTM_SETTITLEA, wParam, lParam);
    default: break;
    }
    return ::SendMessageA(window, message, wParam, lParam);
}

} // namespace

LRESULT WINAPI SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (unicodeSystem())
        return ::SendMessageW(window, message, wParam, lParam);
    return sendMessageA(window, message, wParam, lParam);
}

LRESULT WINAPI SendDlgItemMessageW(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
    if (unicodeSystem())
        return ::SendDlgItemMessageW(dialog, id, message, wParam, lParam);
    HWND item = GetDlgItem(dialog, id);
    return item ? sendMessageA(item, message, wParam, lParam) : 0;
}

BOOL WINAPI PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (unicodeSystem())
        return ::PostMessageW(window, message, wParam, lParam);
    return ::PostMessageA(window, message, wParam, lParam);
}

// ---- the file dialogs

namespace {

// The ANSI form of a list of texts each terminated, ended by an empty one
// ("Pictures\0*.jpg\0\0").
class AnsiList {
  public:
    explicit AnsiList(const wchar_t* list) {
        if (!list)
            return;
        int units = 0;
        while (list[units])
            units += lstrlenW(list + units) + 1;
        ++units; // the closing terminator
        const int bytes = WideCharToMultiByte(CP_ACP, 0, list, units, nullptr, 0, nullptr, nullptr);
        data_ = static_cast<char*>(std::calloc(static_cast<size_t>(bytes > 0 ? bytes : 0) + 2, 1));
        if (data_ && bytes > 0)
            WideCharToMultiByte(CP_ACP, 0, list, units, data_, bytes, nullptr, nullptr);
    }
    ~AnsiList() { std::free(data_); }
    AnsiList(const AnsiList&) = delete;
    AnsiList& operator=(const AnsiList&) = delete;
    const char* get() const { return data_; }

  private:
    char* data_ = nullptr;
};

// The dialog being shown (dialogs are modal: one a thread at a time).
struct FileDialogCall {
    OPENFILENAMEW* wide;
    LPOFNHOOKPROC hook;
};
FileDialogCall* g_fileDialog = nullptr;

UINT_PTR CALLBACK fileDialogHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    FileDialogCall* call = g_fileDialog;
    if (!call || !call->hook)
        return 0;
    if (message == WM_INITDIALOG)
        lParam = reinterpret_cast<LPARAM>(call->wide);
    return call->hook(dialog, message, wParam, lParam);
}

// Units of the ANSI text before byte offset.
WORD unitsBefore(const char* text, WORD offset) {
    return offset ? static_cast<WORD>(unitsOfAnsi(text, offset)) : 0;
}

BOOL fileDialogA(OPENFILENAMEW* wide, bool save) {
    if (!wide || !wide->lpstrFile || wide->nMaxFile == 0)
        return save ? ::GetSaveFileNameA(nullptr) : ::GetOpenFileNameA(nullptr);
    const AnsiList filter(wide->lpstrFilter);
    const AnsiText initialDir(wide->lpstrInitialDir), title(wide->lpstrTitle), defaultExtension(wide->lpstrDefExt),
        templateName(wide->lpTemplateName);
    // As many bytes as the caller has units: whatever fits comes back
    // whole, since a text never has more units than bytes.
    AnsiBuffer file(wide->nMaxFile);
    AnsiBuffer fileTitle(wide->lpstrFileTitle ? wide->nMaxFileTitle : 0);
    if (!file.get() || !fileTitle.get()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    if (wide->lpstrFile[0])
        WideCharToMultiByte(CP_ACP, 0, wide->lpstrFile, -1, file.get(), static_cast<int>(file.size()), nullptr,
                            nullptr);
    file.get()[file.size() - 1] = 0;

    OPENFILENAMEA a = {};
    a.lStructSize = wide->lStructSize <= sizeof a ? wide->lStructSize : sizeof a;
    a.hwndOwner = wide->hwndOwner;
    a.hInstance = wide->hInstance;
    a.lpstrFilter = filter.get();
    a.nFilterIndex = wide->nFilterIndex;
    a.lpstrFile = file.get();
    a.nMaxFile = static_cast<DWORD>(file.size());
    a.lpstrFileTitle = wide->lpstrFileTitle ? fileTitle.get() : nullptr;
    a.nMaxFileTitle = wide->lpstrFileTitle ? static_cast<DWORD>(fileTitle.size()) : 0;
    a.lpstrInitialDir = initialDir.get();
    a.lpstrTitle = title.get();
    a.Flags = wide->Flags;
    a.lpstrDefExt = defaultExtension.get();
    a.lCustData = wide->lCustData;
    a.lpTemplateName = templateName.get();
    FileDialogCall call = {wide, wide->lpfnHook};
    FileDialogCall* outer = g_fileDialog;
    if ((wide->Flags & OFN_ENABLEHOOK) && wide->lpfnHook) {
        a.lpfnHook = fileDialogHook;
        g_fileDialog = &call;
    }
    const BOOL chosen = save ? ::GetSaveFileNameA(&a) : ::GetOpenFileNameA(&a);
    g_fileDialog = outer;
    wide->nFilterIndex = a.nFilterIndex;
    wide->Flags = a.Flags;
    if (!chosen) {
        // Too small a buffer: its first unit says how much would do (bytes
        // are never fewer than units).
        if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL && wide->nMaxFile >= 1) {
            WORD needed = 0;
            std::memcpy(&needed, file.get(), sizeof needed);
            wide->lpstrFile[0] = static_cast<wchar_t>(needed);
        }
        return FALSE;
    }
    // One path, or "folder\0name\0name\0\0" (the offset of the first name
    // past the folder's terminator): convert up to the empty text.
    const char* text = file.get();
    size_t end = std::strlen(text) + 1;
    if (a.nFileOffset >= end) {
        while (end < file.size() && text[end])
            end += std::strlen(text + end) + 1;
        ++end;
    }
    const int bytes = static_cast<int>(end < file.size() ? end : file.size());
    const int units = MultiByteToWideChar(CP_ACP, 0, text, bytes, wide->lpstrFile, static_cast<int>(wide->nMaxFile));
    if (units <= 0) {
        wide->lpstrFile[0] = 0;
        return FALSE;
    }
    wide->nFileOffset = unitsBefore(text, a.nFileOffset);
    wide->nFileExtension = unitsBefore(text, a.nFileExtension);
    if (wide->lpstrFileTitle && wide->nMaxFileTitle > 0)
        wideFromAnsi(fileTitle.get(), -1, wide->lpstrFileTitle, static_cast<int>(wide->nMaxFileTitle));
    return TRUE;
}

} // namespace

// The W forms of the dialogs and of the shell are looked up, not imported:
// the comdlg32 and shell32 of Windows 95 lack some of them (Shell_NotifyIconW),
// and a program that imported one would not start there.
BOOL WINAPI GetOpenFileNameW(OPENFILENAMEW* record) {
    static const auto wide = systemFunction<decltype(&::GetOpenFileNameW)>("comdlg32.dll", "GetOpenFileNameW");
    return unicodeSystem() && wide ? wide(record) : fileDialogA(record, false);
}

BOOL WINAPI GetSaveFileNameW(OPENFILENAMEW* record) {
    static const auto wide = systemFunction<decltype(&::GetSaveFileNameW)>("comdlg32.dll", "GetSaveFileNameW");
    return unicodeSystem() && wide ? wide(record) : fileDialogA(record, true);
}

BOOL WINAPI ChooseColorW(CHOOSECOLORW* record) {
    static const auto wide = systemFunction<decltype(&::ChooseColorW)>("comdlg32.dll", "ChooseColorW");
    if (unicodeSystem() && wide)
        return wide(record);
    if (!record)
        return FALSE;
    // Only the template's name is text.
    const AnsiText templateName(record->lpTemplateName);
    CHOOSECOLORA a = {};
    a.lStructSize = sizeof a;
    a.hwndOwner = record->hwndOwner;
    a.hInstance = record->hInstance;
    a.rgbResult = record->rgbResult;
    a.lpCustColors = record->lpCustColors;
    a.Flags = record->Flags;
    a.lCustData = record->lCustData;
    a.lpfnHook = record->lpfnHook;
    a.lpTemplateName = templateName.get();
    const BOOL chosen = ::ChooseColorA(&a);
    record->rgbResult = a.rgbResult;
    record->Flags = a.Flags;
    return chosen;
}

// ---- the shell

BOOL WINAPI Shell_NotifyIconW(DWORD action, NOTIFYICONDATAW* record) {
    static const auto wide = systemFunction<decltype(&::Shell_NotifyIconW)>("shell32.dll", "Shell_NotifyIconW");
    if (unicodeSystem() && wide)
        return wide(action, record);
    if (!record)
        return FALSE;
    NOTIFYICONDATAA a = {};
    a.cbSize = NOTIFYICONDATAA_V1_SIZE;
    a.hWnd = record->hWnd;
    a.uID = record->uID;
    a.uFlags = record->uFlags & (NIF_MESSAGE | NIF_ICON | NIF_TIP);
    a.uCallbackMessage = record->uCallbackMessage;
    a.hIcon = record->hIcon;
    if (a.uFlags & NIF_TIP) {
        // As many whole characters as 63 bytes hold.
        const int tipUnits = static_cast<int>(sizeof record->szTip / sizeof record->szTip[0]);
        int units = 0;
        while (units < tipUnits && record->szTip[units])
            ++units;
        for (; units > 0; --units) {
            const int bytes = WideCharToMultiByte(CP_ACP, 0, record->szTip, units, a.szTip,
                                                  static_cast<int>(sizeof a.szTip) - 1, nullptr, nullptr);
            if (bytes > 0) {
                a.szTip[bytes] = 0;
                break;
            }
        }
    }
    return ::Shell_NotifyIconA(action, &a);
}

UINT WINAPI DragQueryFileW(HDROP drop, UINT index, LPWSTR name, UINT units) {
    static const auto wide = systemFunction<decltype(&::DragQueryFileW)>("shell32.dll", "DragQueryFileW");
    if (unicodeSystem() && wide)
        return wide(drop, index, name, units);
    if (index == 0xFFFFFFFF)
        return ::DragQueryFileA(drop, index, nullptr, 0);
    const UINT bytes = ::DragQueryFileA(drop, index, nullptr, 0);
    AnsiBuffer text(bytes + 1);
    if (!text.get() || (bytes > 0 && ::DragQueryFileA(drop, index, text.get(), bytes + 1) == 0)) {
        if (name && units > 0)
            name[0] = 0;
        return 0;
    }
    if (!name || units == 0)
        return static_cast<UINT>(unitsOfAnsi(text.get(), static_cast<int>(bytes)));
    return static_cast<UINT>(wideFromAnsi(text.get(), static_cast<int>(bytes), name, static_cast<int>(units)));
}

HINSTANCE WINAPI ShellExecuteW(HWND owner, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters, LPCWSTR folder,
                        INT show) {
    static const auto wide = systemFunction<decltype(&::ShellExecuteW)>("shell32.dll", "ShellExecuteW");
    if (unicodeSystem() && wide)
        return wide(owner, operation, file, parameters, folder, show);
    const AnsiText a(operation), f(file), p(parameters), d(folder);
    return ::ShellExecuteA(owner, a.get(), f.get(), p.get(), d.get(), show);
}

} // namespace win
