// The picture file layer on the real Win32 API: BMP files through CreateFileW
// handles, FileSource on a caller's handle, and the cancel poll against a
// real message queue.
#include <gtest/gtest.h>

#include <windows.h>

#include "image/bmp_file.h"
#include "image/file_source.h"
#include "image/image_test_util.h"
#include "image/quantize.h"

using namespace imgtest;

namespace {

LPCWSTR W(const std::u16string& s) {
    return reinterpret_cast<LPCWSTR>(s.c_str());
}

HANDLE openExisting(const std::u16string& path) {
    return CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

void drainQueue() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

} // namespace

TEST(Win32Bmp, ReadsAndWritesThroughRealHandles) {
    TempDir dir;
    std::u16string in = writeTemp(dir, solid24(2, 2, 0x405060).file()), out = dir.file(u"out.bmp"),
                   reduced = dir.file(u"q.bmp");
    HANDLE h = openExisting(in);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    int32_t abortFlag = 1;
    PackedDib dib = readBmp(h, &abortFlag);
    CloseHandle(h);
    ASSERT_TRUE(dib);
    EXPECT_EQ(abortFlag, 0);
    ASSERT_EQ(dib.size(), 56u);

    DibLayout l;
    ASSERT_TRUE(locateDib(dib, &l));
    ASSERT_EQ(writeBmpFile(out.c_str(), dib.data(), nullptr, 0, dib.data() + l.pixelOffset, l.stride, 2), 1);
    HANDLE back = openExisting(out);
    ASSERT_NE(back, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileSize(back, nullptr), 70u);
    CloseHandle(back);
    EXPECT_EQ(readAll(out), readAll(in));

    // Reduced file to file through the same layer.
    EXPECT_EQ(quantizeTo256(WallpaperEntry(), in.c_str(), reduced.c_str(), 0, PackedDib(), nullptr), 1);
    EXPECT_NE(GetFileAttributesW(W(reduced)), INVALID_FILE_ATTRIBUTES);

    EXPECT_EQ(writeBmpFile(u"Q:\\no\\such\\folder\\x.bmp", dib.data(), nullptr, 0, dib.data() + l.pixelOffset,
                           l.stride, 2),
              0);
}

TEST(Win32FileSource, AttachedHandleInTheMiddleReadsFromTheStart) {
    TempDir dir;
    HANDLE h = openExisting(writeTemp(dir, {1, 2, 3, 4, 5, 6}, u".jpg"));
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    SetFilePointer(h, 4, nullptr, FILE_BEGIN);
    {
        FileSource source;
        ASSERT_EQ(source.attachHandle(h), 1);
        uint8_t buffer[8] = {};
        bool end = false;
        EXPECT_EQ(source.read(buffer, 8, &end), 6);
        EXPECT_EQ(buffer[0], 1);
        EXPECT_TRUE(end);
    }
    EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), 6u); // a borrowed handle is never closed
    CloseHandle(h);

    FileSource source;
    ASSERT_EQ(source.openFile(writeTemp(dir, {}, u".jpg").c_str()), 1);
    uint8_t b[4];
    bool end = false;
    EXPECT_EQ(source.read(b, 4, &end), 0);
    EXPECT_TRUE(end);
    source.close();
}

TEST(Win32CheckUserAbort, PendingMessagesCancelAsLongAsTheyWait) {
    const struct {
        const char* what;
        UINT message[2];
        WPARAM wParam[2];
        int withInput, unattended;
    } cases[] = {
        {"nothing pending", {0, 0}, {0, 0}, 0, 0},
        {"Escape (keys only with input allowed)", {WM_KEYDOWN, 0}, {VK_ESCAPE, 0}, 1, 0},
        {"another key first hides Escape", {WM_KEYDOWN, WM_KEYDOWN}, {'A', VK_ESCAPE}, 0, 0},
        {"click", {WM_LBUTTONDOWN, 0}, {0, 0}, 1, 0},
        {"click on the frame", {WM_NCLBUTTONDOWN, 0}, {0, 0}, 1, 0},
        {"close request", {WM_CLOSE, 0}, {0, 0}, 1, 1},
        {"end of session", {WM_ENDSESSION, 0}, {0, 0}, 1, 1},
    };
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); // the thread has a queue
    for (const auto& c : cases) {
        drainQueue();
        for (int i = 0; i < 2 && c.message[i]; ++i)
            ASSERT_TRUE(PostThreadMessageW(GetCurrentThreadId(), c.message[i], c.wParam[i], 0)) << c.what;
        // Polling removes nothing: the answer stays until the queue is emptied.
        EXPECT_EQ(CheckUserAbort(1), c.withInput) << c.what;
        EXPECT_EQ(CheckUserAbort(0), c.unattended) << c.what;
        EXPECT_EQ(CheckUserAbort(1), c.withInput) << c.what;
    }
    drainQueue();
}
