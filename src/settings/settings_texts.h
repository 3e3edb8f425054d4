// User texts of the settings store.
#pragma once

#include "product.h"

namespace settings_texts {
using product::kCaption;
inline constexpr char16_t kImported[] =
    u"Program Plochar importoval své nastavení z minulé verze, která byla naposledy nainstalována na tomto "
    u"počítači.\r\nNastavení, která jsou v této verzi nová, byla nastavena na výchozí hodnotu.";
inline constexpr char16_t kDefaultAutoPause[] = u"Kontrola disku\nDefragmentace disku\nScanDisk\nNero Burning\n";
inline constexpr char16_t kTitlePrefix[] = u"Plochar - ";
inline constexpr char16_t kTitleNewCollection[] = u"Plochar - nová kolekce";
} // namespace settings_texts
