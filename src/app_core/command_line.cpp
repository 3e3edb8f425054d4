#include "app_core/command_line.h"

const char16_t* commandLineTail(const char16_t* line) {
    if (!line)
        return u"";
    if (*line == u'"') {
        ++line;
        while (*line && *line != u'"')
            ++line;
        if (*line == u'"')
            ++line;
    } else {
        while (*line && *line != u' ' && *line != u'\t')
            ++line;
    }
    while (*line == u' ' || *line == u'\t')
        ++line;
    return line;
}

// Compared unit by unit: a locale-aware comparison could treat the hyphen
// specially.
bool showWindowAtStart(const char16_t* tail) {
    return tail && tail[0] == u'-' && tail[1] == u'd' && tail[2] == 0;
}
