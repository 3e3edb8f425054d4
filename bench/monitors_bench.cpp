// A desktop of two monitors side by side, 2560 x 1440 (primary) and
// 1920 x 1080, showing a 6000 x 4000 camera JPEG fitted to each, composed
// into one 4480 x 1440 BMP (the rest in the desktop colour):
//   ours:     composeMonitors, each part read straight at its size
//   -sample:  convert, two -sample fits (drops pixels, as we do) + -extent
//   -resize:  convert, two -resize fits (filters) + -extent
// Each run is a child process (ours forked from this small one before it
// allocates anything), in turns; wall time and peak resident memory
// (ru_maxrss from wait4) are compared, ours also against the output plus
// 16 MiB.
//
// Usage: monitors_bench [runs]   (default 5)
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_child.h"

#include "desktop_core/monitor_layout.h"
#include "image/compose.h"
#include "image/scale.h"
#include "platform/text.h"

namespace {

const desk::MonitorRect kMonitors[] = {{0, 0, 2560, 1440, true}, {2560, 0, 4480, 1080, false}};
const uint32_t kColour = 0x00302010; // COLORREF
constexpr int32_t kPhotoW = 6000, kPhotoH = 4000;

// The composition in this process; 0 when written.
int composeOurs(const std::string& jpeg, const std::string& out) {
    const std::u16string source = plat::fromUtf8(jpeg), target = plat::fromUtf8(out);
    desk::Placement placements[2];
    for (int i = 0; i < 2; ++i)
        placements[i] = desk::placePicture({desk::kFitted, 1}, kMonitors[i].width(), kMonitors[i].height(), kPhotoW,
                                           kPhotoH);
    ScaledPicture composed;
    int r = composeMonitors(kMonitors, placements, 2, kColour, false,
                            [&](size_t, int32_t w, int32_t h, PackedDib* picture) {
                                SampledPicture s = readSampledPicture(source.c_str(), w, h, 0);
                                *picture = std::move(s.dib);
                                return *picture ? 0 : 1;
                            },
                            &composed);
    return r == 0 && composed.write(target.c_str()) == 1 ? 0 : 1;
}

// convert: the photo fitted into each monitor with `fit` (-sample or
// -resize), centred on a monitor-sized canvas, the two side by side.
std::vector<std::string> magick(const std::string& convert, const std::string& fit, const std::string& in,
                                const std::string& out) {
    std::vector<std::string> c = {convert, in, "-write", "mpr:photo", "+delete", "-background", "#102030"};
    for (const desk::MonitorRect& m : kMonitors) {
        std::string size = std::to_string(m.width()) + "x" + std::to_string(m.height());
        for (const std::string& a : {"(", "mpr:photo", fit.c_str(), size.c_str(), "-gravity", "center", "-extent",
                                     size.c_str(), ")"})
            c.push_back(a);
    }
    for (const std::string& a : {"-gravity", "north", "+append", "-type", "TrueColor", out.c_str()})
        c.push_back(a);
    return c;
}

} // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    char dirTemplate[] = "/tmp/plochar-monitors-bench-XXXXXX";
    if (!mkdtemp(dirTemplate)) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string dir = dirTemplate, jpeg = dir + "/camera.jpg", out = dir + "/ours.bmp";
    const std::string imSample = dir + "/sample.bmp", imResize = dir + "/resize.bmp";
    const std::string convert = access("/usr/bin/convert", X_OK) == 0 ? "/usr/bin/convert" : "convert";
    std::printf("making a 6000x4000 camera-like JPEG in %s ...\n", dir.c_str());
    const std::string make = convert + " -seed 11 -size 1500x1000 plasma:fractal -resize 6000x4000! -attenuate 0.3 "
                                       "+noise Gaussian ppm:- | cjpeg -quality 90 -sample 2x2 > " + jpeg;
    if (std::system(make.c_str()) != 0) {
        std::fprintf(stderr, "cannot make the input (ImageMagick convert and cjpeg are needed)\n");
        return 1;
    }
    const std::vector<std::vector<std::string>> commands = {
        {}, magick(convert, "-sample", jpeg, imSample), magick(convert, "-resize", jpeg, imResize)};
    const char* names[] = {"ours (composeMonitors)", "convert -sample", "convert -resize"};
    std::vector<double> seconds[3];
    std::vector<long> peaks[3];
    bool failed = false;
    for (int i = 0; i < runs; ++i) {
        for (int c = 0; c < 3; ++c) {
            Run r = commands[c].empty() ? runInChild([&] { return composeOurs(jpeg, out); }) : runCommand(commands[c]);
            failed = failed || !r.ok;
            seconds[c].push_back(r.seconds);
            peaks[c].push_back(r.peakKb);
        }
    }
    const long outputKb = (4480L * 3 * 1440 + 54) / 1024, budgetKb = outputKb + 16 * 1024;
    std::printf("\ntwo monitors (2560x1440 + 1920x1080) from 6000x4000, median of %d runs in turns\n", runs);
    for (int c = 0; c < 3; ++c)
        std::printf("  %-26s %7.3f s %9ld KB\n", names[c], median(seconds[c]), median(peaks[c]));
    const double t = median(seconds[0]);
    const double m = static_cast<double>(std::max(median(peaks[0]), 1L));
    for (int c = 1; c < 3; ++c)
        std::printf("  ours against %-16s %5.1fx faster, %5.1fx less memory\n", names[c], median(seconds[c]) / t,
                    static_cast<double>(median(peaks[c])) / m);
    std::printf("  ours peak %ld KB against output %ld KB + 16 MiB = %ld KB: %s\n", median(peaks[0]), outputKb,
                budgetKb, median(peaks[0]) <= budgetKb ? "within" : "OVER");
    if (failed)
        std::printf("  A RUN FAILED\n");
    for (const std::string& f : {jpeg, out, imSample, imResize})
        unlink(f.c_str());
    rmdir(dir.c_str());
    return failed ? 1 : 0;
}
