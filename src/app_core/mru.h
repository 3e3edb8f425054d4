// The order of the recently used collection files.
#pragma once

#include "platform/text.h"

// Moves path p to the front of the three slots (slot 0 most recent); a path
// already present is found case-insensitively and moved rather than repeated.
void mruMoveToFront(char16_t (*mru)[plat::kPathUnits], const char16_t* p);
