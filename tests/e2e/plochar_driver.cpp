// The user of the end-to-end tests, in plochar.exe's Wine desktop; prints
// texts as UTF-8 lines. (Collection files come from plochar-plk.)
//
//   plochar_driver box <caption> <timeout ms> [ok|yes|no]
//   plochar_driver no-box <caption> <ms>         fails if such a box appears
//   plochar_driver window <title prefix> <timeout ms> [visible|hidden]
//   plochar_driver tray-key <title prefix> <letter> <timeout ms>
//   plochar_driver command <title prefix> <id>       posts a command to the main window
//   plochar_driver file-dialog <title> <path> <ms>   types a path into a file dialog, confirms
//   plochar_driver tab <title prefix> <steps>        moves the configuration window's tabs right
//   plochar_driver tabs <title prefix>               prints the configuration window's tabs, one a line
//   plochar_driver click <title prefix> <id>         clicks a control of the page shown
//   plochar_driver shown <title prefix> <id>         prints whether a control of the page is visible
//   plochar_driver rect <title prefix>               prints the main window's x y width height
//   plochar_driver list                              prints the top-level windows: class, visible, title
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

void print(const std::wstring& text) {
    char buffer[4096] = {};
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, buffer, sizeof(buffer) - 1, nullptr, nullptr);
    std::printf("%s\n", buffer);
}

std::wstring textOf(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

// The first dialog whose title is `title` (or starts with it), waiting for it.
HWND waitForDialog(const std::wstring& title, bool prefix, DWORD timeout) {
    for (const DWORD start = GetTickCount();; Sleep(100)) {
        for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32770", nullptr)) != nullptr;) {
            const std::wstring t = textOf(w);
            // A message box must be on screen; the main window may be hidden.
            if (prefix ? t.compare(0, title.size(), title) == 0 : t == title && IsWindowVisible(w))
                return w;
        }
        if (GetTickCount() - start >= timeout)
            return nullptr;
    }
}

// The message text: the static control of the box with the longest text.
BOOL CALLBACK collectText(HWND child, LPARAM context) {
    auto* best = reinterpret_cast<std::wstring*>(context);
    wchar_t cls[64] = {};
    GetClassNameW(child, cls, 64);
    if (_wcsicmp(cls, L"Static") == 0 && textOf(child).size() > best->size())
        *best = textOf(child);
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
    return !PostMessageW(found, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(found, id)));
}

// Waits for the main window and, when wanted, until it is shown or its
// start-up has surely ended (still hidden 2 s after it appeared).
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

HWND mainWindow(const std::wstring& prefix) { return waitForDialog(prefix, true, 30000); }

int postCommand(const std::wstring& prefix, UINT id) {
    HWND main = mainWindow(prefix);
    return main && PostMessageW(main, WM_COMMAND, id, 0) ? 0 : fail("no main window");
}

// The file name box of both dialog styles is control 1148 (an edit, or a
// combo box holding one).
int fileDialog(const std::wstring& title, const std::wstring& path, DWORD timeout) {
    HWND dialog = waitForDialog(title, false, timeout);
    if (!dialog)
        return fail("no file dialog");
    Sleep(300);
    if (!SetDlgItemTextW(dialog, 1148, path.c_str()))
        return fail("no file name box");
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    return 0;
}

// The tab control handles the arrow keys itself and tells its window.
int tab(const std::wstring& prefix, int steps) {
    HWND main = mainWindow(prefix);
    HWND tabs = main ? FindWindowExW(main, nullptr, L"SysTabControl32", nullptr) : nullptr;
    if (!tabs)
        return fail("no tabs");
    for (int i = 0; i < steps; ++i) {
        SendMessageW(tabs, WM_KEYDOWN, VK_RIGHT, 0);
        SendMessageW(tabs, WM_KEYUP, VK_RIGHT, 0);
    }
    Sleep(300);
    return 0;
}

// The tab control keeps its texts in plochar.exe: the item and its text
// buffer are lent to the control in that process's memory.
int tabs(const std::wstring& prefix) {
    HWND main = mainWindow(prefix);
    HWND control = main ? FindWindowExW(main, nullptr, L"SysTabControl32", nullptr) : nullptr;
    if (!control)
        return fail("no tabs");
    DWORD pid = 0;
    GetWindowThreadProcessId(control, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process)
        return fail("cannot open the program");
    constexpr int kChars = 128;
    auto* remote = static_cast<char*>(
        VirtualAllocEx(process, nullptr, sizeof(TCITEMW) + kChars * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
    int result = remote ? 0 : fail("no memory in the program");
    const int count = remote ? static_cast<int>(SendMessageW(control, TCM_GETITEMCOUNT, 0, 0)) : 0;
    for (int i = 0; i < count && result == 0; ++i) {
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(TCITEMW));
        item.cchTextMax = kChars;
        wchar_t text[kChars] = {};
        if (!WriteProcessMemory(process, remote, &item, sizeof(item), nullptr) ||
            !SendMessageW(control, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(remote)) ||
            !ReadProcessMemory(process, remote + sizeof(TCITEMW), text, sizeof(text) - sizeof(wchar_t), nullptr))
            result = fail("cannot read a tab");
        else
            print(text);
    }
    if (remote)
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return result;
}

int click(const std::wstring& prefix, int id) {
    HWND main = mainWindow(prefix);
    HWND page = main ? FindWindowExW(main, nullptr, L"#32770", nullptr) : nullptr;
    HWND control = page ? GetDlgItem(page, id) : nullptr;
    if (!control)
        return fail("no such control on the page");
    SendMessageW(control, BM_CLICK, 0, 0);
    return 0;
}

int shown(const std::wstring& prefix, int id) {
    HWND main = mainWindow(prefix);
    HWND page = main ? FindWindowExW(main, nullptr, L"#32770", nullptr) : nullptr;
    HWND control = page ? GetDlgItem(page, id) : nullptr;
    if (!control)
        return fail("no such control on the page");
    print(IsWindowVisible(control) ? L"visible" : L"hidden");
    return 0;
}

int rect(const std::wstring& prefix) {
    HWND main = mainWindow(prefix);
    RECT r = {};
    if (!main || !GetWindowRect(main, &r))
        return fail("no main window");
    print(std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " + std::to_wstring(r.right - r.left) + L" " +
          std::to_wstring(r.bottom - r.top));
    return 0;
}

BOOL CALLBACK listWindow(HWND window, LPARAM) {
    wchar_t cls[64] = {};
    GetClassNameW(window, cls, 64);
    print(std::wstring(cls) + (IsWindowVisible(window) ? L" visible " : L" hidden ") + textOf(window));
    return TRUE;
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
    if (command == L"command" && argc >= 4)
        return postCommand(argv[2], static_cast<UINT>(_wtoi(argv[3])));
    if (command == L"file-dialog" && argc >= 5)
        return fileDialog(argv[2], argv[3], static_cast<DWORD>(_wtoi(argv[4])));
    if (command == L"tab" && argc >= 4)
        return tab(argv[2], _wtoi(argv[3]));
    if (command == L"tabs" && argc >= 3)
        return tabs(argv[2]);
    if (command == L"click" && argc >= 4)
        return click(argv[2], _wtoi(argv[3]));
    if (command == L"shown" && argc >= 4)
        return shown(argv[2], _wtoi(argv[3]));
    if (command == L"list")
        return !EnumWindows(listWindow, 0);
    if (command == L"rect" && argc >= 3)
        return rect(argv[2]);
    return 2;
}
