// The Windows 9x start-up logo: "logo.sys" in the root of the Windows drive,
// built some minutes after the program starts from a random picture of the
// collection, so that each start of Windows shows another one.
#include <windows.h>
#include "platform/win_system.h"

#include "collection/random.h"
#include "desktop/desktop.h"
#include "desktop/desktop_shell.h"
#include "desktop/desktop_texts.h"
#include "desktop_core/desktop_rules.h"
#include "image/scale.h"
#include "platform/file_io.h"
#include "platform/message_box.h"
#include "platform/system_info.h"
#include "settings/app_settings.h"

namespace {

int say(HWND owner, const char16_t* text, uint32_t flags) {
    return plat::messageBox(owner, text, desk::text::kCaption, flags);
}

bool ask(HWND owner, const char16_t* question) {
    return say(owner, question, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

// "LogoSaved" as the first start wrote it.
bool backupWasMade() {
    HKEY vorsan = nullptr, plochar = nullptr;
    const REGSAM access = KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY;
    bool read = false;
    DWORD value = 0;
    if (win::RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Vorsan", 0, nullptr, 0, access, nullptr, &vorsan,
                             nullptr) == ERROR_SUCCESS) {
        if (win::RegCreateKeyExW(vorsan, L"Plochar 2.01", 0, nullptr, 0, access, nullptr, &plochar,
                                 nullptr) == ERROR_SUCCESS) {
            DWORD bytes = sizeof value;
            read = win::RegQueryValueExW(plochar, L"LogoSaved", nullptr, nullptr,
                                         reinterpret_cast<BYTE*>(&value), &bytes) == ERROR_SUCCESS &&
                   bytes == sizeof value;
            RegCloseKey(plochar);
        }
        RegCloseKey(vorsan);
    }
    return desk::logoBackupExpected(read, value);
}

} // namespace

bool startupLogoPaths(char16_t* logo, char16_t* backup, size_t units) {
    wchar_t windows[plat::kPathUnits] = {};
    UINT n = win::GetWindowsDirectoryW(windows, plat::kPathUnits);
    if (n == 0 || n >= plat::kPathUnits)
        return false;
    const char16_t* dir = reinterpret_cast<const char16_t*>(windows);
    return desk::windowsRootFile(dir, u"logo.sys", logo, units) &&
           desk::windowsRootFile(dir, u"logo_sys.ori", backup, units);
}

WallpaperEntry* BuildStartupLogo(WallpaperCollection& collection) {
    if (collection.isEmpty())
        return nullptr;
    int32_t k = desk::logoEntryNumber(nextRandom(), collection.entryCount());
    WallpaperEntry* entry = collection.nthEntry(k);
    if (!entry)
        return nullptr;
    char16_t logo[plat::kPathUnits], backup[plat::kPathUnits];
    if (!startupLogoPaths(logo, backup, plat::kPathUnits))
        return nullptr;
    return buildLogoBitmap(*entry, logo, AppSettings.fastLogo, ExtraSettings.uprightPhotos) ? entry : nullptr;
}

void RestoreStartupLogo(HWND owner) {
    if (!ask(owner, desk::text::kRestoreLogoQuestion))
        return;
    if (!plat::isWindows9x())
        return;
    char16_t logo[plat::kPathUnits], backup[plat::kPathUnits];
    if (!startupLogoPaths(logo, backup, plat::kPathUnits))
        return;
    if (backupWasMade()) {
        if (plat::pathExists(backup)) {
            if (plat::copyFile(backup, logo, false))
                say(owner, desk::text::kLogoRestored, MB_ICONINFORMATION);
            else
                say(owner, desk::text::kLogoNotRestored, MB_ICONERROR);
            return;
        }
        if (!ask(owner, desk::text::kLogoBackupMissing))
            return;
    }
    // Without a backup the logo is removed: Windows then shows its own.
    plat::deleteFile(logo);
    say(owner, desk::text::kLogoMaybeRestored, MB_ICONINFORMATION);
}
