#include "app_core/collection_page_rules.h"

#include "platform/text.h"

bool hasPictureExtension(const char16_t* name) {
    if (!name)
        return false;
    const char16_t* dot = nullptr;
    for (const char16_t* p = name; *p; ++p)
        if (*p == u'.')
            dot = p;
        else if (*p == u'\\' || *p == u'/')
            dot = nullptr; // a dot in a folder name is no extension
    if (!dot)
        return false;
    for (const char16_t* ext : {u".bmp", u".dib", u".jpg", u".jpeg"})
        if (plat::compareTextNoCase(dot, ext) == 0)
            return true;
    return false;
}
