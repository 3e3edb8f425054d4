// plochar-convert: the picture pipeline's operations on files.
//
//   plochar-convert jpeg [--fast|--accurate] IN.jpg OUT.bmp
//   plochar-convert quantize IN.bmp OUT.bmp
//   plochar-convert scale IN OUT.bmp WIDTH HEIGHT [--keep-aspect]
//   plochar-convert logo IN OUT.bmp [--fast]
//   plochar-convert background IN
//
// Exit status 0 on success, 1 on failure, 2 on wrong usage.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "collection/wallpaper_entry.h"
#include "image/background.h"
#include "image/file_source.h"
#include "image/jpeg/jpeg_decoder.h"
#include "image/jpeg_to_bmp.h"
#include "image/quantize.h"
#include "image/scale.h"
#include "platform/cpu.h"
#include "platform/text.h"

namespace {

int usage() {
    std::fprintf(stderr, "usage:\n"
                         "  plochar-convert jpeg [--fast|--accurate] IN.jpg OUT.bmp\n"
                         "  plochar-convert quantize IN.bmp OUT.bmp\n"
                         "  plochar-convert scale IN OUT.bmp WIDTH HEIGHT [--keep-aspect]\n"
                         "  plochar-convert logo IN OUT.bmp [--fast]\n"
                         "  plochar-convert background IN\n");
    return 2;
}

// The entry the operations read their picture from. The path is taken as
// given: the operations report a missing file themselves.
void setEntryPath(WallpaperEntry& entry, const char* path) {
    std::u16string p = plat::fromUtf8(path);
    plat::copyText(entry.path, plat::kPathUnits, p.c_str());
}

bool parseSide(const char* text, int32_t* value) {
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (!*text || *end || v < 1 || v > 65535)
        return false;
    *value = static_cast<int32_t>(v);
    return true;
}

// The decoder's fault code for a file that failed to convert, for the
// message on stderr.
int32_t decoderFault(const std::u16string& path) {
    FileSource source;
    if (!source.openFile(path.c_str()))
        return 0;
    JpegDecoder decoder(&source, HasMmx != 0);
    if (decoder.errorCode() == 0 && decoder.begin() == 0) {
        const uint8_t* row = nullptr;
        uint32_t bytes = 0;
        while (decoder.decodeScanLine(&row, &bytes) == 0) {
        }
    }
    return decoder.errorCode();
}

int runJpeg(int argc, char** argv) {
    int i = 2;
    HasMmx = 0; // accurate unless asked otherwise
    if (i < argc && std::strcmp(argv[i], "--fast") == 0) {
        HasMmx = detectMmx() ? 1 : 0;
        ++i;
    } else if (i < argc && std::strcmp(argv[i], "--accurate") == 0) {
        ++i;
    }
    if (argc - i != 2)
        return usage();
    std::u16string in = plat::fromUtf8(argv[i]), out = plat::fromUtf8(argv[i + 1]);
    int32_t abortFlag = 0;
    if (convertJpeg(nullptr, in.c_str(), out.c_str(), &abortFlag, nullptr))
        return 0;
    int32_t fault = decoderFault(in);
    if (fault)
        std::fprintf(stderr, "error %d\n", static_cast<int>(fault));
    else
        std::fprintf(stderr, "error: cannot convert %s\n", argv[i]);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return usage();
    std::string command = argv[1];
    WallpaperEntry entry;
    if (command == "jpeg")
        return runJpeg(argc, argv);
    HasMmx = detectMmx();
    if (command == "quantize") {
        if (argc != 4)
            return usage();
        std::u16string in = plat::fromUtf8(argv[2]), out = plat::fromUtf8(argv[3]);
        int r = quantizeTo256(entry, in.c_str(), out.c_str(), 0, PackedDib(), nullptr);
        if (r != 1) {
            std::fprintf(stderr, "error: cannot reduce %s\n", argv[2]);
            return 1;
        }
        return 0;
    }
    if (command == "scale") {
        if (argc != 6 && argc != 7)
            return usage();
        int32_t keepAspect = 0;
        if (argc == 7) {
            if (std::strcmp(argv[6], "--keep-aspect") != 0)
                return usage();
            keepAspect = 1;
        }
        int32_t width = 0, height = 0;
        if (!parseSide(argv[4], &width) || !parseSide(argv[5], &height))
            return usage();
        setEntryPath(entry, argv[2]);
        std::u16string out = plat::fromUtf8(argv[3]);
        int r = scaleToFile(entry, out.c_str(), &width, &height, keepAspect, 0);
        if (r != 0) {
            std::fprintf(stderr, "error: cannot scale %s\n", argv[2]);
            return 1;
        }
        std::printf("%d %d\n", static_cast<int>(width), static_cast<int>(height));
        return 0;
    }
    if (command == "logo") {
        if (argc != 4 && argc != 5)
            return usage();
        int32_t fast = 0;
        if (argc == 5) {
            if (std::strcmp(argv[4], "--fast") != 0)
                return usage();
            fast = 1;
        }
        setEntryPath(entry, argv[2]);
        std::u16string out = plat::fromUtf8(argv[3]);
        if (!buildLogoBitmap(entry, out.c_str(), fast)) {
            std::fprintf(stderr, "error: cannot build a logo from %s\n", argv[2]);
            return 1;
        }
        return 0;
    }
    if (command == "background") {
        if (argc != 3)
            return usage();
        setEntryPath(entry, argv[2]);
        uint32_t colour = 0;
        if (estimateBackground(entry, &colour) != 0) {
            std::fprintf(stderr, "error: cannot estimate %s\n", argv[2]);
            return 1;
        }
        std::printf("%u %u %u\n", colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
        return 0;
    }
    return usage();
}
