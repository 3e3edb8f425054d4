#include "platform/file_io.h"
#include "platform/text.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace plat {
namespace {

// A descriptor is carried as descriptor + 1, so that null stays "no file".
int fd(FileHandle file) { return static_cast<int>(reinterpret_cast<intptr_t>(file)) - 1; }
FileHandle handle(int d) { return d < 0 ? nullptr : reinterpret_cast<FileHandle>(static_cast<intptr_t>(d) + 1); }

std::string native(const char16_t* path) { return toUtf8(path); }

} // namespace

FileHandle openForRead(const char16_t* path, bool sequential) {
    if (!path || !*path)
        return nullptr;
    int d = ::open(native(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (d < 0)
        return nullptr;
    struct stat st;
    if (fstat(d, &st) != 0 || S_ISDIR(st.st_mode)) { // a folder cannot be read as a file
        ::close(d);
        return nullptr;
    }
#ifdef POSIX_FADV_SEQUENTIAL
    if (sequential)
        posix_fadvise(d, 0, 0, POSIX_FADV_SEQUENTIAL);
#else
    (void)sequential;
#endif
    return handle(d);
}

FileHandle createForWrite(const char16_t* path) {
    if (!path || !*path)
        return nullptr;
    return handle(::open(native(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
}

void closeFile(FileHandle file) {
    if (file)
        ::close(fd(file));
}

bool readBytes(FileHandle file, void* buffer, uint32_t n, uint32_t* got) {
    if (got)
        *got = 0;
    if (!file)
        return false;
    uint32_t total = 0;
    while (total < n) { // a regular file delivers all it has; retry on signals
        ssize_t r = ::read(fd(file), static_cast<char*>(buffer) + total, n - total);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (r == 0)
            break;
        total += static_cast<uint32_t>(r);
    }
    if (got)
        *got = total;
    return true;
}

bool writeBytes(FileHandle file, const void* buffer, uint32_t n) {
    if (!file)
        return false;
    uint32_t total = 0;
    while (total < n) {
        ssize_t r = ::write(fd(file), static_cast<const char*>(buffer) + total, n - total);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (r == 0)
            return false;
        total += static_cast<uint32_t>(r);
    }
    return true;
}

bool seekTo(FileHandle file, uint32_t offset) {
    return file && ::lseek(fd(file), static_cast<off_t>(offset), SEEK_SET) == static_cast<off_t>(offset);
}

bool currentPosition(FileHandle file, uint32_t* offset) {
    if (!file)
        return false;
    off_t r = ::lseek(fd(file), 0, SEEK_CUR);
    if (r < 0 || r > static_cast<off_t>(UINT32_MAX))
        return false;
    *offset = static_cast<uint32_t>(r);
    return true;
}

bool fileSize(FileHandle file, uint32_t* size) {
    struct stat st;
    if (!file || fstat(fd(file), &st) != 0 || st.st_size > static_cast<off_t>(UINT32_MAX))
        return false;
    *size = static_cast<uint32_t>(st.st_size);
    return true;
}

bool flushFile(FileHandle file) { return file && ::fsync(fd(file)) == 0; }

bool deleteFile(const char16_t* path) { return path && ::unlink(native(path).c_str()) == 0; }

bool moveReplace(const char16_t* from, const char16_t* to) {
    return from && to && ::rename(native(from).c_str(), native(to).c_str()) == 0;
}

bool moveFile(const char16_t* from, const char16_t* to) {
    if (!from || !to || pathExists(to))
        return false;
    return ::rename(native(from).c_str(), native(to).c_str()) == 0;
}

bool copyFile(const char16_t* from, const char16_t* to, bool failIfExists) {
    if (!from || !to || (failIfExists && pathExists(to)))
        return false;
    FileHandle in = openForRead(from, true);
    if (!in)
        return false;
    FileHandle out = createForWrite(to);
    if (!out) {
        closeFile(in);
        return false;
    }
    char buffer[65536];
    bool ok = true;
    for (;;) {
        uint32_t got = 0;
        if (!readBytes(in, buffer, sizeof buffer, &got)) {
            ok = false;
            break;
        }
        if (got == 0)
            break;
        if (!writeBytes(out, buffer, got)) {
            ok = false;
            break;
        }
    }
    closeFile(in);
    closeFile(out);
    if (!ok)
        deleteFile(to);
    return ok;
}

bool pathExists(const char16_t* path) {
    struct stat st;
    return path && *path && ::stat(native(path).c_str(), &st) == 0;
}

bool createFolder(const char16_t* path) {
    struct stat st;
    if (!path || !*path)
        return false;
    std::string folder = native(path);
    return ::mkdir(folder.c_str(), 0755) == 0 || (::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode));
}

bool setNormalAttributes(const char16_t* path) {
    struct stat st;
    if (!path || ::stat(native(path).c_str(), &st) != 0)
        return false;
    return ::chmod(native(path).c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
}

} // namespace plat
