// The desktop integration's operations beyond the application core's seam
// (desktop.h): the shell's desktop windows, the label colour setting of
// Windows XP, Active Desktop through COM, and the start-up logo restore.
#pragma once

#include <windows.h>

#include <cstdint>

#include "desktop/desktop.h" // ComInitialized

// CoInitialize once per process (sets ComInitialized); false when COM
// cannot be used. GUI thread only.
bool ensureComInitialized();

// "Progman" "Program Manager" -> "SHELLDLL_DefView" -> "SysListView32", or
// null when any window of the chain is missing.
HWND FindDesktopListView();

// The desktop view holds an "Internet Explorer_Server": Active Desktop runs.
bool IsActiveDesktopOn();

// "ListviewShadow" of Windows XP and later: -1 not on this system, -2 Active
// Desktop is on, else the stored value (0 when unreadable).
int ReadListviewShadow();

// Writes "ListviewShadow" and tells the desktop; reports failures to the user
// in boxes owned by owner. Returns whether the registry write succeeded.
bool SetListviewShadow(HWND owner, bool on);

// Hands the wallpaper to Active Desktop with the style (0 centred, 1 tiled,
// 2 stretched). False on any failure: the caller then uses the registry.
bool setWallpaperThroughActiveDesktop(const char16_t* bmpPath, int32_t style, int32_t activeDesktopFix);

// Active Desktop as the settings page shows it.
struct IActiveDesktop;
enum ActiveDesktopState : int32_t { kActiveDesktopOff = 0, kActiveDesktopOn = 1, kActiveDesktopMissing = 2 };
ActiveDesktopState ReadActiveDesktopState();
// Switches Active Desktop from state (off or on) to the other, tells the user
// the outcome and returns the state now: unchanged when the switch did not
// take. Does nothing for kActiveDesktopMissing. The notice is owned by owner.
ActiveDesktopState ToggleActiveDesktop(HWND owner, ActiveDesktopState state);
// Tests hand in their own object (null: the shell's).
using ActiveDesktopFactory = IActiveDesktop* (*)();
void setActiveDesktopFactory(ActiveDesktopFactory factory);

// Puts back the logo saved at the first start (button "Obnov staré logo").
// Asks and reports itself, in boxes owned by owner.
void RestoreStartupLogo(HWND owner);

// The logo and its backup in the root folder of the Windows drive.
bool startupLogoPaths(char16_t* logo, char16_t* backup, size_t units);
