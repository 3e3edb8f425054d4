// The file operations every layer uses: one Win32 implementation (CreateFileW
// and friends) and one POSIX implementation for native tests and tools.
// Sizes and positions are 32-bit, as the picture and collection formats are.
#pragma once

#include <cstdint>

namespace plat {

// On Windows this is the HANDLE itself, so a handle opened here can be given
// to code that expects a Win32 file handle and the other way round. Null
// means no file.
using FileHandle = void*;

// Opens an existing file for reading, shared for reading. `sequential` is a
// hint for files read once from start to end.
FileHandle openForRead(const char16_t* path, bool sequential = false);

// Creates (or truncates) a file for writing, shared for reading.
FileHandle createForWrite(const char16_t* path);

void closeFile(FileHandle file);

// Reads up to n bytes; *got receives the count (0 at the end of the file).
// False when the read itself failed.
bool readBytes(FileHandle file, void* buffer, uint32_t n, uint32_t* got);

// True only when all n bytes were written.
bool writeBytes(FileHandle file, const void* buffer, uint32_t n);

bool seekTo(FileHandle file, uint32_t offset);
bool currentPosition(FileHandle file, uint32_t* offset);
bool fileSize(FileHandle file, uint32_t* size);

// Forces written data to the disk before a replace makes it the real file.
bool flushFile(FileHandle file);

bool deleteFile(const char16_t* path);

// Moves `from` over `to` in one step, replacing an existing `to`.
bool moveReplace(const char16_t* from, const char16_t* to);

// Plain move that fails when `to` exists (MoveFileW).
bool moveFile(const char16_t* from, const char16_t* to);

bool copyFile(const char16_t* from, const char16_t* to, bool failIfExists);

// The file or folder exists (GetFileAttributesW succeeds).
bool pathExists(const char16_t* path);

// Makes the folder; true when it exists afterwards, made now or before.
bool createFolder(const char16_t* path);

// Clears read-only and similar attributes (FILE_ATTRIBUTE_NORMAL).
bool setNormalAttributes(const char16_t* path);

} // namespace plat
