// Every text the settings pages show beyond their templates.
#pragma once

#include "product.h"

namespace page_text {
using product::kCaption;

// "Nastavení".
inline constexpr char16_t kAboutCaption[] = u"O aplikaci";
inline constexpr char16_t kAbout[] = u"              Plochar 2.12\r\n"
                                     u"----------------------------------------\r\n"
                                     u"                  Autor: Vorsan\r\n"
                                     u"\r\n"
                                     u"Web: nápověda Plochar.html vedle programu\r\n"
                                     u"E-mail: viz nápověda, oddíl Kontakt";

// "Kolekce".
// Shown in the preview area whenever there is no preview.
inline constexpr char16_t kProductText[] = u"Plochar 2.12\r\n"
                                           u"\r\n"
                                           u"(c) 2004 Vorsan\r\n"
                                           u"Web: nápověda Plochar.html vedle programu\r\n"
                                           u"Web: Plochar-obrazky vedle programu\r\n"
                                           u"E-mail: viz nápověda, oddíl Kontakt";
inline constexpr const char16_t* kStyles[] = {u"Na střed", u"Vedle sebe", u"Roztáhnout",
                                              u"Roztáhnout proporcionálně"};
inline constexpr char16_t kMixedStyle[] = u" ";
inline constexpr char16_t kWaitNotice[] =
    u"\r\nProsím čekejte, generuji. Operaci zrušíte stisknutím libovolné klávesy.";
inline constexpr char16_t kSampleLabel[] = u"Tento počítač";
inline constexpr char16_t kFontModeText[] = u"Změn barvu &fontu, podklad bude průhledný - čti INFO";
inline constexpr char16_t kFontModeShadow[] = u"Nelze! - vypněte Nastavení 3: \"Podklad vždy průhledný\"";
inline constexpr char16_t kFontModeActiveDesktop[] = u"Nelze! - vypněte systém ActiveDesktop - viz INFO";
inline constexpr char16_t kCancelled[] = u"Operace byla zrušena uživatelem (kliknutí, stisk klávesy...).";
inline constexpr char16_t kEstimateFailed[] =
    u"Operace nelze dokončit, neboť nastala chyba (obrázek neexistuje, má špatný formát,...).";
inline constexpr char16_t kNoMemoryForSelection[] = u"Operace nelze dokončit, neboť není dost paměti.";
inline constexpr char16_t kNoMemory[] = u"Chyba programu při alokaci paměti.";
inline constexpr char16_t kRemoveOne[] = u"Opravdu chcete tapetu \"%s\" odebrat?";
inline constexpr char16_t kRemoveSeveral[] = u"Opravdu chcete vybrané plochar odebrat?";
inline constexpr char16_t kOpenFilter[] =
    u"Obrázky\0*.bmp;*.dib;*.jpg;*.jpeg\0Rastrové obrázky\0*.bmp;*.dib\0JPEG obrázky\0*.jpg;*.jpeg\0";
inline constexpr char16_t kOpenTitle[] = u"Vyberte si prosím tapetu/y:";
inline constexpr char16_t kTooManyChosen[] =
    u"Vybrali jste najednou příliš mnoho tapet, žádná proto nebyla přidána. Vyberte jich prosím méně, nebo "
    u"přetáhněte celý adresář s tapetami do seznamu.";
inline constexpr char16_t kOpenExtension[] = u"bmp";
struct ControlTip {
    int id;
    const char16_t* text;
};
inline constexpr ControlTip kCollectionTips[] = {
    {1018, u"Přidá nové plochar do kolekce."},
    {1022, u"Odstraní vybranou tapetu z kolekce."},
    {1032, u"Setřídí plochar v kolekci dle abecedy."},
    {1033, u"Posune vybranou tapetu o jedno místo výše."},
    {1034, u"Posune vybranou tapetu o jedno místo níže."},
    {1005, u"Pokud zatrženo, při každém vybrání plochar v kolekci se zobrazí náhled."},
    {1083, u"Zobrazí plné a nezkrácené jméno plochar."},
    {1004, u"Určuje, jakým stylem se zobrazí tapeta na ploše."},
    {1021, u"Nastaví vybranou tapetu na Plochu. Vhodné pro testování nastavení."},
    {1029, u"Pokud zatrženo, zobrazí ukázku ikony s popiskem v okně Náhled."},
    {1006,
     u"Při nastavení plochar změní podklad ikon i celé plochy (kam nezasahuje tapeta) a barva fontu bude buď "
     u"černá nebo bílá."},
    {1008, u"Pokud vybráno, podklad ikon bude průhledný a barva fontu bude dle Vašeho výběru. NEFUNGUJE S "
           u"ACTIVEDESKTOP."},
    {1007, u"Změní barvu pro podklad (zobrazena vlevo)."},
    {1009, u"Změní barvu pro font (zobrazena vlevo)."},
    {1066, u"Spočítá vhodnou podkladovou barvu pro tapetu."},
};
inline constexpr char16_t kListAddFailed[] = u"Chyba programu při přidávání plochar \"%s\" do kolekce.";
inline constexpr char16_t kAddPathFailed[] = u"Chyba programu při přidávání plochar \"%s\" do seznamu.";
inline constexpr char16_t kAlreadyInCollection[] =
    u"Tapeta \"%s\" již v kolekci je zařazena.\r\n\r\nChcete i nadále při vkládání dalších tapet zobrazovat "
    u"tuto "
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
