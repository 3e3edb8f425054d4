// A whole wallpaper change's heavy step: a 6000 x 4000 camera JPEG (4:2:0,
// quality 90, an EXIF block of about 40 KB) fitted into a 1920 x 1080 screen
// and written as a BMP file, by whole processes:
//   ours:    plochar-convert scale IN OUT.bmp 1920 1080 --keep-aspect
//   -sample: convert IN -sample 1920x1080 OUT.bmp   (drops pixels, as we do)
//   -resize: convert IN -resize 1920x1080 OUT.bmp   (filters)
// The three take turns, wall time and peak resident memory (ru_maxrss of the
// child from wait4) of each run; medians and ratios are printed.
//
// Usage: fit_bench [runs]   (default 7)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench_child.h"

namespace {

bool shell(const std::string& command) { return std::system(command.c_str()) == 0; }

// The file with an APP1 "Exif" block right after SOI, as cameras write it: a
// little-endian TIFF header and one IFD whose ImageDescription text fills the
// block to `bytes` (cameras put a thumbnail and maker notes there).
bool addExif(const std::string& in, const std::string& out, uint32_t bytes) {
    FILE* f = std::fopen(in.c_str(), "rb");
    if (!f)
        return false;
    std::vector<uint8_t> jpeg;
    for (int c; (c = std::fgetc(f)) != EOF;)
        jpeg.push_back(static_cast<uint8_t>(c));
    std::fclose(f);
    if (jpeg.size() < 4 || jpeg[0] != 0xFF || jpeg[1] != 0xD8)
        return false;
    const uint32_t textOffset = 8 + 2 + 12 + 4; // TIFF header, IFD count, one entry, next IFD
    const uint32_t textBytes = bytes - 2 - 6 - textOffset;
    std::vector<uint8_t> tiff = {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0};
    auto put16 = [&](uint32_t v) { tiff.insert(tiff.end(), {uint8_t(v), uint8_t(v >> 8)}); };
    auto put32 = [&](uint32_t v) { put16(v & 0xFFFF), put16(v >> 16); };
    put16(0x010E), put16(2), put32(textBytes), put32(textOffset), put32(0);
    for (uint32_t i = 0; i + 1 < textBytes; ++i)
        tiff.push_back(static_cast<uint8_t>('A' + i % 26));
    tiff.push_back(0);
    const uint32_t length = 2 + 6 + static_cast<uint32_t>(tiff.size());
    std::vector<uint8_t> app1 = {0xFF, 0xE1, uint8_t(length >> 8), uint8_t(length), 'E', 'x', 'i', 'f', 0, 0};
    app1.insert(app1.end(), tiff.begin(), tiff.end());
    jpeg.insert(jpeg.begin() + 2, app1.begin(), app1.end());
    f = std::fopen(out.c_str(), "wb");
    bool ok = f && std::fwrite(jpeg.data(), 1, jpeg.size(), f) == jpeg.size();
    if (f)
        ok = std::fclose(f) == 0 && ok;
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    char dirTemplate[] = "/tmp/plochar-fit-bench-XXXXXX";
    if (!mkdtemp(dirTemplate)) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string dir = dirTemplate, plain = dir + "/plain.jpg", jpeg = dir + "/camera.jpg";
    const std::string out = dir + "/out.bmp", imSample = dir + "/sample.bmp", imResize = dir + "/resize.bmp";
    // The real ImageMagick, not a wrapper script in front of it.
    const std::string convert = access("/usr/bin/convert", X_OK) == 0 ? "/usr/bin/convert" : "convert";

    std::printf("making a 6000x4000 camera-like JPEG in %s ...\n", dir.c_str());
    // Plasma for the scene, mild Gaussian noise for the sensor: a file of the
    // size a camera writes at this quality.
    if (!shell(convert + " -seed 11 -size 1500x1000 plasma:fractal -resize 6000x4000! -attenuate 0.3 +noise "
                         "Gaussian ppm:- | cjpeg -quality 90 -sample 2x2 > " + plain) ||
        !addExif(plain, jpeg, 40000)) {
        std::fprintf(stderr, "cannot make the input (ImageMagick convert and cjpeg are needed)\n");
        return 1;
    }
    unlink(plain.c_str());
    if (FILE* f = std::fopen(jpeg.c_str(), "rb")) {
        std::fseek(f, 0, SEEK_END);
        std::printf("input: %ld bytes, 4:2:0, quality 90, 40000-byte APP1 Exif\n", std::ftell(f));
        std::fclose(f);
    }

    const std::vector<std::vector<std::string>> commands = {
        {PLOCHAR_CONVERT_TOOL, "scale", jpeg, out, "1920", "1080", "--keep-aspect"},
        {convert, jpeg, "-sample", "1920x1080", imSample},
        {convert, jpeg, "-resize", "1920x1080", imResize},
    };
    const char* names[] = {"ours (plochar-convert scale)", "convert -sample", "convert -resize"};
    std::vector<double> seconds[3];
    std::vector<long> peaks[3];
    bool failed = false;
    for (int i = 0; i < runs; ++i) { // in turns, so that all see the same machine load
        for (int c = 0; c < 3; ++c) {
            Run r = runCommand(commands[c]);
            failed = failed || !r.ok;
            seconds[c].push_back(r.seconds);
            peaks[c].push_back(r.peakKb);
        }
    }
    rusage self = {};
    getrusage(RUSAGE_SELF, &self);
    std::printf("\nfit into 1920x1080 and write a BMP, median of %d runs in turns (this program: %ld KB)\n", runs,
                self.ru_maxrss);
    for (int c = 0; c < 3; ++c)
        std::printf("  %-30s %7.3f s %9ld KB\n", names[c], median(seconds[c]), median(peaks[c]));
    const double t = median(seconds[0]);
    const double m = static_cast<double>(std::max(median(peaks[0]), 1L));
    for (int c = 1; c < 3; ++c)
        std::printf("  ours against %-17s %5.1fx faster, %5.1fx less memory\n", names[c], median(seconds[c]) / t,
                    static_cast<double>(median(peaks[c])) / m);
    const bool goal = median(seconds[1]) / t >= 3 && static_cast<double>(median(peaks[1])) / m >= 10;
    std::printf("  goal (>= 3x faster, <= 1/10 the memory of -sample): %s\n", goal ? "met" : "NOT MET");
    if (failed)
        std::printf("  A RUN FAILED\n");

    for (const std::string& f : {jpeg, out, imSample, imResize})
        unlink(f.c_str());
    rmdir(dir.c_str());
    return failed ? 1 : 0;
}
