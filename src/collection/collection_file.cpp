// The collection file (*.plk): magic 0x1235, an entry count, then one block
// per entry (record length, current flag, record).

#include <cstring>
#include <memory>
#include <new>

#include "collection/collection_texts.h"
#include "collection/wallpaper_collection.h"
#include "platform/file_io.h"
#include "platform/message_box.h"

namespace {

constexpr uint16_t kFileMagic = 0x1235;
constexpr uint32_t kFileHeaderBytes = 6;
constexpr uint32_t kBlockHeaderBytes = 5;

void put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}
int32_t get32(const uint8_t* p) {
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                                (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24));
}

bool readExactly(plat::FileHandle file, void* buffer, uint32_t n) {
    uint32_t got = 0;
    return plat::readBytes(file, buffer, n, &got) && got == n;
}

// The file is written beside its final name and moved over it when complete,
// so that a failed save never costs the user the previous file.
void temporaryNameFor(const char16_t* name, char16_t* temp, size_t units) {
    plat::copyText(temp, units, name);
    plat::appendText(temp, units, u".~tmp");
}

bool writeCollection(const WallpaperCollection& c, plat::FileHandle file) {
    uint8_t header[kFileHeaderBytes];
    header[0] = kFileMagic & 0xFF;
    header[1] = kFileMagic >> 8;
    put32(header + 2, static_cast<uint32_t>(c.entryCount()));
    if (!plat::seekTo(file, 0) || !plat::writeBytes(file, header, 2) || !plat::writeBytes(file, header + 2, 4))
        return false;
    if (c.isEmpty())
        return true;
    for (int32_t i = 0; i < c.slotCount; ++i) {
        const WallpaperEntry* e = c.slots[i];
        if (!e)
            continue;
        int32_t length = 0;
        std::unique_ptr<uint8_t[]> record = e->serialize(&length);
        if (!record || length == 0)
            return false;
        uint8_t block[kBlockHeaderBytes];
        put32(block, static_cast<uint32_t>(length));
        block[4] = e == c.current ? 1 : 0;
        if (!plat::writeBytes(file, block, kBlockHeaderBytes) ||
            !plat::writeBytes(file, record.get(), static_cast<uint32_t>(length)))
            return false;
    }
    return true;
}

} // namespace

bool WallpaperCollection::saveToFile(const char16_t* name) const {
    if (!name || !*name)
        return false;
    // The temporary name must itself fit a path buffer, or it would be cut
    // into a different file name.
    constexpr size_t kTempUnits = plat::kPathUnits + 8;
    char16_t temp[kTempUnits];
    temporaryNameFor(name, temp, kTempUnits);
    plat::FileHandle file = plat::createForWrite(temp);
    if (!file)
        return false;
    bool ok = writeCollection(*this, file) && plat::flushFile(file);
    plat::closeFile(file);
    if (ok && plat::moveReplace(temp, name))
        return true;
    plat::deleteFile(temp);
    return false;
}

bool WallpaperCollection::loadFromFile(const char16_t* name) {
    plat::FileHandle file = plat::openForRead(name);
    if (!file)
        return false;
    uint8_t magic[2];
    uint32_t size = 0;
    if (!plat::seekTo(file, 0) || !readExactly(file, magic, 2) || !plat::fileSize(file, &size)) {
        plat::closeFile(file);
        return false;
    }
    clear(); // from here on, what has been read stays in the collection
    if ((magic[0] | (magic[1] << 8)) != kFileMagic) {
        plat::closeFile(file);
        plat::messageBox(nullptr, texts::kBadFileFormat, texts::kCaption, plat::kMbIconWarning);
        return false;
    }
    uint8_t countBytes[4];
    if (!readExactly(file, countBytes, 4)) {
        plat::closeFile(file);
        return false;
    }
    const int32_t n = get32(countBytes);
    // Only a file that ends after its count is empty. A negative count, or a
    // zero one with entries behind it, is damage: reading it as empty would
    // let the next save wipe out the entries.
    if (n < 0 || (n == 0 && size > kFileHeaderBytes)) {
        plat::closeFile(file);
        return false;
    }
    if (n == 0) {
        plat::closeFile(file);
        return true;
    }
    // Every entry takes at least its block header: a count the file cannot
    // hold is damage, not a reason to allocate.
    const uint32_t remaining = size >= kFileHeaderBytes ? size - kFileHeaderBytes : 0;
    if (static_cast<uint32_t>(n) > remaining / kBlockHeaderBytes) {
        plat::closeFile(file);
        return false;
    }
    slots = new (std::nothrow) WallpaperEntry*[static_cast<size_t>(n) + 1]();
    if (!slots) {
        plat::closeFile(file);
        return false;
    }
    slotCount = n + 1;
    uint32_t position = kFileHeaderBytes;
    for (int32_t i = 0; i < n; ++i) {
        uint8_t block[kBlockHeaderBytes];
        if (!readExactly(file, block, kBlockHeaderBytes)) {
            plat::closeFile(file);
            return false;
        }
        position += kBlockHeaderBytes;
        const int32_t length = get32(block);
        if (length < 0 || static_cast<uint32_t>(length) > size - position) {
            plat::closeFile(file);
            return false;
        }
        std::unique_ptr<uint8_t[]> record(new (std::nothrow) uint8_t[static_cast<size_t>(length) + 1]);
        auto* entry = record ? new (std::nothrow) WallpaperEntry() : nullptr;
        if (!entry || !readExactly(file, record.get(), static_cast<uint32_t>(length))) {
            delete entry;
            plat::closeFile(file);
            return false;
        }
        position += static_cast<uint32_t>(length);
        record[length] = 0;
        slots[i] = entry;
        const bool parsed = entry->parse(record.get(), length);
        if (block[4] == 1)
            current = entry;
        if (!parsed) { // the entry stays in its slot with an empty path
            plat::closeFile(file);
            return false;
        }
    }
    plat::closeFile(file);
    return true;
}
