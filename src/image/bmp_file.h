// Reading BMP files into a PackedDib and the one procedure by which every
// writer of the pipeline writes a BMP file.
#pragma once

#include <cstdint>

#include "image/packed_dib.h"
#include "platform/file_io.h"

constexpr uint32_t kBmpFileHeaderBytes = 14;
constexpr uint16_t kBmpMagic = 0x4D42; // "BM"

// The pixel part is read in chunks of this size with a cancel poll after
// each, so that a large read can be stopped at once. 64 KiB take a few
// microseconds to read; 1 KiB chunks would cost tens of thousands of system
// calls for a photograph and poll far more often than anyone can press Esc.
constexpr uint32_t kBmpReadChunkBytes = 65536;

// What readBmp reads from: an open file, or bytes in memory (fuzzing, tests).
class ByteInput {
  public:
    virtual ~ByteInput() = default;
    // Reads up to n bytes from the current position; *got is the count.
    virtual bool read(void* buffer, uint32_t n, uint32_t* got) = 0;
    // Bytes from the current position to the end.
    virtual bool remaining(uint32_t* bytes) = 0;
};

class FileInput : public ByteInput {
  public:
    explicit FileInput(plat::FileHandle file) : file_(file) {}
    bool read(void* buffer, uint32_t n, uint32_t* got) override;
    bool remaining(uint32_t* bytes) override;

  private:
    plat::FileHandle file_;
};

class MemoryInput : public ByteInput {
  public:
    MemoryInput(const uint8_t* data, uint32_t size) : data_(data), size_(size) {}
    bool read(void* buffer, uint32_t n, uint32_t* got) override;
    bool remaining(uint32_t* bytes) override;

  private:
    const uint8_t* data_;
    uint32_t size_;
    uint32_t position_ = 0;
};

// Reads a BMP file from the file's current position (callers rewind first)
// into a PackedDib; empty on every failure. *abortFlag is CheckUserAbort's
// allowInput on entry, 0 on return, or 1 when the user cancelled: then the
// block is returned as far as it was read (the rest zero) and the caller
// drops it.
//
// The file header is checked before anything is allocated: bfOffBits must
// leave room for the smallest DIB header, bfSize must hold bfOffBits and must
// not exceed the bytes the file really has. A complete block whose DIB header
// does not fit it (locateDib) is a failure too. The pixels start at
// bfOffBits; a gap before them is left out of the block.
PackedDib readBmp(plat::FileHandle file, int32_t* abortFlag);
PackedDib readBmp(ByteInput& input, int32_t* abortFlag);

// The layout of the block readBmp would make of the file, from its headers
// alone (the file's first 66 bytes at most), by the same checks. For a caller
// that wants to know a file is sound before it copies it, or that reads the
// rows one by one: *pixelsAt (when given) is the file offset of the first
// stored row, the block's layout.pixelOffset being its DIB header and table.
bool readBmpLayout(plat::FileHandle file, DibLayout* layout, uint32_t* pixelsAt = nullptr);
bool readBmpLayout(ByteInput& input, DibLayout* layout, uint32_t* pixelsAt = nullptr);

// Writes header (40 bytes), colour table (entries x 4 bytes) and pixel rows
// (stride x rows bytes) as a BMP file with bfOffBits = 54 + 4 x entries. Any
// failed or short write deletes the file. 1 = written, 0 = failed.
int writeBmpFile(const char16_t* path, const uint8_t* header, const uint8_t* table, uint32_t entries,
                 const uint8_t* pixels, uint32_t stride, uint32_t rows);
