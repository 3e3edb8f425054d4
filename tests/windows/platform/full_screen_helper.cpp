// Another process's foreground window ("full", "small", "hidden", or "progman":
// the desktop's class) for the full-screen tests; it stays until killed.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    const wchar_t mode = argc > 1 ? argv[1][0] : L'f';
    WNDCLASSW c = {};
    c.lpfnWndProc = DefWindowProcW;
    c.lpszClassName = mode == L'p' ? L"Progman" : L"PlocharFullScreenTest";
    RegisterClassW(&c);
    // "small" is a maximised window beside a taskbar.
    HWND window = CreateWindowExW(0, c.lpszClassName, L"", WS_POPUP | (mode == L'h' ? 0 : WS_VISIBLE), 0, 0,
                                  GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN) - (mode == L's' ? 40 : 0),
                                  nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(window);
    Sleep(INFINITE);
    return 0;
}
