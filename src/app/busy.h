// Long operations on the user-interface thread: the busy tray status, the
// busy flag and the cancel popup that a right click opens meanwhile.
#pragma once

#include <cstdint>

#include "collection/wallpaper_collection.h"

// Whether a long operation runs. Its message polling and its error boxes
// re-enter the window procedure: nothing may start another one meanwhile.
bool isBusy();

// Runs operation(context) as a busy operation and returns its result.
int32_t runBusy(bool buildingLogo, int32_t (*operation)(void* context), void* context);

// A busy change of the picture with pickAndShow and the apply operation.
// Returns the chosen entry or null.
WallpaperEntry* busyChange(int32_t mode, ApplyFunction apply, void* applyContext);

// Starts the thread that shows the cancel popup (menu 124) at the cursor.
void startCancelPopup();
