#include "app_core/collection_drop_rules.h"

#include "app_core/collection_page_rules.h"
#include "platform/text.h"

#include <new>

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

namespace drop {

namespace {

uint64_t mix(uint64_t h) {
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    return h;
}

uint64_t folderHash(const FolderId& folder) {
    if (folder.byIndex)
        return mix(folder.index ^ mix(folder.volume + 1));
    uint64_t h = 0xCBF29CE484222325ull; // FNV-1a over the folded units
    for (const char16_t* c = folder.path; *c; ++c)
        h = (h ^ plat::foldCase(*c)) * 0x100000001B3ull;
    return mix(h);
}

bool sameFolder(const FolderId& folder, uint64_t index, uint32_t volume, const char16_t* path) {
    if (folder.byIndex != (path == nullptr))
        return false;
    if (folder.byIndex)
        return index == folder.index && volume == folder.volume;
    const char16_t* a = folder.path;
    for (; *a && *path; ++a, ++path)
        if (plat::foldCase(*a) != *path)
            return false;
    return *a == *path;
}

} // namespace

SearchedFolders::~SearchedFolders() {
    for (size_t i = 0; i < capacity_; ++i)
        delete[] slots_[i].path;
    delete[] slots_;
}

bool SearchedFolders::grow() {
    const size_t capacity = capacity_ ? capacity_ * 2 : 64;
    Slot* slots = new (std::nothrow) Slot[capacity]();
    if (!slots)
        return false;
    for (size_t i = 0; i < capacity_; ++i) {
        if (!slots_[i].used)
            continue;
        size_t at = slots_[i].hash & (capacity - 1);
        while (slots[at].used)
            at = (at + 1) & (capacity - 1);
        slots[at] = slots_[i];
    }
    delete[] slots_;
    slots_ = slots;
    capacity_ = capacity;
    return true;
}

bool SearchedFolders::firstVisit(const FolderId& folder) {
    if (!folder.byIndex && !folder.path)
        return true;
    // At most half full, so that a probe ends soon.
    if ((count_ + 1) * 2 > capacity_ && !grow())
        return true;
    const uint64_t hash = folderHash(folder);
    size_t at = hash & (capacity_ - 1);
    for (; slots_[at].used; at = (at + 1) & (capacity_ - 1))
        if (slots_[at].hash == hash &&
            sameFolder(folder, slots_[at].index, slots_[at].volume, slots_[at].path))
            return false;
    Slot slot = {hash, folder.index, folder.volume, true, nullptr};
    if (!folder.byIndex) {
        const size_t length = plat::textLength(folder.path);
        slot.path = new (std::nothrow) char16_t[length + 1];
        if (!slot.path)
            return true;
        for (size_t i = 0; i <= length; ++i)
            slot.path[i] = plat::foldCase(folder.path[i]);
    }
    slots_[at] = slot;
    ++count_;
    return true;
}

} // namespace drop
