// Every text the desktop integration shows, in one place. Its boxes carry
// the program's caption; those shown for a page are owned by the page.
#pragma once

#include "product.h"

namespace desk::text {

using product::kCaption;

// Applying a wallpaper; %s is the picture's full path.
inline constexpr const char16_t* kPictureNotFound = u"Nemohu najít tapetu \"%s\".";
inline constexpr const char16_t* kPictureUnreadable = u"Chyba při práci s tapetou \"%s\" při jejím nastavování.";
inline constexpr const char16_t* kStretchFailed =
    u"Nelze dekomprimovat JPEG tapetu: \"%s\" nebo ji nelze proporcionálně roztáhnout.";
inline constexpr const char16_t* kJpegFailed = u"Nelze dekomprimovat JPEG tapetu: \"%s\".";
inline constexpr const char16_t* kReduceFailed = u"Nelze překonvertovat tapetu: \"%s\" do barevné hloubky 8bitů.";
inline constexpr const char16_t* kRegistryFailed = u"Nelze pracovat s registry.";
// %s is the file or folder that could not be written.
inline constexpr const char16_t* kFileNotWritten = u"Nelze uložit tapetu do souboru \"%s\".";
inline constexpr const char16_t* kFolderNotWritable = u"Nelze zapisovat do složky \"%s\", tapetu nelze nastavit.";

// Icon labels.
inline constexpr const char16_t* kDesktopNotUpdated =
    u"Chyba při aktualizaci plochy. Nastavení se určitě projeví po restartu počítače.";
inline constexpr const char16_t* kShadowNotWritten =
    u"Chyba při zapisování do registru systému, pravděpodobně nemáte příslušná práva. Nastavení nebylo nastaveno.";

// Switching Active Desktop.
inline constexpr const char16_t* kActiveDesktopOn = u"Systém ActiveDesktop byl aktivován.";
inline constexpr const char16_t* kActiveDesktopOff = u"Systém ActiveDesktop byl deaktivován.";
inline constexpr const char16_t* kActiveDesktopNotSwitched =
    u"Systém ActiveDesktop nelze zapnout/vypnout. Nastala chyba. Pravděpodobně máte Windows XP - stav aktivní "
    u"plochy musíte nastavit manuálně: Ovládací panely--Zobrazeni--Plocha--Vlastní nastavení plochy--Web.";

// Restoring the start-up logo.
inline constexpr const char16_t* kRestoreLogoQuestion =
    u"Opravdu chcete obnovit logo Windows, které bylo zazálohováno při 1. spuštěním programu?";
inline constexpr const char16_t* kLogoBackupMissing =
    u"Nemohu najít zálohu loga Windows. Je pravděpodobnost, že pokud program odstraní současné logo, systém si jej "
    u"znovu doplní. Chcete to zkusit?";
inline constexpr const char16_t* kLogoRestored = u"Logo bylo obnoveno.";
inline constexpr const char16_t* kLogoNotRestored = u"Logo nelze obnovit.";
inline constexpr const char16_t* kLogoMaybeRestored = u"Logo bylo snad obnoveno.";

} // namespace desk::text
