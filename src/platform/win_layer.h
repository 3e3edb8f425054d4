// The one road by which text reaches Windows. On Windows NT every ...W
// function works; on Windows 95, 98 and ME almost all of them are stubs that
// fail with ERROR_CALL_NOT_IMPLEMENTED. So the program calls the functions of
// namespace win, which keep the ...W names and signatures: on NT they call the
// ...W function, on 9x the ...A function with the text converted through the
// ANSI code page. Windows and dialogs are ANSI windows on 9x.
//
// The choice is made once, from GetVersion, whose high bit marks Windows 9x;
// it follows the system the program runs on, never a test's pretended
// version. Outside the win_*.cpp files of this folder the program calls no
// ...W function that 9x lacks (the build checks it); the ones that work there
// (MessageBoxW, lstrlenW, MultiByteToWideChar, WideCharToMultiByte, TextOutW,
// ExtTextOutW, GetTextExtentPoint32W, FindResourceW) may be called directly.
//
// A text that the ANSI code page cannot hold cannot exist on 9x: a path with
// such a character is a file that is not there (ERROR_FILE_NOT_FOUND), never
// a file found through the '?' that the conversion would put in its place.
#pragma once

#include <windows.h>

namespace win {

// True on Windows NT, 2000, XP and later: the ...W functions work. Every
// 64-bit Windows is one, so there the ...A roads are not even built.
#ifdef _WIN64
inline bool unicodeSystem() { return true; }
#else
bool unicodeSystem();
#endif

// A UTF-16 text in the ANSI code page, whole and terminated. Texts up to a
// path's length stay inside the object. A null text stays null, and a
// resource or atom number (IS_INTRESOURCE) passes through as that number.
class AnsiText {
  public:
    explicit AnsiText(const wchar_t* text);
    // The first units of text (which need not be terminated); -1: up to its
    // terminator.
    AnsiText(const wchar_t* text, int units);
    ~AnsiText();
    AnsiText(const AnsiText&) = delete;
    AnsiText& operator=(const AnsiText&) = delete;

    const char* get() const { return text_; }
    char* data() { return text_; }
    // Bytes without the terminator.
    int bytes() const { return bytes_; }
    // False when a character had no form in the code page and was replaced:
    // a path that cannot exist on this system.
    bool exact() const { return exact_; }

  private:
    void convert(const wchar_t* text, int units);

    char small_[280];
    char* text_ = nullptr;
    char* heap_ = nullptr;
    int bytes_ = 0;
    bool exact_ = true;
};

// ANSI text (bytes long, or -1: up to its terminator) into dst of dstUnits
// units, cut if need be and always terminated. Returns the units written
// without the terminator.
int wideFromAnsi(const char* text, int bytes, wchar_t* dst, int dstUnits);

// A system function that the oldest systems lack, or null: a program that
// imported it would not start there. Callers keep the answer in a static,
// as it cannot change while the program runs.
template <typename F> F systemFunction(const char* module, const char* name) {
    HMODULE loaded = GetModuleHandleA(module);
    if (!loaded)
        loaded = LoadLibraryA(module); // kept loaded: its functions are used to the end
    return loaded ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(loaded, name))) : nullptr;
}

} // namespace win
