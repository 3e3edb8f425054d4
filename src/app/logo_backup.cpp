#include "app/logo_backup.h"

#include <windows.h>
#include "platform/win_system.h"

#include "platform/registry.h"
#include "platform/system_info.h"
#include "platform/text.h"
#include "settings/settings_store.h"

void backupStartupLogoOnce() {
    if (LogoBackupNeeded != 1 || !plat::isWindows9x())
        return;
    char16_t windows[plat::kPathUnits] = {};
    const UINT n = win::GetWindowsDirectoryW(reinterpret_cast<LPWSTR>(windows), plat::kPathUnits);
    if (n < 3 || n >= plat::kPathUnits)
        return;
    // The root of the Windows drive: "C:\".
    windows[3] = 0;
    char16_t logo[plat::kPathUnits];
    char16_t backup[plat::kPathUnits];
    plat::copyText(logo, plat::kPathUnits, windows);
    plat::appendText(logo, plat::kPathUnits, u"logo.sys");
    plat::copyText(backup, plat::kPathUnits, windows);
    plat::appendText(backup, plat::kPathUnits, u"logo_sys.ori");

    const bool copied =
        win::CopyFileW(reinterpret_cast<LPCWSTR>(logo), reinterpret_cast<LPCWSTR>(backup), FALSE) != 0;
    // Nothing to back up counts as done; any other failure is tried again at
    // the next start.
    if (!copied && GetLastError() != ERROR_FILE_NOT_FOUND)
        return;
    plat::Registry& reg = plat::activeRegistry();
    plat::RegKey vendor = reg.createKey(plat::Hive::LocalMachine, nullptr, u"Software\\Vorsan");
    if (!vendor)
        return;
    plat::RegKey key = reg.createKey(plat::Hive::LocalMachine, vendor, u"Plochar 2.01");
    if (key) {
        const uint32_t saved = copied ? 1 : 2;
        if (reg.writeValue(key, u"LogoSaved", plat::kRegDword, &saved, sizeof(saved)))
            LogoBackupNeeded = 0;
        reg.closeKey(key);
    }
    reg.closeKey(vendor);
}
