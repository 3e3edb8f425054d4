// Collection files and stored entry records from arbitrary bytes. The first
// byte chooses: even = one entry record (as stored in the registry), odd = a
// whole collection file. A file that loads must save and load back equal.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "collection/wallpaper_collection.h"
#include "platform/file_io.h"
#include "platform/message_box.h"
#include "platform/text.h"

namespace {

int silentBox(void*, const char16_t*, const char16_t*, uint32_t) { return plat::kIdOk; }

std::u16string scratchName(const char* suffix) {
    return plat::fromUtf8("/dev/shm/plochar-fuzz-" + std::to_string(getpid()) + suffix);
}

bool writeFile(const std::u16string& name, const uint8_t* data, size_t size) {
    plat::FileHandle f = plat::createForWrite(name.c_str());
    if (!f)
        return false;
    bool ok = plat::writeBytes(f, data, static_cast<uint32_t>(size));
    plat::closeFile(f);
    return ok;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    plat::setMessageBoxHook(silentBox);
    if (size == 0)
        return 0;
    if ((data[0] & 1) == 0) {
        // An exact-size copy, so that any read past the record is caught.
        size_t length = size - 1;
        uint8_t* record = static_cast<uint8_t*>(std::malloc(length ? length : 1));
        std::memcpy(record, data + 1, length);
        WallpaperEntry e;
        if (e.parse(record, static_cast<int32_t>(length))) {
            int32_t l = 0;
            auto again = e.serialize(&l);
            WallpaperEntry back;
            if (!again || !back.parse(again.get(), l) || !back.equals(e))
                std::abort();
        }
        std::free(record);
        return 0;
    }
    static const std::u16string input = scratchName(".plk");
    static const std::u16string output = scratchName("-out.plk");
    if (!writeFile(input, data + 1, size - 1))
        return 0;
    WallpaperCollection c;
    if (c.loadFromFile(input.c_str())) {
        if (!c.saveToFile(output.c_str()))
            std::abort();
        WallpaperCollection back;
        if (!back.loadFromFile(output.c_str()) || back.entryCount() != c.entryCount())
            std::abort();
        for (int32_t i = 0; i < c.entryCount(); ++i)
            if (!back.slots[i]->equals(*c.slots[i]) || (back.current == back.slots[i]) != (c.current == c.slots[i]))
                std::abort();
    }
    return 0;
}
