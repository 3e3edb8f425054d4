// The preview of a large picture: time from reading the file to the painted
// preview control, and the process's peak memory, for one picture given on
// the command line. Run under Wine by preview_bench.sh; prints figures only.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "collection/wallpaper_entry.h"
#include "image/preview_picture.h"
#include "pages/preview.h"
#include "platform/cpu.h"
#include "platform/text.h"

namespace {

double now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double megabytes(SIZE_T bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: preview_bench PICTURE [runs]\n");
        return 2;
    }
    const int runs = argc >= 3 ? std::max(1, _wtoi(argv[2])) : 3;
    HasMmx = detectMmx(); // the decoder path the program takes on this processor
    // The page's preview control: 100 x 66 dialog units of 8-point text.
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300,
                                  nullptr, nullptr, nullptr, nullptr);
    HWND preview = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_SUNKEN, 10, 10, 150, 107,
                                   window, nullptr, nullptr, nullptr);
    if (!preview)
        return 1;
    WallpaperEntry entry;
    plat::copyText(entry.path, plat::kPathUnits, reinterpret_cast<const char16_t*>(argv[1]));
    PROCESS_MEMORY_COUNTERS before = {};
    GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof before);
    std::vector<double> seconds;
    for (int i = 0; i < runs; ++i) {
        entry.releasePreview();
        const double start = now();
        const int built = buildPreview(entry, preview);
        paintPreview(entry, preview, FALSE);
        GdiFlush();
        seconds.push_back(now() - start);
        if (!built) {
            std::fprintf(stderr, "no preview: %s\n", plat::toUtf8(entry.previewInfo).c_str());
            return 1;
        }
    }
    // The part of it that reads and decodes the file.
    double readSeconds = 1e9;
    for (int i = 0; i < runs; ++i) {
        const double start = now();
        RECT client = {};
        GetClientRect(preview, &client);
        const PreviewPicture picture = readPreviewPicture(entry.path, client.right, client.bottom);
        readSeconds = std::min(readSeconds, now() - start);
    }
    PROCESS_MEMORY_COUNTERS after = {};
    GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof after);
    std::sort(seconds.begin(), seconds.end());
    std::printf("picture: %s\n", plat::toUtf8(entry.previewInfo).c_str());
    std::printf("selection to painted preview: best %.3f s, median %.3f s, worst %.3f s (%d runs)\n",
                seconds.front(), seconds[seconds.size() / 2], seconds.back(), runs);
    std::printf("of which reading the picture: best %.3f s\n", readSeconds);
    std::printf("peak working set: %.1f MB (%.1f MB before the first preview)\n",
                megabytes(after.PeakWorkingSetSize), megabytes(before.WorkingSetSize));
    DestroyWindow(window);
    return 0;
}
