// plochar-plk write OUT.plk FOLDER   make three pictures with Czech names in
//                                     FOLDER and save a collection of them
// plochar-plk dump IN.plk            print the entries of a collection file
// plochar-plk make OUT.plk ENTRY...  save a collection of the given pictures;
//                                     ENTRY is PATH or
//                                     PATH|style|fontMode|changeColours|RRGGBB|RRGGBB
//                                     (background and label colours)
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "collection/wallpaper_collection.h"
#include "platform/file_io.h"
#include "platform/text.h"

namespace {

int usage() {
    std::fprintf(stderr, "usage: plochar-plk write OUT.plk FOLDER\n"
                         "       plochar-plk dump IN.plk\n"
                         "       plochar-plk make OUT.plk PATH[|style|fontMode|changeColours|RRGGBB|RRGGBB]...\n");
    return 2;
}

// RRGGBB as people write colours, stored the Windows way (0x00BBGGRR).
bool parseColour(const std::string& text, uint32_t* colour) {
    if (text.size() != 6)
        return false;
    char* end = nullptr;
    unsigned long rgb = std::strtoul(text.c_str(), &end, 16);
    if (*end)
        return false;
    *colour = static_cast<uint32_t>(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
    return true;
}

bool parseNumber(const std::string& text, int32_t low, int32_t high, int32_t* value) {
    char* end = nullptr;
    long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end || v < low || v > high)
        return false;
    *value = static_cast<int32_t>(v);
    return true;
}

int makeCollection(const std::u16string& out, const std::vector<std::u16string>& entries) {
    WallpaperCollection c;
    for (const std::u16string& spec : entries) {
        std::vector<std::string> fields;
        std::string text = plat::toUtf8(spec.c_str());
        size_t start = 0;
        for (size_t bar; (bar = text.find('|', start)) != std::string::npos; start = bar + 1)
            fields.push_back(text.substr(start, bar - start));
        fields.push_back(text.substr(start));
        WallpaperEntry* e = nullptr;
        std::u16string path = plat::fromUtf8(fields[0]);
        if (c.addPath(path.c_str(), &e) != AddOutcome::Added) {
            std::fprintf(stderr, "cannot add %s (missing or twice)\n", fields[0].c_str());
            return 1;
        }
        if (fields.size() == 1)
            continue;
        if (fields.size() != 6 || !parseNumber(fields[1], 0, 3, &e->style) ||
            !parseNumber(fields[2], 1, 2, &e->fontMode) || !parseNumber(fields[3], 0, 1, &e->changeColours) ||
            !parseColour(fields[4], &e->backgroundColour) || !parseColour(fields[5], &e->fontColour)) {
            std::fprintf(stderr, "bad entry: %s\n", text.c_str());
            return 2;
        }
    }
    if (!c.saveToFile(out.c_str())) {
        std::fprintf(stderr, "cannot save %s\n", plat::toUtf8(out.c_str()).c_str());
        return 1;
    }
    return 0;
}

bool makePicture(const std::u16string& path) {
    plat::FileHandle f = plat::createForWrite(path.c_str());
    if (!f)
        return false;
    bool ok = plat::writeBytes(f, "BM", 2);
    plat::closeFile(f);
    return ok;
}

int writeSample(const std::u16string& out, std::u16string folder) {
    if (!folder.empty() && folder.back() != u'/' && folder.back() != u'\\')
        folder += folder.find(u'\\') != std::u16string::npos ? u'\\' : u'/';
    const char16_t* names[] = {u"Žluťoučký kůň.jpg", u"Hory a údolí.bmp", u"Čtvrtý obrázek.jpeg"};
    WallpaperCollection c;
    for (const char16_t* name : names) {
        std::u16string path = folder + name;
        if (!makePicture(path) || c.addPath(path.c_str()) != AddOutcome::Added) {
            std::fprintf(stderr, "cannot make %s\n", plat::toUtf8(path.c_str()).c_str());
            return 1;
        }
    }
    c.slots[0]->style = 3;
    c.slots[1]->fontMode = 2;
    c.slots[1]->changeColours = 1;
    c.slots[1]->backgroundColour = 0x00804020;
    c.slots[2]->fontColour = 0x0000FFFF;
    c.current = c.slots[1];
    if (!c.saveToFile(out.c_str())) {
        std::fprintf(stderr, "cannot save %s\n", plat::toUtf8(out.c_str()).c_str());
        return 1;
    }
    return 0;
}

int dump(const std::u16string& in) {
    WallpaperCollection c;
    if (!c.loadFromFile(in.c_str())) {
        std::fprintf(stderr, "cannot load %s\n", plat::toUtf8(in.c_str()).c_str());
        return 1;
    }
    std::printf("entries %d slots %d\n", c.entryCount(), c.slotCount);
    for (int32_t i = 0; i < c.slotCount; ++i) {
        const WallpaperEntry* e = c.slots[i];
        if (!e)
            continue;
        // The folder differs between the systems; the file name and the
        // settings must not.
        const char16_t* name = e->path;
        for (const char16_t* p = e->path; *p; ++p)
            if (*p == u'/' || *p == u'\\')
                name = p + 1;
        std::printf("%d%s style=%d font=%d colours=%d background=%06X text=%06X name=%s\n", i,
                    e == c.current ? " current" : "", e->style, e->fontMode, e->changeColours, e->backgroundColour,
                    e->fontColour, plat::toUtf8(name).c_str());
    }
    return 0;
}

int run(const std::vector<std::u16string>& args) {
    if (args.size() == 4 && args[1] == u"write")
        return writeSample(args[2], args[3]);
    if (args.size() == 3 && args[1] == u"dump")
        return dump(args[2]);
    if (args.size() >= 3 && args[1] == u"make")
        return makeCollection(args[2], std::vector<std::u16string>(args.begin() + 3, args.end()));
    return usage();
}

} // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY); // UTF-8 bytes as they are
    std::vector<std::u16string> args;
    for (int i = 0; i < argc; ++i)
        args.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
    return run(args);
}
#else
int main(int argc, char** argv) {
    std::vector<std::u16string> args;
    for (int i = 0; i < argc; ++i)
        args.push_back(plat::fromUtf8(argv[i]));
    return run(args);
}
#endif
