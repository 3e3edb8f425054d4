// Picture pipeline benchmark. Makes its inputs with ImageMagick and cjpeg in
// a scratch folder, then measures:
//  - quantizeTo256 in memory (MP/s) on a 1920x1080 and a 4000x3000 picture;
//  - the whole process "plochar-convert quantize" against
//    "convert IN +dither -colors 256 OUT", alternating runs, wall time and
//    peak memory of each child;
//  - "plochar-convert scale" of a 4000x3000 4:2:0 JPEG (quality 85) into a
//    1920x1080 box against "convert IN -sample 1440x1080 BMP3:OUT";
//  - the background estimate in memory (MP/s).
// Usage: image_bench [runs]   (default 5 runs of each process)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "collection/wallpaper_entry.h"
#include "image/background.h"
#include "image/bmp_file.h"
#include "image/quantize.h"
#include "platform/file_io.h"
#include "platform/text.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct ProcessRun {
    double seconds = 0;
    long peakKb = 0;
    int status = -1;
};

// Runs a program under /usr/bin/time, which forks it from a small process:
// a child spawned straight from this (large) benchmark would report this
// process's resident peak as its own.
ProcessRun runProcess(const std::vector<std::string>& args, const std::string& memoryFile) {
    std::vector<std::string> full = {"/usr/bin/time", "-f", "%M", "-o", memoryFile};
    full.insert(full.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (const auto& a : full)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    ProcessRun run;
    auto start = Clock::now();
    pid_t pid;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return run;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.status = status;
    posix_spawn_file_actions_destroy(&actions);
    if (FILE* f = std::fopen(memoryFile.c_str(), "r")) {
        if (std::fscanf(f, "%ld", &run.peakKb) != 1)
            run.peakKb = 0;
        std::fclose(f);
    }
    return run;
}

bool shell(const std::string& command) { return std::system(command.c_str()) == 0; }

PackedDib loadBmp(const std::string& path) {
    std::u16string p = plat::fromUtf8(path);
    plat::FileHandle f = plat::openForRead(p.c_str());
    if (!f)
        return {};
    int32_t abortFlag = 0;
    PackedDib dib = readBmp(f, &abortFlag);
    plat::closeFile(f);
    return dib;
}

PackedDib copyOf(const PackedDib& dib) {
    PackedDib c = PackedDib::allocate(dib.size());
    if (c)
        std::copy(dib.data(), dib.data() + dib.size(), c.data());
    return c;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Comparison {
    std::vector<double> ours, theirs;
    long oursPeak = 0, theirsPeak = 0;
    bool failed = false;
};

Comparison compare(const std::vector<std::string>& ours, const std::vector<std::string>& theirs, int runs,
                   const std::string& memoryFile) {
    Comparison c;
    for (int i = 0; i < runs; ++i) { // alternate, so that both see the same machine load
        ProcessRun a = runProcess(ours, memoryFile);
        ProcessRun b = runProcess(theirs, memoryFile);
        if (a.status != 0 || b.status != 0)
            c.failed = true;
        c.ours.push_back(a.seconds);
        c.theirs.push_back(b.seconds);
        c.oursPeak = std::max(c.oursPeak, a.peakKb);
        c.theirsPeak = std::max(c.theirsPeak, b.peakKb);
    }
    return c;
}

void report(const char* what, const Comparison& c) {
    double ours = median(c.ours), theirs = median(c.theirs);
    std::printf("%-34s ours %7.3f s %7ld KB | ImageMagick %7.3f s %7ld KB | %5.1fx faster, %4.1fx less memory%s\n",
                what, ours, c.oursPeak, theirs, c.theirsPeak, theirs / ours,
                static_cast<double>(c.theirsPeak) / static_cast<double>(std::max(c.oursPeak, 1L)),
                c.failed ? "  (A RUN FAILED)" : "");
}

double quantizeMps(const PackedDib& picture, int32_t pixels, int repeats) {
    static const WallpaperEntry entry;
    double best = 1e9;
    for (int i = 0; i < repeats; ++i) {
        PackedDib source = copyOf(picture);
        PackedDib result;
        auto start = Clock::now();
        int r = quantizeTo256(entry, nullptr, nullptr, 0, std::move(source), &result);
        double s = std::chrono::duration<double>(Clock::now() - start).count();
        if (r != 1)
            return 0;
        best = std::min(best, s);
    }
    return pixels / best / 1e6;
}

double estimateMps(const PackedDib& picture, int32_t pixels, int repeats) {
    double best = 1e9;
    for (int i = 0; i < repeats; ++i) {
        uint32_t colour = 0;
        auto start = Clock::now();
        if (estimatePictureColour(picture, 0, &colour) != 0)
            return 0;
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return pixels / best / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    char dirTemplate[] = "/tmp/plochar-bench-XXXXXX";
    if (!mkdtemp(dirTemplate)) {
        std::perror("mkdtemp");
        return 1;
    }
    std::string dir = dirTemplate;
    std::string tool = PLOCHAR_CONVERT_TOOL;
    std::string small = dir + "/photo-1920x1080.bmp", big = dir + "/photo-4000x3000.bmp";
    std::string jpeg = dir + "/photo-4000x3000.jpg";

    std::printf("making inputs in %s ...\n", dir.c_str());
    // Plasma fractals: smooth areas, fine detail and hundreds of thousands of
    // distinct colours, as in photographs.
    if (!shell("convert -seed 42 -size 1920x1080 plasma:fractal -depth 8 BMP3:" + small) ||
        !shell("convert -seed 7 -size 4000x3000 plasma:fractal -blur 0x1 -depth 8 BMP3:" + big) ||
        !shell("convert " + big + " ppm:- | cjpeg -quality 85 -sample 2x2 > " + jpeg)) {
        std::fprintf(stderr, "cannot make the inputs (ImageMagick convert and cjpeg are needed)\n");
        return 1;
    }

    PackedDib smallDib = loadBmp(small), bigDib = loadBmp(big);
    if (!smallDib || !bigDib) {
        std::fprintf(stderr, "cannot read the inputs\n");
        return 1;
    }
    std::printf("\nin memory (best of 3)\n");
    std::printf("  quantizeTo256       1920x1080: %7.1f MP/s\n", quantizeMps(smallDib, 1920 * 1080, 3));
    std::printf("  quantizeTo256       4000x3000: %7.1f MP/s\n", quantizeMps(bigDib, 4000 * 3000, 3));
    std::printf("  estimateBackground  4000x3000: %7.1f MP/s\n", estimateMps(bigDib, 4000 * 3000, 3));
    smallDib.reset();
    bigDib.reset();

    std::printf("\nwhole processes, median of %d alternating runs, peak resident memory\n", runs);
    std::string out = dir + "/out.bmp", outIm = dir + "/out-im.bmp", memory = dir + "/peak.txt";
    report("quantize 1920x1080",
           compare({tool, "quantize", small, out}, {"convert", small, "+dither", "-colors", "256", "BMP3:" + outIm}, runs, memory));
    report("quantize 4000x3000",
           compare({tool, "quantize", big, out}, {"convert", big, "+dither", "-colors", "256", "BMP3:" + outIm}, runs, memory));
    report("scale 4000x3000 JPEG -> 1440x1080",
           compare({tool, "scale", jpeg, out, "1920", "1080", "--keep-aspect"},
                   {"convert", jpeg, "-sample", "1440x1080", "BMP3:" + outIm}, runs, memory));

    for (const std::string& f : {small, big, jpeg, out, outIm, memory})
        unlink(f.c_str());
    rmdir(dir.c_str());
    return 0;
}
