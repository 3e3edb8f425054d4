// Where the program keeps the files it writes for the desktop ("desktop.bmp"
// and the intermediate "~krok1.bmp"): its own folder, as it always has, when
// it may write there; otherwise a folder of the user's own, so that a program
// installed where only administrators write (Program Files) still works.
#pragma once

#include <cstddef>

namespace plat {

// The working folder, ending with a separator. Decided at the first call
// that finds one by creating and removing a probe file: the program's
// folder, else %LOCALAPPDATA%\Plochar (made when missing), or %APPDATA%\Plochar
// where LOCALAPPDATA is not set (Windows 2000 and XP); Windows 9x has
// neither and keeps to the program's folder. False when no folder can be
// written: `out` then names the folder tried last, for the user's message,
// and the next call tries again.
bool workingFolder(char16_t* out, size_t units);

// The path of fileName in the working folder; false as above.
bool workingFolderFile(const char16_t* fileName, char16_t* out, size_t units);

// Tests: pretend the program lives in `folder` (ending with a separator;
// null: its real folder), and decide anew at the next call.
void overrideProgramFolder(const char16_t* folder);

} // namespace plat
