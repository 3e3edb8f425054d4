// The picture file layer on the real Win32 API: BMP files through CreateFileW
// handles, FileSource on a caller's handle, and the cancel poll against a
// real message queue.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "image/bmp_file.h"
#include "image/file_source.h"
#include "image/quantize.h"
#include "platform/cancel.h"

namespace {

LPCWSTR W(const std::u16string& s) { return reinterpret_cast<LPCWSTR>(s.c_str()); }

std::u16string tempFile(const char16_t* name) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    std::u16string p(reinterpret_cast<const char16_t*>(dir));
    return p + name;
}

void writeWhole(const std::u16string& path, const std::vector<uint8_t>& bytes) {
    HANDLE h = CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    if (!bytes.empty())
        WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

// A 2 x 2 24-bit BMP file, bottom-up.
std::vector<uint8_t> smallBmp() {
    std::vector<uint8_t> f(14 + 40 + 16, 0);
    f[0] = 'B', f[1] = 'M';
    f[2] = static_cast<uint8_t>(f.size());
    f[10] = 54;
    uint8_t header[40];
    makeInfoHeader(header, 2, 2, 24, 0, 0);
    std::memcpy(&f[14], header, 40);
    for (int i = 0; i < 16; ++i)
        f[54 + i] = static_cast<uint8_t>(i * 16);
    f[54 + 6] = f[54 + 7] = f[54 + 14] = f[54 + 15] = 0; // row padding
    return f;
}

void drainQueue() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

void post(UINT message, WPARAM wParam = 0) {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); // the thread has a queue
    ASSERT_TRUE(PostThreadMessageW(GetCurrentThreadId(), message, wParam, 0));
}

} // namespace

TEST(Win32Bmp, ReadsAndWritesThroughRealHandles) {
    std::u16string in = tempFile(u"plochar-image-in.bmp"), out = tempFile(u"plochar-image-out.bmp");
    writeWhole(in, smallBmp());
    HANDLE h = CreateFileW(W(in), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    int32_t abortFlag = 1;
    PackedDib dib = readBmp(h, &abortFlag);
    CloseHandle(h);
    ASSERT_TRUE(dib);
    EXPECT_EQ(abortFlag, 0);
    ASSERT_EQ(dib.size(), 56u);

    DibLayout l;
    ASSERT_TRUE(locateDib(dib, &l));
    ASSERT_EQ(writeBmpFile(reinterpret_cast<const char16_t*>(out.c_str()), dib.data(), nullptr, 0,
                           dib.data() + l.pixelOffset, l.stride, 2),
              1);
    HANDLE back = CreateFileW(W(out), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(back, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileSize(back, nullptr), 70u);
    CloseHandle(back);

    // Reduced file to file through the same layer.
    WallpaperEntry entry;
    std::u16string reduced = tempFile(u"plochar-image-q.bmp");
    EXPECT_EQ(quantizeTo256(entry, in.c_str(), reduced.c_str(), 0, PackedDib(), nullptr), 1);
    EXPECT_NE(GetFileAttributesW(W(reduced)), INVALID_FILE_ATTRIBUTES);

    // A file that cannot be created leaves nothing; one that cannot be
    // written to is not left half written.
    EXPECT_EQ(writeBmpFile(u"Q:\\no\\such\\folder\\x.bmp", dib.data(), nullptr, 0, dib.data() + l.pixelOffset,
                           l.stride, 2),
              0);
    DeleteFileW(W(in));
    DeleteFileW(W(out));
    DeleteFileW(W(reduced));
}

TEST(Win32FileSource, AttachedHandleInTheMiddleReadsFromTheStart) {
    std::u16string p = tempFile(u"plochar-image-src.jpg");
    writeWhole(p, {1, 2, 3, 4, 5, 6});
    HANDLE h = CreateFileW(W(p), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
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
    // The source never closes a borrowed handle.
    EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), 6u);
    CloseHandle(h);

    std::u16string empty = tempFile(u"plochar-image-empty.jpg");
    writeWhole(empty, {});
    FileSource source;
    ASSERT_EQ(source.openFile(empty.c_str()), 1);
    uint8_t b[4];
    bool end = false;
    EXPECT_EQ(source.read(b, 4, &end), 0);
    EXPECT_TRUE(end);
    source.close();
    DeleteFileW(W(p));
    DeleteFileW(W(empty));
}

TEST(Win32CheckUserAbort, PendingEscapeCancelsUntilItIsRemoved) {
    drainQueue();
    post(WM_KEYDOWN, VK_ESCAPE);
    EXPECT_EQ(CheckUserAbort(1), 1);
    EXPECT_EQ(CheckUserAbort(1), 1); // nothing was removed
    EXPECT_EQ(CheckUserAbort(0), 0); // unattended runs ignore keys
    drainQueue();
    EXPECT_EQ(CheckUserAbort(1), 0);
}

TEST(Win32CheckUserAbort, AnotherKeyFirstHidesEscape) {
    drainQueue();
    post(WM_KEYDOWN, 'A');
    post(WM_KEYDOWN, VK_ESCAPE);
    EXPECT_EQ(CheckUserAbort(1), 0);
    drainQueue();
}

TEST(Win32CheckUserAbort, ClicksCancelOnlyWithInputAllowed) {
    drainQueue();
    post(WM_LBUTTONDOWN);
    EXPECT_EQ(CheckUserAbort(1), 1);
    EXPECT_EQ(CheckUserAbort(0), 0);
    drainQueue();
    post(WM_NCLBUTTONDOWN);
    EXPECT_EQ(CheckUserAbort(1), 1);
    drainQueue();
}

TEST(Win32CheckUserAbort, CloseRequestCancelsWhateverAllowInput) {
    drainQueue();
    post(WM_CLOSE);
    EXPECT_EQ(CheckUserAbort(0), 1);
    EXPECT_EQ(CheckUserAbort(1), 1);
    drainQueue();
    post(WM_ENDSESSION);
    EXPECT_EQ(CheckUserAbort(0), 1);
    drainQueue();
}

TEST(Win32CheckUserAbort, CancelMenuRequestCountsOnce) {
    drainQueue();
    AbortRequest = 1;
    EXPECT_EQ(CheckUserAbort(1), 0); // not read with input allowed
    EXPECT_EQ(CheckUserAbort(0), 1);
    EXPECT_EQ(CheckUserAbort(0), 0);
    EXPECT_EQ(AbortRequest.load(), 0);
}
