#include "platform/working_folder.h"

#include <cstdlib>

#include "platform/file_io.h"
#include "platform/system_info.h"
#include "platform/text.h"

#ifdef _WIN32
#include <windows.h>
#include "platform/win_system.h"
#endif

namespace plat {
namespace {

#ifdef _WIN32
constexpr char16_t kSeparator[] = u"\\";
#else
constexpr char16_t kSeparator[] = u"/";
#endif

// Decided once and then kept for the process; read and written by the main
// (user-interface) thread only: the wallpaper change, the label timer and
// the start-up.
bool g_decided = false;
char16_t g_folder[kPathUnits];
bool g_programOverridden = false;
char16_t g_programFolder[kPathUnits];

bool environmentFolder(const char* name, char16_t* out, size_t units) {
    out[0] = 0;
#ifdef _WIN32
    wchar_t wideName[32];
    for (size_t i = 0; i < 32; ++i)
        if (!(wideName[i] = static_cast<wchar_t>(name[i])))
            break;
    DWORD n =
        win::GetEnvironmentVariableW(wideName, reinterpret_cast<LPWSTR>(out), static_cast<DWORD>(units));
    if (n == 0 || n >= units)
        out[0] = 0;
#else
    const char* value = std::getenv(name);
    if (value)
        copyText(out, units, fromUtf8(value).c_str());
#endif
    return out[0] != 0;
}

// A folder we may write in: a probe file can be created there and removed,
// and the longest name kept there still fits behind it.
bool writable(const char16_t* folder) {
    if (textLength(folder) + textLength(u"desktop.bmp") >= kPathUnits)
        return false;
    char16_t probe[kPathUnits];
    copyText(probe, kPathUnits, folder);
    appendText(probe, kPathUnits, u"~krok1.bmp");
    FileHandle file = createForWrite(probe);
    if (!file)
        return false;
    closeFile(file);
    return deleteFile(probe);
}

} // namespace

void overrideProgramFolder(const char16_t* folder) {
    g_programOverridden = folder != nullptr;
    if (folder)
        copyText(g_programFolder, kPathUnits, folder);
    g_decided = false;
}

bool workingFolder(char16_t* out, size_t units) {
    if (!out || units == 0)
        return false;
    if (!g_decided) {
        char16_t candidate[kPathUnits];
        if (g_programOverridden)
            copyText(candidate, kPathUnits, g_programFolder);
        else if (!programFolderFile(u"", candidate, kPathUnits))
            candidate[0] = 0;
        g_decided = candidate[0] && writable(candidate);
        char16_t user[kPathUnits];
        if (!g_decided && (environmentFolder("LOCALAPPDATA", user, kPathUnits) ||
                           environmentFolder("APPDATA", user, kPathUnits))) {
            copyText(candidate, kPathUnits, user);
            appendText(candidate, kPathUnits, kSeparator);
            appendText(candidate, kPathUnits, u"Plochar");
            g_decided = createFolder(candidate) && appendText(candidate, kPathUnits, kSeparator) == 1 &&
                        writable(candidate);
        }
        copyText(g_folder, kPathUnits, candidate);
    }
    copyText(out, units, g_folder);
    return g_decided;
}

bool workingFolderFile(const char16_t* fileName, char16_t* out, size_t units) {
    if (!workingFolder(out, units))
        return false;
    appendText(out, units, fileName);
    return true;
}

} // namespace plat
