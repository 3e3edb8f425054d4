// Texts through messages and the file dialog. Run in a prefix that shows
// Windows 98 these take the ANSI road (the controls are ANSI windows then);
// what comes back must be what the Unicode road gives.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <string>

#include "platform/win_layer.h"
#include "platform/win_messages.h"

namespace {

// A name that comes back whole through the ANSI code page (a best-fit
// conversion turns "č" into "c" in Western code pages); with double-byte
// characters where the code page has them, so that units and bytes differ.
std::wstring nameInCodePage(const wchar_t* head, const wchar_t* tail) {
    for (const wchar_t* name : {L"夏の写真", head}) {
        const std::wstring whole = std::wstring(name) + tail;
        wchar_t back[256] = {};
        win::wideFromAnsi(win::AnsiText(whole.c_str()).get(), -1, back, 256);
        if (whole == back)
            return whole;
    }
    return std::wstring(L"plain") + tail;
}

// The control as the program makes it: an ANSI window on 9x.
HWND makeControl(const char* ansiClass, const wchar_t* wideClass, DWORD style) {
    if (win::unicodeSystem())
        return CreateWindowExW(0, wideClass, L"", WS_POPUP | style, 0, 0, 200, 200, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    return CreateWindowExA(0, ansiClass, "", WS_POPUP | style, 0, 0, 200, 200, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

} // namespace

TEST(WinMessages, ListBoxStringsComeBackInUnits) {
    HWND box = makeControl("LISTBOX", L"LISTBOX", LBS_HASSTRINGS);
    ASSERT_TRUE(box);
    const std::wstring first = nameInCodePage(L"Léto v Tatrách – čáp", L".jpg"), second = nameInCodePage(L"žluťoučký kůň", L" 2.jpg");
    ASSERT_EQ(win::SendMessageW(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(first.c_str())), 0);
    ASSERT_EQ(win::SendMessageW(box, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(second.c_str())), 0);

    const LRESULT units = win::SendMessageW(box, LB_GETTEXTLEN, 1, 0);
    EXPECT_EQ(units, static_cast<LRESULT>(first.size()));
    // The buffer is as long as the reported length and no longer.
    std::wstring text(static_cast<size_t>(units) + 1, L'#');
    EXPECT_EQ(win::SendMessageW(box, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(text.data())), units);
    EXPECT_EQ(text.c_str(), first);
    // The Unicode road reads the same item.
    wchar_t direct[128] = {};
    SendMessageW(box, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(direct));
    EXPECT_EQ(std::wstring(direct), second);
    EXPECT_EQ(win::SendMessageW(box, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                reinterpret_cast<LPARAM>(first.c_str())),
              1);
    DestroyWindow(box);
}

TEST(WinMessages, TabItemTextGoesInAndComesBackCut) {
    INITCOMMONCONTROLSEX init = {sizeof init, ICC_TAB_CLASSES};
    InitCommonControlsEx(&init);
    HWND tabs = makeControl(WC_TABCONTROLA, WC_TABCONTROLW, 0);
    ASSERT_TRUE(tabs);
    const std::wstring label = nameInCodePage(L"Nastavení – čas", L" 1");
    TCITEMW item = {};
    item.mask = TCIF_TEXT | TCIF_PARAM;
    item.pszText = const_cast<wchar_t*>(label.c_str());
    item.lParam = 7;
    ASSERT_EQ(win::SendMessageW(tabs, TCM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)), 0);

    wchar_t direct[128] = {};
    TCITEMW read = {};
    read.mask = TCIF_TEXT;
    read.pszText = direct;
    read.cchTextMax = 128;
    SendMessageW(tabs, TCM_GETITEMW, 0, reinterpret_cast<LPARAM>(&read));
    EXPECT_EQ(std::wstring(direct), label);

    wchar_t text[6];
    wmemset(text, L'#', 6);
    read = {};
    read.mask = TCIF_TEXT | TCIF_PARAM;
    read.pszText = text;
    read.cchTextMax = 5;
    ASSERT_TRUE(win::SendMessageW(tabs, TCM_GETITEMW, 0, reinterpret_cast<LPARAM>(&read)));
    EXPECT_EQ(read.lParam, 7);
    EXPECT_EQ(std::wstring(read.pszText), label.substr(0, 4));
    EXPECT_EQ(text[5], L'#');
    DestroyWindow(tabs);
}

namespace {

const OPENFILENAMEW* g_initRecord = nullptr;
std::wstring g_typedNames;

// Types the names into the dialog's name field and presses Open.
UINT_PTR CALLBACK answerDialog(HWND hook, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG)
        g_initRecord = reinterpret_cast<const OPENFILENAMEW*>(lParam);
    if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == CDN_INITDONE) {
        HWND dialog = GetParent(hook);
        SetDlgItemTextW(dialog, GetDlgItem(dialog, cmb13) ? cmb13 : edt1, g_typedNames.c_str());
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    }
    return 0;
}

} // namespace

TEST(WinMessages, OpenDialogGivesFolderAndNamesInUnits) {
    wchar_t temp[MAX_PATH] = {};
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    const std::wstring folder = std::wstring(temp) + nameInCodePage(L"Obrázky ěščř", L" 3");
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring names[] = {nameInCodePage(L"Léto v Tatrách – čáp", L".jpg"), nameInCodePage(L"kůň", L" 4.jpg")};
    for (const std::wstring& name : names)
        CloseHandle(CreateFileW((folder + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    g_typedNames = L"\"" + names[0] + L"\" \"" + names[1] + L"\"";

    wchar_t buffer[1024];
    wmemset(buffer, L'#', 1024);
    buffer[0] = 0;
    OPENFILENAMEW record = {};
    record.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    record.lpstrFilter = L"Obrázky\0*.jpg\0Vše\0*.*\0";
    record.lpstrFile = buffer;
    record.nMaxFile = 1023;
    record.lpstrInitialDir = folder.c_str();
    record.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY | OFN_ENABLEHOOK;
    record.lpfnHook = answerDialog;
    ASSERT_TRUE(win::GetOpenFileNameW(&record)) << CommDlgExtendedError();
    EXPECT_EQ(g_initRecord, &record);

    const std::wstring got(buffer);
    EXPECT_EQ(CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, got.c_str(), -1, folder.c_str(), -1), CSTR_EQUAL)
        << "folder";
    EXPECT_EQ(record.nFileOffset, got.size() + 1);
    const wchar_t* name = buffer + got.size() + 1;
    EXPECT_EQ(std::wstring(name), names[0]);
    name += lstrlenW(name) + 1;
    EXPECT_EQ(std::wstring(name), names[1]);
    name += lstrlenW(name) + 1;
    EXPECT_EQ(name[0], 0);
    EXPECT_EQ(name[1], L'#') << "converted past the names";

    for (const std::wstring& n : names)
        DeleteFileW((folder + L"\\" + n).c_str());
    RemoveDirectoryW(folder.c_str());
}
