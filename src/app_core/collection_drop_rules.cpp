#include "app_core/collection_drop_rules.h"

#include "app_core/collection_page_rules.h"
#include "platform/text.h"

namespace drop {

FoundItem classifyFoundItem(const char16_t* name, bool isDirectory) {
    if (!name || !*name)
        return FoundItem::Skip;
    if (isDirectory)
        return name[0] == u'.' ? FoundItem::Skip : FoundItem::SearchFolder;
    return hasPictureExtension(name) ? FoundItem::AddPicture : FoundItem::Skip;
}

bool folderForSearch(char16_t* dst, const char16_t* folder) {
    dst[0] = 0;
    const size_t length = plat::textLength(folder);
    const bool hasBackslash = length > 0 && folder[length - 1] == u'\\';
    // The folder, perhaps a backslash, "*.*" and the terminator.
    if (length == 0 || length + (hasBackslash ? 0 : 1) + 3 + 1 > kFolderUnits)
        return false;
    plat::copyText(dst, kFolderUnits, folder);
    if (!hasBackslash)
        plat::appendText(dst, kFolderUnits, u"\\");
    return true;
}

bool joinFoundPath(char16_t* dst, size_t units, const char16_t* folderWithBackslash, const char16_t* name) {
    if (!dst || units == 0)
        return false;
    plat::copyText(dst, units, folderWithBackslash);
    plat::appendText(dst, units, name);
    return plat::textLength(folderWithBackslash) + plat::textLength(name) < units;
}

} // namespace drop
