#include "platform/file_io.h"

#include <windows.h>
#include "platform/win_system.h"

namespace plat {
namespace {

LPCWSTR wide(const char16_t* s) { return reinterpret_cast<LPCWSTR>(s); }

FileHandle fromWin32(HANDLE h) { return h == INVALID_HANDLE_VALUE ? nullptr : h; }

} // namespace

FileHandle openForRead(const char16_t* path, bool sequential) {
    if (!path || !*path)
        return nullptr;
    return fromWin32(win::CreateFileW(wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      sequential ? FILE_FLAG_SEQUENTIAL_SCAN : FILE_ATTRIBUTE_NORMAL,
                                      nullptr));
}

FileHandle createForWrite(const char16_t* path) {
    if (!path || !*path)
        return nullptr;
    return fromWin32(win::CreateFileW(wide(path), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
}

void closeFile(FileHandle file) {
    if (file)
        CloseHandle(file);
}

bool readBytes(FileHandle file, void* buffer, uint32_t n, uint32_t* got) {
    DWORD count = 0;
    BOOL ok = file && ReadFile(file, buffer, n, &count, nullptr);
    if (got)
        *got = ok ? count : 0;
    return ok != FALSE;
}

bool writeBytes(FileHandle file, const void* buffer, uint32_t n) {
    DWORD count = 0;
    return file && WriteFile(file, buffer, n, &count, nullptr) && count == n;
}

bool seekTo(FileHandle file, uint32_t offset) {
    if (!file)
        return false;
    SetLastError(NO_ERROR);
    DWORD r = SetFilePointer(file, static_cast<LONG>(offset), nullptr, FILE_BEGIN);
    return !(r == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
}

bool currentPosition(FileHandle file, uint32_t* offset) {
    if (!file)
        return false;
    SetLastError(NO_ERROR);
    DWORD r = SetFilePointer(file, 0, nullptr, FILE_CURRENT);
    if (r == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
        return false;
    *offset = r;
    return true;
}

bool fileSize(FileHandle file, uint32_t* size) {
    if (!file)
        return false;
    SetLastError(NO_ERROR);
    DWORD r = GetFileSize(file, nullptr);
    if (r == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        return false;
    *size = r;
    return true;
}

bool flushFile(FileHandle file) { return file && FlushFileBuffers(file); }

bool deleteFile(const char16_t* path) {
    return path && win::DeleteFileW(wide(path));
}

bool moveReplace(const char16_t* from, const char16_t* to) {
    return from && to &&
           win::MoveFileExW(wide(from), wide(to), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

bool moveFile(const char16_t* from, const char16_t* to) {
    return from && to && win::MoveFileW(wide(from), wide(to));
}

bool copyFile(const char16_t* from, const char16_t* to, bool failIfExists) {
    return from && to && win::CopyFileW(wide(from), wide(to), failIfExists);
}

bool pathExists(const char16_t* path) {
    return path && *path && win::GetFileAttributesW(wide(path)) != INVALID_FILE_ATTRIBUTES;
}

bool createFolder(const char16_t* path) {
    if (!path || !*path)
        return false;
    if (win::CreateDirectoryW(wide(path), nullptr))
        return true;
    DWORD attributes = win::GetFileAttributesW(wide(path));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool setNormalAttributes(const char16_t* path) {
    return path && win::SetFileAttributesW(wide(path), FILE_ATTRIBUTE_NORMAL);
}

} // namespace plat
