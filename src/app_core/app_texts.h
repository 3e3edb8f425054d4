// Every user text of the program's core: start-up, tray, pausing and exit.
// Placeholders are those of wsprintfW (%s, %i, %02i).
#pragma once

#include "product.h"

namespace app_texts {
using product::kCaption;
inline constexpr char16_t kCaptionError[] = u"Chyba";

// Start-up and exit.
inline constexpr char16_t kEventFailed[] = u"Chyba programu při tvoření události.";
inline constexpr char16_t kAlreadyRunning[] = u"Program plochar je již spuštěn.";
inline constexpr char16_t kNoMemory[] = u"Nedostatek paměti.";
inline constexpr char16_t kWindowFailed[] = u"Chyba programu při registraci okna.";
inline constexpr char16_t kTabsFailed[] = u"Chyba programu při inicializaci karet.";
inline constexpr char16_t kCannotOpenLast[] = u"Nelze otevřít koleci \"%s\". Vytvořím novou.";
inline constexpr char16_t kCollectionEmpty[] = u"Aktivní kolekce neobsahuje žádné plochar.";
inline constexpr char16_t kLogoFailed[] =
    u"Nastala chyba při tvoření startovního logo systému Windows. Program se jej pokusí vytvořit při příštím "
    u"startu.";
inline constexpr char16_t kQuitChanged[] =
    u"Opravdu chcete program Plochar ukončit? Právě otevřená kolekce bude uložena, stejně jako veškeré nastavení.";
inline constexpr char16_t kQuit[] = u"Opravdu chcete program Plochar ukončit?";
inline constexpr char16_t kSaveFailed[] = u"Chyba ukládání kolekce.";
inline constexpr char16_t kHelpFailed[] = u"Nápovědu se nepodařilo otevřít";

// Tray tooltips.
inline constexpr char16_t kTipFirst[] = u".";
inline constexpr char16_t kTipWindowOpen[] = u"Plochar: činnost pozastavena - otevřené konfigurační okno.";
inline constexpr char16_t kTipEmpty[] = u"Plochar: činnost pozastavena - žádné plochar v kolekci.";
inline constexpr char16_t kTipPaused[] = u"Plochar: činnost pozastavena.";
inline constexpr char16_t kTipAutoPaused[] = u"Plochar: automatická pauza aktivována.";
inline constexpr char16_t kTipNoChange[] = u"Plochar: další změna zakázána.";
inline constexpr char16_t kTipMinuteOne[] = u"Plochar: změna za %i minutu.";
inline constexpr char16_t kTipMinutesFew[] = u"Plochar: změna za %i minuty.";
inline constexpr char16_t kTipMinutesMany[] = u"Plochar: změna za %i minut.";
inline constexpr char16_t kTipHoursMinutes[] = u"Plochar: změna za %i:%02i hodin.";
inline constexpr char16_t kTipOneHour[] = u"Plochar: změna za 1 hodinu.";
inline constexpr char16_t kTipHoursFew[] = u"Plochar: změna za %i hodiny.";
inline constexpr char16_t kTipHoursMany[] = u"Plochar: změna za %i hodin.";
inline constexpr char16_t kTipBusyChange[] = u"Plochar: čekejte prosím, právě zobrazuji tapetu...";
inline constexpr char16_t kTipBusyLogo[] = u"Plochar: čekejte prosím, právě vytvářím startovní logo Windows...";

// Tray menu texts set at run time.
inline constexpr char16_t kMenuCancelAutoPause[] = u"Zruš auto-&pauzu";
inline constexpr char16_t kMenuNoPictures[] = u"žádné plochar v kolekci";
} // namespace app_texts

namespace app_texts {
// Configuration window.
inline constexpr char16_t kCancelQuestion[] =
    u"Opravdu chcete stornovat veškeré Vámi provedené změny (změny v právě otevřené kolekci od posledního uložení "
    u"i veškeré nastavení) od otevření tohoto dialogu?";
} // namespace app_texts

namespace app_texts {
// The configuration window's buttons and collection commands.
inline constexpr char16_t kTipCollection[] =
    u"Umožňuje vytvořit novou kolekci, ULOŽIT ZMĚNY, otevřít kolekci nebo vytřídit neplatné položky.";
inline constexpr char16_t kTipOk[] = u"Potvrdí změny v kolekci i nastavení a uloží kolekci.";
inline constexpr char16_t kTipCancel[] =
    u"Stornuje změny a vrátí kolekci do stavu před zobrazením dialogu nebo před otevřením kolekce. Stornuje též "
    u"změny nastavení.";
inline constexpr char16_t kAskToSave[] = u"Chcete aktuální kolekci uložit?";
inline constexpr char16_t kOpenFailed[] = u"Chyba otevírání kolekce.";
inline constexpr char16_t kRemoveMissingQuestion[] = u"Opravdu chcete smazat neexistující plochar z aktivní kolekce?";
inline constexpr char16_t kRemovedCount[] = u"Bylo odstraněno celkem %i tapet.";
inline constexpr char16_t kDialogFilter[] = u"Kolekce tapet (*.plk)\0*.plk\0";
inline constexpr char16_t kDialogExtension[] = u"plk";
inline constexpr char16_t kOpenTitle[] = u"Otevřít kolekci tapet...";
inline constexpr char16_t kSaveTitle[] = u"Uložit kolekci tapet jako...";
} // namespace app_texts
