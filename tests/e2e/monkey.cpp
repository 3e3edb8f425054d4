// A careless user of the real plochar.exe in its Wine desktop: random clicks,
// keys, tab switches, tray commands and box answers from a fixed seed, with
// plochar.exe restarted whenever a step ends it. Afterwards the program must
// still answer, end through Konec, and leave settings a user could have made.
// Every step goes to the log; the summary and the findings to stdout.
//
//   monkey <seed> <steps> <log file>
//
// Messages are posted, never sent, so that a hung plochar.exe cannot hang the
// monkey; only reading and setting texts waits, and then at most two seconds.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdint>
#include <cwchar>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kProgram[] = L"C:\\plochar\\plochar.exe";
constexpr wchar_t kKey[] = L"Software\\Vorsan\\Plochar 2.12";
constexpr UINT kTrayCallback = WM_USER + 100;

// Paths a file dialog may be given: collections that exist, one damaged, ones
// that do not, pictures, a missing picture, a folder and two names at once.
const wchar_t* const kDialogPaths[] = {
    L"C:\\obrazky\\Hory.plk",   L"C:\\obrazky\\Rozbita.plk", L"C:\\obrazky\\Nova.plk",
    L"C:\\jinde\\Chybi.plk",    L"C:\\obrazky\\hory.bmp",    L"C:\\obrazky\\jezero.jpg",
    L"C:\\obrazky\\louka.bmp",  L"C:\\obrazky\\nic.bmp",     L"C:\\obrazky\\",
    L"\"hory.bmp\" \"pole.jpg\"",
};
// What is typed into edits: minutes and hours a user may try, too large ones,
// auto-pause substrings, and backspaces.
const wchar_t* const kTyped[] = {L"0",    L"5",      L"12",     L"59",   L"1439", L"1440", L"99999",
                                 L"Nero", L"Poznám", L"kalk",   L"ěšč",  L"x",    L"\b",   L"\b\b\b\b"};
const wchar_t* const kDefaultSubstrings[] = {L"Kontrola disku", L"Defragmentace disku", L"ScanDisk",
                                             L"Nero Burning"};

// xorshift32: the same steps for the same seed on every system.
struct Random {
    uint32_t state;
    uint32_t next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    int below(int n) { return static_cast<int>(next() % static_cast<uint32_t>(n)); }
    template <typename T, size_t N> T pick(T (&items)[N]) { return items[below(static_cast<int>(N))]; }
};

struct Counts {
    int steps = 0, refused = 0, hidden = 0, restarts = 0;
    int boxMessage = 0, boxFile = 0, boxColour = 0, boxWait = 0;
    int findings = 0;
};

FILE* g_log = nullptr;
Counts g_counts;
Random g_random{1};
PROCESS_INFORMATION g_process = {};
bool g_quitAsked = false; // a step since the last start may have ended the program
int g_step = 0;
uint32_t g_seed = 0;
std::set<std::wstring> g_typedSubstrings;

std::string utf8(const std::wstring& text) {
    char buffer[2048] = {};
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, buffer, sizeof(buffer) - 1, nullptr, nullptr);
    return buffer;
}

void log(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::fprintf(g_log, "%5d ", g_step);
    std::vfprintf(g_log, format, args);
    std::fputc('\n', g_log);
    std::fflush(g_log);
    va_end(args);
}

void finding(const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    ++g_counts.findings;
    std::printf("FINDING (seed %u, step %d): %s\n", g_seed, g_step, text);
    std::fflush(stdout);
    log("FINDING %s", text);
}

std::wstring className(HWND w) {
    wchar_t name[64] = {};
    GetClassNameW(w, name, 64);
    return name;
}

// Texts of another process's windows, waiting at most two seconds.
std::wstring textOf(HWND w) {
    wchar_t text[512] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(w, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &ignored);
    return text;
}

bool running() { return g_process.hProcess && WaitForSingleObject(g_process.hProcess, 0) == WAIT_TIMEOUT; }

std::vector<HWND> g_found;
BOOL CALLBACK collectTopLevel(HWND w, LPARAM) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == g_process.dwProcessId && className(w) == L"#32770")
        g_found.push_back(w);
    return TRUE;
}
std::vector<HWND> dialogsOfProgram() {
    g_found.clear();
    if (running())
        EnumWindows(collectTopLevel, 0);
    return g_found;
}

// The configuration window (also while hidden): the dialog with the tabs.
HWND mainWindow() {
    for (HWND w : dialogsOfProgram())
        if (FindWindowExW(w, nullptr, L"SysTabControl32", nullptr))
            return w;
    return nullptr;
}

// The box a user can answer: shown, enabled, not the configuration window.
HWND openBox() {
    HWND answerable = nullptr;
    for (HWND w : dialogsOfProgram())
        if (IsWindowVisible(w) && IsWindowEnabled(w) && !FindWindowExW(w, nullptr, L"SysTabControl32", nullptr))
            answerable = w;
    return answerable;
}

// A user cannot click a window that is disabled or whose window is.
bool clickable(HWND control) {
    return IsWindowVisible(control) && IsWindowEnabled(control) && IsWindowEnabled(GetAncestor(control, GA_ROOT));
}

void post(HWND w, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) { PostMessageW(w, message, wParam, lParam); }
void clickAt(HWND w, int x, int y) {
    post(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    post(w, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}
void key(HWND w, UINT vk) {
    post(w, WM_KEYDOWN, vk, 1);
    post(w, WM_KEYUP, vk, 0xC0000001);
}

// Lets plochar.exe work through what was posted.
// Lets plochar.exe work through what was posted: a while for the posted
// messages, then until its thread takes messages again (a box, a dialog or a
// long change may keep it away), at most 3 s.
void settle() {
    Sleep(60);
    HWND main = mainWindow();
    DWORD_PTR ignored = 0;
    if (main)
        SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 3000, &ignored);
    Sleep(20);
}

bool start() {
    wchar_t commandLine[64] = L"plochar.exe";
    if (g_random.below(2))
        wcscat(commandLine, L" -d");
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    if (g_process.hProcess) {
        CloseHandle(g_process.hProcess);
        CloseHandle(g_process.hThread);
    }
    g_process = {};
    if (!CreateProcessW(kProgram, commandLine, nullptr, nullptr, FALSE, 0, nullptr, L"C:\\plochar", &si,
                        &g_process)) {
        std::printf("cannot start %ls\n", kProgram);
        return false;
    }
    g_quitAsked = false;
    log("start: %s", utf8(commandLine).c_str());
    // Up when its window or its first box is there (a minute: other Wine
    // sessions may share the machine).
    for (int i = 0; i < 1200; ++i, Sleep(50))
        if (mainWindow() || openBox())
            return true;
    finding("plochar.exe did not come up within 60 s");
    return running();
}

// Restarts the program when it has ended; an end no step asked for, or with a
// failure exit code, is a finding.
bool keepRunning() {
    if (running())
        return true;
    DWORD code = 0;
    GetExitCodeProcess(g_process.hProcess, &code);
    log("ended with exit code 0x%lx", code);
    if (code != 0)
        finding("plochar.exe ended with exit code 0x%lx (crash)", code);
    else if (!g_quitAsked)
        finding("plochar.exe ended though no step ended it");
    ++g_counts.restarts;
    return start();
}

bool hasButton(HWND box, int id) {
    HWND b = GetDlgItem(box, id);
    return b && IsWindowVisible(b) && IsWindowEnabled(b);
}

void pressButton(HWND box, int id) {
    post(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}

// Answers the box at random, as a user would with its buttons; `cautious`
// only declines.
void answerBox(HWND box, bool cautious) {
    const std::wstring caption = textOf(box);
    if (GetDlgItem(box, 1148) || GetDlgItem(box, 1152)) { // the file name box of either style
        ++g_counts.boxFile;
        if (cautious || g_random.below(4) == 0) {
            log("file dialog \"%s\": cancel", utf8(caption).c_str());
            pressButton(box, IDCANCEL);
            return;
        }
        const wchar_t* path = g_random.pick(kDialogPaths);
        log("file dialog \"%s\": %s", utf8(caption).c_str(), utf8(path).c_str());
        HWND name = GetDlgItem(box, 1148) ? GetDlgItem(box, 1148) : GetDlgItem(box, 1152);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path), SMTO_ABORTIFHUNG, 2000, &ignored);
        pressButton(box, IDOK);
        return;
    }
    if (GetDlgItem(box, 1080)) { // the wait window of a long search
        ++g_counts.boxWait;
        log("wait window: stop");
        pressButton(box, 1080);
        return;
    }
    const bool message = caption == L"Plochar 2.12" || caption == L"Chyba" || caption == L"Plochar";
    ++(message ? g_counts.boxMessage : g_counts.boxColour);
    std::vector<int> buttons;
    for (int id : {IDOK, IDCANCEL, IDYES, IDNO})
        if (hasButton(box, id))
            buttons.push_back(id);
    if (buttons.empty()) {
        log("box \"%s\" without buttons", utf8(caption).c_str());
        return;
    }
    int id = buttons[static_cast<size_t>(g_random.below(static_cast<int>(buttons.size())))];
    if (cautious)
        id = hasButton(box, IDNO) ? IDNO : hasButton(box, IDCANCEL) ? IDCANCEL : buttons[0];
    log("%s \"%s\": button %d", message ? "box" : "dialog", utf8(caption).c_str(), id);
    pressButton(box, id);
}

void trayStep(HWND main) {
    static const UINT commands[] = {40001, 40001, 40001, 40002, 40003, 40006, 40007, 40015, 0};
    UINT id = g_random.pick(commands);
    if (id == 0 && g_random.below(8) == 0)
        id = 40004; // Konec, now and then
    if (id == 0) {
        log("tray: double click");
        post(main, kTrayCallback, 1, WM_LBUTTONDBLCLK);
        return;
    }
    if (id == 40004)
        g_quitAsked = true;
    log("tray: command %u", id);
    post(main, WM_COMMAND, id, 0);
}

bool frameStep(HWND main) {
    static const int commands[] = {40010, 40011, 40012, 40013, 40014, 40017, 40018, 40019, 1043, 1047, 1,
                                   2};
    const int id = g_random.pick(commands);
    if (id == 1 || id == 2) { // the title bar's close and minimise boxes
        log("frame: %s", id == 1 ? "close box" : "minimise box");
        g_quitAsked |= id == 1;
        post(main, WM_SYSCOMMAND, id == 1 ? SC_CLOSE : SC_MINIMIZE, 0);
    } else if (id == 1043 || id == 1047) {
        HWND button = GetDlgItem(main, id);
        if (!button || !clickable(button))
            return false;
        log("frame: button %d", id);
        post(button, BM_CLICK);
    } else {
        log("frame: collection menu %d", id);
        post(main, WM_COMMAND, static_cast<WPARAM>(id), 0);
    }
    return true;
}

bool tabStep(HWND main) {
    HWND tabs = FindWindowExW(main, nullptr, L"SysTabControl32", nullptr);
    if (!tabs || !clickable(tabs))
        return false;
    RECT r = {};
    GetClientRect(tabs, &r);
    switch (g_random.below(3)) {
    case 0: log("tab: right"); key(tabs, VK_RIGHT); break;
    case 1: log("tab: left"); key(tabs, VK_LEFT); break;
    default: {
        const int x = 2 + g_random.below(r.right > 4 ? static_cast<int>(r.right) - 4 : 1);
        log("tab: click at %d", x);
        clickAt(tabs, x, 8);
    }
    }
    return true;
}

std::vector<HWND> g_controls;
BOOL CALLBACK collectControl(HWND w, LPARAM) {
    const std::wstring c = className(w);
    const LONG style = GetWindowLongW(w, GWL_STYLE);
    const bool button = c == L"Button" && (style & BS_TYPEMASK) != BS_GROUPBOX;
    if ((button || c == L"Edit" || c == L"ListBox" || c == L"ComboBox" || c == L"msctls_trackbar32" ||
         c == L"msctls_updown32") &&
        IsWindowVisible(w) && GetParent(w) && className(GetParent(w)) == L"#32770")
        g_controls.push_back(w);
    return TRUE;
}

void typeInto(HWND edit) {
    if (g_random.below(2))
        post(edit, EM_SETSEL, 0, -1);
    const wchar_t* text = g_random.pick(kTyped);
    log("page: type \"%s\" into %d", utf8(text).c_str(), GetDlgCtrlID(edit));
    for (const wchar_t* c = text; *c; ++c)
        post(edit, WM_CHAR, *c, 1);
}

bool pageStep(HWND main) {
    HWND page = FindWindowExW(main, nullptr, L"#32770", nullptr);
    if (!page)
        return false;
    g_controls.clear();
    EnumChildWindows(page, collectControl, 0);
    if (g_controls.empty())
        return false;
    HWND control = g_controls[static_cast<size_t>(g_random.below(static_cast<int>(g_controls.size())))];
    const int id = GetDlgCtrlID(control);
    if (!clickable(control)) {
        log("page: control %d refused", id);
        return false;
    }
    const std::wstring c = className(control);
    RECT r = {};
    GetClientRect(control, &r);
    if (c == L"Button") {
        // The substring that "Přidat" takes from its edit.
        if (id == 1067 && GetDlgItem(page, 1069))
            g_typedSubstrings.insert(textOf(GetDlgItem(page, 1069)));
        log("page: click %d", id);
        post(control, BM_CLICK);
    } else if (c == L"Edit") {
        typeInto(control);
    } else if (c == L"msctls_updown32") {
        const bool up = g_random.below(2);
        log("page: updown %d %s", id, up ? "up" : "down");
        clickAt(control, static_cast<int>(r.right) / 2, up ? 1 : static_cast<int>(r.bottom) - 2);
    } else if (c == L"ListBox" && g_random.below(2)) {
        const int y = 1 + g_random.below(r.bottom > 2 ? static_cast<int>(r.bottom) - 2 : 1);
        log("page: list %d click at %d", id, y);
        clickAt(control, 5, y);
    } else {
        static const UINT keys[] = {VK_DOWN, VK_UP, VK_HOME, VK_END, VK_RIGHT, VK_LEFT};
        const UINT vk = g_random.pick(keys);
        log("page: key %u to %s %d", vk, utf8(c).c_str(), id);
        key(control, vk);
    }
    return true;
}

void oneStep() {
    if (!keepRunning())
        return;
    HWND box = openBox();
    if (box && g_random.below(10) < 6) {
        answerBox(box, false);
        return;
    }
    HWND main = mainWindow();
    if (!main) {
        log("no window yet");
        return;
    }
    const int kind = g_random.below(100);
    // With the window hidden, the tray is all a user has.
    if (kind < 12 || (!IsWindowVisible(main) && kind < 60)) {
        trayStep(main);
        return;
    }
    if (!IsWindowVisible(main)) {
        ++g_counts.hidden;
        log("window hidden: nothing to click");
        return;
    }
    if (!IsWindowEnabled(main)) {
        ++g_counts.refused;
        log("window disabled: refused");
        return;
    }
    const bool made = kind < 24 ? frameStep(main) : kind < 38 ? tabStep(main) : pageStep(main);
    if (!made)
        ++g_counts.refused;
}

// --- after the steps --------------------------------------------------------

bool isAllowedSubstring(const std::wstring& item) {
    for (const wchar_t* d : kDefaultSubstrings)
        if (item == d)
            return true;
    for (const std::wstring& typed : g_typedSubstrings)
        if (!item.empty() && typed.compare(0, item.size(), item) == 0)
            return true;
    return false;
}

void checkRegistry() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        finding("no settings key");
        return;
    }
    int32_t f[35] = {};
    DWORD size = sizeof(f), type = 0;
    if (RegQueryValueExW(key, L"Nastaveni", nullptr, &type, reinterpret_cast<BYTE*>(f), &size) != ERROR_SUCCESS ||
        size != 140) {
        finding("Nastaveni missing or not 140 bytes (%lu)", size);
    } else {
        // Check boxes and switches: 0 or 1.
        for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 8, 12, 13, 32, 33, 34})
            if (f[i] != 0 && f[i] != 1)
                finding("Nastaveni field %d is %d, not 0/1", i, f[i]);
        if (f[9] < 0 || f[9] > 10)
            finding("logoDelayMinutes %d", f[9]);
        if (f[10] < 1 || f[10] > 1439)
            finding("intervalMinutes %d", f[10]);
        if (f[11] < 0 || f[11] > 2)
            finding("PauseState %d", f[11]);
        if (f[14] < 0 || f[14] > 2)
            finding("lastManualCommand %d", f[14]);
        if (f[15] < 0 || f[15] > 2)
            finding("changeOrder %d", f[15]);
        log("settings: interval %d order %d pause %d periodic %d", f[10], f[15], f[11], f[34]);
    }
    wchar_t list[4096] = {};
    size = sizeof(list) - sizeof(wchar_t);
    if (RegQueryValueExW(key, L"AutoPause", nullptr, &type, reinterpret_cast<BYTE*>(list), &size) == ERROR_SUCCESS) {
        std::wstring all = list, item;
        for (wchar_t c : all + L"\n") {
            if (c != L'\n') {
                item += c;
                continue;
            }
            if (!item.empty() && !isAllowedSubstring(item))
                finding("AutoPause holds \"%s\", which was never typed", utf8(item).c_str());
            item.clear();
        }
    }
    RegCloseKey(key);
}

void finish() {
    g_step = g_counts.steps + 1;
    if (!keepRunning()) {
        finding("plochar.exe does not start again");
        return;
    }
    HWND main = nullptr;
    for (int i = 0; i < 300 && !(main = mainWindow()); ++i)
        Sleep(100);
    DWORD_PTR result = 0;
    if (!main || !SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 15000, &result)) {
        finding("plochar.exe does not answer within 15 s");
        return;
    }
    // Close what is open, declining, then Konec from the tray.
    for (int i = 0; i < 30; ++i) {
        HWND box = openBox();
        if (!box)
            break;
        answerBox(box, true);
        Sleep(300);
        WaitForInputIdle(g_process.hProcess, 2000);
    }
    log("tray: Konec");
    post(main, WM_COMMAND, 40004, 0);
    for (int i = 0; i < 300 && running(); ++i) {
        Sleep(100);
        if (HWND box = openBox(); box && i % 5 == 4)
            answerBox(box, true);
    }
    DWORD code = 0;
    GetExitCodeProcess(g_process.hProcess, &code);
    if (running())
        finding("Konec did not end plochar.exe within 30 s");
    else if (code != 0)
        finding("plochar.exe ended with exit code 0x%lx after Konec", code);
    else
        checkRegistry();
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    g_seed = argc >= 2 ? static_cast<uint32_t>(wcstoul(argv[1], nullptr, 10)) : 1;
    const int steps = argc >= 3 ? _wtoi(argv[2]) : 1000;
    g_log = _wfopen(argc >= 4 ? argv[3] : L"C:\\monkey.log", L"w");
    if (!g_log)
        return 2;
    g_random.state = g_seed * 2654435761u + 1;
    const DWORD began = GetTickCount();
    if (!start())
        return 2;
    for (g_step = 1; g_step <= steps; ++g_step) {
        oneStep();
        ++g_counts.steps;
        settle();
    }
    finish();
    std::printf("seed %u: %d steps in %lu s, %d refused, %d with the window hidden, %d restarts\n", g_seed,
                g_counts.steps, (GetTickCount() - began) / 1000, g_counts.refused, g_counts.hidden,
                g_counts.restarts);
    std::printf("boxes answered: %d message, %d file, %d colour or other, %d wait\n", g_counts.boxMessage,
                g_counts.boxFile, g_counts.boxColour, g_counts.boxWait);
    std::printf("%d findings\n", g_counts.findings);
    std::fclose(g_log);
    return g_counts.findings ? 1 : 0;
}
