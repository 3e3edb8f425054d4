// Every text the settings pages show beyond their templates.
#pragma once

namespace page_text {
inline constexpr char16_t kCaption[] = u"Plochar 2.12";

// "Nastavení".
inline constexpr char16_t kAboutCaption[] = u"O aplikaci";
inline constexpr char16_t kAbout[] = u"              Plochar 2.12\r\n"
                                     u"----------------------------------------\r\n"
                                     u"                  Autor: Vorsan\r\n"
                                     u"\r\n"
                                     u"Web: nápověda Plochar.html vedle programu\r\n"
                                     u"E-mail: viz nápověda, oddíl Kontakt";

// "Kolekce".
inline constexpr char16_t kListAddFailed[] = u"Chyba programu při přidávání plochar \"%s\" do kolekce.";
inline constexpr char16_t kAddPathFailed[] = u"Chyba programu při přidávání plochar \"%s\" do seznamu.";
inline constexpr char16_t kAlreadyInCollection[] =
    u"Tapeta \"%s\" již v kolekci je zařazena.\r\n\r\nChcete i nadále při vkládání dalších tapet zobrazovat tuto "
    u"informaci? Klikněte na Zrušit, chcete-li proces přidávání zastavit.";

// "Nastavení 2".
inline constexpr char16_t kAddTooShort[] = u"min. 3 znaky!";
inline constexpr char16_t kAddSubstring[] = u"&Přidej podřetězec";
inline constexpr char16_t kAlreadyListed[] = u"Tento řetězec již v seznamu je.";
inline constexpr char16_t kRemoveSubstringQuestion[] = u"Opravdu chcete daný řetězec odstranit?";
inline constexpr char16_t kSwitchOn[] = u"&Zapnout";
inline constexpr char16_t kSwitchOff[] = u"&Vypnout";
inline constexpr char16_t kNoActiveDesktop[] =
    u"Na vašem počítači není systém ActiveDesktop vůbec nainstalován. To je dobře:-)).";

// "Win9x logo".
inline constexpr char16_t kLogoDelayTip[] = u"Určuje interval v minutách.";
inline constexpr char16_t kLogoOnlyWin9x[] =
    u"Tato možnost je dostupná pouze pod Windows 9x. Ve Windows 2000/NT nemá tato karta smysl, neboť v tomto "
    u"systému nelze startovní logo systému měnit.";
inline constexpr char16_t kLogoWarning[] =
    u"Důležité!\r\nProgram nenávratně přepíše současné startovní logo Windows! Program jej zazálohoval při svém "
    u"prvním startu do \"[disk s nainstalovanými Windows]:\\logo_sys.ori\" a soubor je tedy z tohoto data.\r\nJe "
    u"doporučeno udělat si zálohu souboru \"[disk s nainstalovanými Windows]:\\logo.sys\" vlastnoručně. Tedy pokud "
    u"tento najdete.\r\nPokud budete chtít vrátit vaše původní logo, stiskněte odpovídající tlačítko na této kartě.";

// Adding dropped files and folders.
inline constexpr char16_t kDropAdded[] = u"Přidáno %i souborů.";
inline constexpr char16_t kDropStopped[] = u"Akce zastavena uživatelem, přidání nekompletní. Přidáno %i souborů.";
inline constexpr char16_t kDropFolderFailed[] = u"Chyba programu při přidávání adresáře tapet \"%s\" do seznamu.";
inline constexpr char16_t kWaitCount[] = u"Nových tapet: %i";
inline constexpr char16_t kListPosition[] = u"# %i/%i";
} // namespace page_text
