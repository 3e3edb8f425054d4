// Files, folders, modules, the environment, version, text comparison, events
// and the registry through the text layer (see win_layer.h): each function
// keeps the name, signature and meaning of its ...W original. On NT it is the
// original; on Windows 95, 98 and ME it calls the ...A function with the text
// converted through the ANSI code page, and hands text back converted, cut
// and terminated as the W function would, lengths in UTF-16 units and
// registry sizes in bytes of the UTF-16 form.
//
// A path or name with a character the code page cannot hold does not exist
// on 9x: looking it up fails with ERROR_FILE_NOT_FOUND, making it with
// ERROR_PATH_NOT_FOUND (or ERROR_INVALID_NAME for keys and events), and the
// A function is never called with the '?' the conversion would put there.
#pragma once

#include <windows.h>

namespace win {

HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                   DWORD flags, HANDLE templateFile);
BOOL CopyFileW(LPCWSTR from, LPCWSTR to, BOOL failIfExists);
BOOL MoveFileW(LPCWSTR from, LPCWSTR to);
// On 9x, where MoveFileExA does nothing, MOVEFILE_REPLACE_EXISTING moves the
// old file aside, moves the new one in and then deletes the old one; when the
// move in fails the old file is put back, so the file at `to` is never lost.
// MOVEFILE_WRITE_THROUGH is then implied; MOVEFILE_DELAY_UNTIL_REBOOT fails.
BOOL MoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags);
BOOL DeleteFileW(LPCWSTR path);
DWORD GetFileAttributesW(LPCWSTR path);
BOOL SetFileAttributesW(LPCWSTR path, DWORD attributes);
BOOL CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES security);
HANDLE FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW found);
BOOL FindNextFileW(HANDLE search, LPWIN32_FIND_DATAW found);

DWORD GetModuleFileNameW(HMODULE module, LPWSTR path, DWORD units);
HMODULE GetModuleHandleW(LPCWSTR name);
HMODULE LoadLibraryW(LPCWSTR name);
UINT GetWindowsDirectoryW(LPWSTR path, UINT units);
DWORD GetEnvironmentVariableW(LPCWSTR name, LPWSTR value, DWORD units);
// The whole command line, program name included. The text stays valid for
// the life of the process.
LPWSTR GetCommandLineW();
BOOL WriteProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value);
// dwOSVersionInfoSize is checked as for the W structures.
BOOL GetVersionExW(LPOSVERSIONINFOW info);

// On 9x only LCMAP_SORTKEY is made, and only for text the code page holds
// (0 otherwise: the caller then compares the texts themselves).
int LCMapStringW(LCID locale, DWORD flags, LPCWSTR text, int units, LPWSTR out, int outSize);
// On 9x texts that differ only in characters the code page lacks still
// differ: they are then ordered by their UTF-16 units.
int lstrcmpW(LPCWSTR a, LPCWSTR b);
int lstrcmpiW(LPCWSTR a, LPCWSTR b);

HANDLE CreateEventW(LPSECURITY_ATTRIBUTES security, BOOL manualReset, BOOL initialState, LPCWSTR name);
HANDLE OpenEventW(DWORD access, BOOL inherit, LPCWSTR name);

LONG RegCreateKeyExW(HKEY parent, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass, DWORD options,
                     REGSAM access, LPSECURITY_ATTRIBUTES security, PHKEY key, LPDWORD disposition);
LONG RegOpenKeyExW(HKEY parent, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY key);
// REG_SZ, REG_EXPAND_SZ and REG_MULTI_SZ values are converted both ways with
// sizes in bytes of the UTF-16 form; other types pass through as bytes. A
// value larger than the buffer answers ERROR_MORE_DATA with the size needed.
LONG RegQueryValueExW(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD bytes);
LONG RegSetValueExW(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD bytes);

} // namespace win
