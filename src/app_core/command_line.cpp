#include "app_core/command_line.h"

// Compared unit by unit: a locale-aware comparison could treat the hyphen
// specially.
bool showWindowAtStart(const char16_t* tail) {
    return tail && tail[0] == u'-' && tail[1] == u'd' && tail[2] == 0;
}
