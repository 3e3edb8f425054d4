#include "app_core/mru.h"

void mruMoveToFront(char16_t (*mru)[plat::kPathUnits], const char16_t* p) {
    if (!mru || !p || !p[0])
        return;
    int found = -1;
    for (int k = 0; k < 3 && found < 0; ++k)
        if (mru[k][0] && plat::compareTextNoCase(mru[k], p) == 0)
            found = k;
    if (found == 0)
        return;
    // Copy p first: it may be one of the slots that are about to move.
    char16_t path[plat::kPathUnits];
    plat::copyText(path, plat::kPathUnits, p);
    const int shiftFrom = found < 0 ? 2 : found; // the slot that is overwritten
    for (int k = shiftFrom; k > 0; --k)
        plat::copyText(mru[k], plat::kPathUnits, mru[k - 1]);
    plat::copyText(mru[0], plat::kPathUnits, path);
}
