// Acts as the user in end-to-end tests: finds message boxes by caption, reads
// their text and presses their buttons; finds the main window; picks items
// from the tray menu; writes collection files. Runs inside the same Wine
// desktop as plochar.exe. Texts are printed as UTF-8, one per line.
//
//   plochar_driver box <caption> <timeout ms> [ok|yes|no]
//   plochar_driver no-box <caption> <ms>         fails if such a box appears
//   plochar_driver window <title prefix> <timeout ms> [visible|hidden]
//   plochar_driver tray-key <title prefix> <letter> <timeout ms>
//   plochar_driver make-collection <file.plk> <picture>...
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "collection/wallpaper_collection.h"

namespace {

void print(const std::wstring& text) {
    char buffer[4096];
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), buffer,
                                sizeof(buffer) - 1, nullptr, nullptr);
    n = n > 0 ? n : 0;
    buffer[n] = '\n';
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), buffer, static_cast<DWORD>(n + 1), &written, nullptr);
}

std::wstring textOf(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

std::wstring classOf(HWND window) {
    wchar_t cls[64] = {};
    GetClassNameW(window, cls, 64);
    return cls;
}

struct Search {
    std::wstring title;
    bool prefix;
    HWND found;
};

BOOL CALLBACK findDialog(HWND window, LPARAM context) {
    auto* s = reinterpret_cast<Search*>(context);
    const std::wstring t = textOf(window);
    const bool match = s->prefix ? t.compare(0, s->title.size(), s->title) == 0 : t == s->title;
    // A message box must be on screen; the main window may be hidden.
    if (classOf(window) == L"#32770" && match && (s->prefix || IsWindowVisible(window))) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND waitForDialog(const std::wstring& title, bool prefix, DWORD timeout) {
    const DWORD start = GetTickCount();
    do {
        Search s{title, prefix, nullptr};
        EnumWindows(findDialog, reinterpret_cast<LPARAM>(&s));
        if (s.found)
            return s.found;
        Sleep(100);
    } while (GetTickCount() - start < timeout);
    return nullptr;
}

// The message text: the static control of the box with the longest text.
BOOL CALLBACK collectText(HWND child, LPARAM context) {
    auto* best = reinterpret_cast<std::wstring*>(context);
    const std::wstring t = textOf(child);
    if (_wcsicmp(classOf(child).c_str(), L"Static") == 0 && t.size() > best->size())
        *best = t;
    return TRUE;
}

int fail(const char* why) {
    std::fprintf(stderr, "%s\n", why);
    return 1;
}

int box(const std::wstring& caption, DWORD timeout, const std::wstring& button) {
    HWND found = waitForDialog(caption, false, timeout);
    if (!found)
        return fail("no box");
    Sleep(200); // let the box finish painting its text
    std::wstring text;
    EnumChildWindows(found, collectText, reinterpret_cast<LPARAM>(&text));
    print(text);
    const int id = button == L"yes" ? IDYES : button == L"no" ? IDNO : IDOK;
    PostMessageW(found, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(found, id)));
    return 0;
}

// Waits for the main window; with a wanted state, also until it is shown
// ("visible") or until its start-up has surely ended ("hidden": it is still
// hidden 2 s after it appeared).
int window(const std::wstring& prefix, DWORD timeout, const std::wstring& wanted) {
    const DWORD start = GetTickCount();
    HWND found = waitForDialog(prefix, true, timeout);
    if (!found)
        return fail("no window");
    while (wanted == L"visible" && !IsWindowVisible(found) && GetTickCount() - start < timeout)
        Sleep(100);
    if (wanted == L"hidden")
        Sleep(2000);
    print(textOf(found));
    print(IsWindowVisible(found) ? L"visible" : L"hidden");
    return 0;
}

// Right-clicks the tray icon (its callback message) and types an item's
// underlined letter into the menu that opens.
int trayKey(const std::wstring& prefix, wchar_t letter, DWORD timeout) {
    HWND main = waitForDialog(prefix, true, timeout);
    if (!main)
        return fail("no main window");
    PostMessageW(main, WM_USER + 100, 1, WM_RBUTTONUP);
    for (const DWORD start = GetTickCount(); GetTickCount() - start < timeout; Sleep(50)) {
        for (HWND menu = nullptr; (menu = FindWindowExW(nullptr, menu, L"#32768", nullptr)) != nullptr;)
            if (IsWindowVisible(menu)) {
                Sleep(200);
                PostMessageW(menu, WM_CHAR, letter, 0);
                return 0;
            }
    }
    return fail("no tray menu");
}

int makeCollection(int argc, wchar_t** argv) {
    WallpaperCollection c;
    for (int i = 3; i < argc; ++i)
        if (c.addPath(reinterpret_cast<const char16_t*>(argv[i])) != AddOutcome::Added)
            return fail("cannot add a picture");
    return c.saveToFile(reinterpret_cast<const char16_t*>(argv[2])) ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc >= 2 ? argv[1] : L"";
    const DWORD ms = argc >= 4 ? static_cast<DWORD>(_wtoi(argv[3])) : 0;
    if (command == L"box" && argc >= 4)
        return box(argv[2], ms, argc >= 5 ? argv[4] : L"ok");
    if (command == L"no-box" && argc >= 4)
        return waitForDialog(argv[2], false, ms) ? 1 : 0;
    if (command == L"window" && argc >= 4)
        return window(argv[2], ms, argc >= 5 ? argv[4] : L"");
    if (command == L"tray-key" && argc >= 5)
        return trayKey(argv[2], argv[3][0], static_cast<DWORD>(_wtoi(argv[4])));
    if (command == L"make-collection" && argc >= 3)
        return makeCollection(argc, argv);
    return 2;
}
