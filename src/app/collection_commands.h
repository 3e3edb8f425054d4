// The collection commands of the configuration window: new, open, save, save
// as, removing missing pictures and the recently used files.
#pragma once

#include <windows.h>

#include <cstdint>

// An exit may write the collection back to CollectionFileName. Only a
// collection that was really loaded (or made) by the program is written.
extern bool CollectionLoaded;

void newCollection(HWND window);
// path null: the open dialog asks for it.
void openCollection(HWND window, const char16_t* path);
// Both true when the collection is now in its file.
bool saveCollection(HWND window);
bool saveCollectionAs(HWND window);
void removeMissingPictures(HWND window);
// slot 0..2: MRU1..MRU3.
void openRecentCollection(HWND window, int slot);

// The open and save dialogs of collection files: true with the chosen path.
// Tests hand in their own answer (null: the real dialogs).
using CollectionFileDialog = bool (*)(HWND owner, bool save, char16_t* path, size_t units);
void setCollectionFileDialog(CollectionFileDialog dialog);
