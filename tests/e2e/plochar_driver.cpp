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
//   plochar_driver command <title prefix> <id>       posts a command to the main window
//   plochar_driver file-dialog <title> <path> <ms>   types a path into a file dialog, confirms
//   plochar_driver tab <title prefix> <steps>        moves the configuration window's tabs right
//   plochar_driver click <title prefix> <id>         clicks a control of the page shown
//   plochar_driver rect <title prefix>               prints the main window's x y width height
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "collection/wallpaper_collection.h"

namespace {

void print(const std::wstring& text) {
    char buffer[4096];
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), buffer,
                                      sizeof(buffer) - 1, nullptr, nullptr);
    buffer[n > 0 ? n : 0] = '\n';
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), buffer, static_cast<DWORD>((n > 0 ? n : 0) + 1), &written, nullptr);
}

std::wstring textOf(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

bool isDialog(HWND window) {
    wchar_t cls[64] = {};
    GetClassNameW(window, cls, 64);
    return std::wcscmp(cls, L"#32770") == 0;
}

struct Search {
    std::wstring title;
    bool prefix;
    HWND found;
};

BOOL CALLBACK findDialog(HWND window, LPARAM context) {
    auto* s = reinterpret_cast<Search*>(context);
    if (!isDialog(window))
        return TRUE;
    const std::wstring t = textOf(window);
    const bool match = s->prefix ? t.compare(0, s->title.size(), s->title) == 0 : t == s->title;
    // A message box must be on screen; the main window may be hidden.
    if (match && (s->prefix || IsWindowVisible(window))) {
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
    wchar_t cls[32] = {};
    GetClassNameW(child, cls, 32);
    if (_wcsicmp(cls, L"Static") == 0) {
        std::wstring t = textOf(child);
        if (t.size() > best->size())
            *best = t;
    }
    return TRUE;
}

int box(const std::wstring& caption, DWORD timeout, const std::wstring& button) {
    HWND found = waitForDialog(caption, false, timeout);
    if (!found) {
        std::fprintf(stderr, "no box\n");
        return 1;
    }
    Sleep(200); // let the box finish painting its text
    std::wstring text;
    EnumChildWindows(found, collectText, reinterpret_cast<LPARAM>(&text));
    print(text);
    const int id = button == L"yes" ? IDYES : button == L"no" ? IDNO : IDOK;
    HWND control = GetDlgItem(found, id);
    PostMessageW(found, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
    return 0;
}

// Waits for the main window; with a wanted state, also until it is shown
// ("visible") or until its start-up has surely ended ("hidden": it is still
// hidden 2 s after it appeared).
int window(const std::wstring& prefix, DWORD timeout, const std::wstring& wanted) {
    const DWORD start = GetTickCount();
    HWND found = waitForDialog(prefix, true, timeout);
    if (!found) {
        std::fprintf(stderr, "no window\n");
        return 1;
    }
    if (wanted == L"visible") {
        while (!IsWindowVisible(found) && GetTickCount() - start < timeout)
            Sleep(100);
    } else if (wanted == L"hidden") {
        Sleep(2000);
    }
    print(textOf(found));
    print(IsWindowVisible(found) ? L"visible" : L"hidden");
    return 0;
}

HWND visibleMenu() {
    HWND menu = nullptr;
    while ((menu = FindWindowExW(nullptr, menu, L"#32768", nullptr)) != nullptr)
        if (IsWindowVisible(menu))
            return menu;
    return nullptr;
}

// Right-clicks the tray icon (its callback message) and types an item's
// underlined letter into the menu that opens.
int trayKey(const std::wstring& prefix, wchar_t letter, DWORD timeout) {
    HWND main = waitForDialog(prefix, true, timeout);
    if (!main) {
        std::fprintf(stderr, "no main window\n");
        return 1;
    }
    PostMessageW(main, WM_USER + 100, 1, WM_RBUTTONUP);
    const DWORD start = GetTickCount();
    HWND menu = nullptr;
    while (!(menu = visibleMenu()) && GetTickCount() - start < timeout)
        Sleep(50);
    if (!menu) {
        std::fprintf(stderr, "no tray menu\n");
        return 1;
    }
    Sleep(200);
    PostMessageW(menu, WM_CHAR, letter, 0);
    return 0;
}

HWND mainWindow(const std::wstring& prefix) {
    HWND main = waitForDialog(prefix, true, 10000);
    if (!main)
        std::fprintf(stderr, "no main window\n");
    return main;
}

int postCommand(const std::wstring& prefix, UINT id) {
    HWND main = mainWindow(prefix);
    return main && PostMessageW(main, WM_COMMAND, id, 0) ? 0 : 1;
}

// The file name box of both dialog styles is control 1148 (an edit, or a
// combo box holding one).
int fileDialog(const std::wstring& title, const std::wstring& path, DWORD timeout) {
    HWND dialog = waitForDialog(title, false, timeout);
    if (!dialog) {
        std::fprintf(stderr, "no file dialog\n");
        return 1;
    }
    Sleep(300);
    if (!SetDlgItemTextW(dialog, 1148, path.c_str()))
        return 1;
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    return 0;
}

// The tab control handles the arrow keys itself and tells its window.
int tab(const std::wstring& prefix, int steps) {
    HWND main = mainWindow(prefix);
    HWND tabs = main ? FindWindowExW(main, nullptr, L"SysTabControl32", nullptr) : nullptr;
    if (!tabs)
        return 1;
    for (int i = 0; i < steps; ++i) {
        SendMessageW(tabs, WM_KEYDOWN, VK_RIGHT, 0);
        SendMessageW(tabs, WM_KEYUP, VK_RIGHT, 0);
    }
    Sleep(300);
    return 0;
}

int click(const std::wstring& prefix, int id) {
    HWND main = mainWindow(prefix);
    HWND page = main ? FindWindowExW(main, nullptr, L"#32770", nullptr) : nullptr;
    HWND control = page ? GetDlgItem(page, id) : nullptr;
    if (!control)
        return 1;
    SendMessageW(control, BM_CLICK, 0, 0);
    return 0;
}

int rect(const std::wstring& prefix) {
    HWND main = mainWindow(prefix);
    RECT r = {};
    if (!main || !GetWindowRect(main, &r))
        return 1;
    print(std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " + std::to_wstring(r.right - r.left) + L" " +
          std::to_wstring(r.bottom - r.top));
    return 0;
}

int makeCollection(int argc, wchar_t** argv) {
    WallpaperCollection c;
    for (int i = 3; i < argc; ++i)
        if (c.addPath(reinterpret_cast<const char16_t*>(argv[i])) != AddOutcome::Added) {
            std::fprintf(stderr, "cannot add picture %d\n", i - 2);
            return 1;
        }
    return c.saveToFile(reinterpret_cast<const char16_t*>(argv[2])) ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2)
        return 2;
    const std::wstring command = argv[1];
    if (command == L"box" && argc >= 4)
        return box(argv[2], static_cast<DWORD>(_wtoi(argv[3])), argc >= 5 ? argv[4] : L"ok");
    if (command == L"no-box" && argc >= 4)
        return waitForDialog(argv[2], false, static_cast<DWORD>(_wtoi(argv[3]))) ? 1 : 0;
    if (command == L"window" && argc >= 4)
        return window(argv[2], static_cast<DWORD>(_wtoi(argv[3])), argc >= 5 ? argv[4] : L"");
    if (command == L"tray-key" && argc >= 5)
        return trayKey(argv[2], argv[3][0], static_cast<DWORD>(_wtoi(argv[4])));
    if (command == L"command" && argc >= 4)
        return postCommand(argv[2], static_cast<UINT>(_wtoi(argv[3])));
    if (command == L"file-dialog" && argc >= 5)
        return fileDialog(argv[2], argv[3], static_cast<DWORD>(_wtoi(argv[4])));
    if (command == L"tab" && argc >= 4)
        return tab(argv[2], _wtoi(argv[3]));
    if (command == L"click" && argc >= 4)
        return click(argv[2], _wtoi(argv[3]));
    if (command == L"rect" && argc >= 3)
        return rect(argv[2]);
    if (command == L"make-collection" && argc >= 3)
        return makeCollection(argc, argv);
    return 2;
}
