#include "image/bmp_file.h"

#include <algorithm>
#include <cstring>

#include "platform/cancel.h"

namespace {

// The smallest DIB header (core, 12 bytes) after the file header.
constexpr uint32_t kMinOffBits = kBmpFileHeaderBytes + 12;

bool readExactly(ByteInput& input, uint8_t* buffer, uint32_t n) {
    uint32_t got = 0;
    return input.read(buffer, n, &got) && got == n;
}

} // namespace

bool FileInput::read(void* buffer, uint32_t n, uint32_t* got) { return plat::readBytes(file_, buffer, n, got); }

bool FileInput::remaining(uint32_t* bytes) {
    uint32_t position = 0, size = 0;
    if (!plat::currentPosition(file_, &position) || !plat::fileSize(file_, &size))
        return false;
    *bytes = size > position ? size - position : 0;
    return true;
}

bool MemoryInput::read(void* buffer, uint32_t n, uint32_t* got) {
    uint32_t count = std::min(n, size_ - position_);
    if (count)
        std::memcpy(buffer, data_ + position_, count);
    position_ += count;
    *got = count;
    return true;
}

bool MemoryInput::remaining(uint32_t* bytes) {
    *bytes = size_ - position_;
    return true;
}

PackedDib readBmp(plat::FileHandle file, int32_t* abortFlag) {
    if (!file) {
        if (abortFlag)
            *abortFlag = 0;
        return {};
    }
    FileInput input(file);
    return readBmp(input, abortFlag);
}

namespace {

struct BmpFileHeader {
    uint32_t size = 0;    // bfSize
    uint32_t offBits = 0; // bfOffBits
};

// The file header, checked against the bytes really there before the size
// it claims is allocated or believed.
bool readFileHeader(ByteInput& input, BmpFileHeader* header) {
    uint32_t available = 0;
    uint8_t bytes[kBmpFileHeaderBytes];
    if (!input.remaining(&available) || !readExactly(input, bytes, kBmpFileHeaderBytes) ||
        readLe16(bytes) != kBmpMagic)
        return false;
    header->size = readLe32(bytes + 2);
    header->offBits = readLe32(bytes + 10);
    return header->offBits >= kMinOffBits && header->size >= header->offBits && header->size <= available;
}

// Places the block the file gives. head holds its first headBytes bytes in
// file order. A gap that bfOffBits leaves between the colour table and the
// pixels is dropped (*gap), so that the pixels follow the table as every
// consumer expects; a table that runs past bfOffBits keeps the pixels right
// behind it, as such files have always been read.
bool placeBlock(const uint8_t* head, uint32_t headBytes, const BmpFileHeader& file, DibLayout* layout,
                uint32_t* gap) {
    uint32_t whole = file.size - kBmpFileHeaderBytes, front = file.offBits - kBmpFileHeaderBytes;
    DibLayout asStored;
    if (!locateDibHeader(head, headBytes, whole, &asStored))
        return false;
    *gap = asStored.pixelOffset < front ? front - asStored.pixelOffset : 0;
    return locateDibHeader(head, headBytes, whole - *gap, layout);
}

} // namespace

PackedDib readBmp(ByteInput& input, int32_t* abortFlag) {
    int32_t allowInput = abortFlag ? *abortFlag : 0;
    if (abortFlag)
        *abortFlag = 0;
    BmpFileHeader file;
    if (!readFileHeader(input, &file))
        return {};
    uint32_t blockSize = file.size - kBmpFileHeaderBytes;
    PackedDib dib = PackedDib::allocate(blockSize);
    if (!dib)
        return {};
    uint8_t* block = dib.data();

    // DIB header and colour table in one read, then the pixels in chunks.
    uint32_t front = file.offBits - kBmpFileHeaderBytes;
    if (!readExactly(input, block, front))
        return {};
    for (uint32_t done = front; done < blockSize;) {
        uint32_t chunk = std::min(blockSize - done, kBmpReadChunkBytes);
        if (!readExactly(input, block + done, chunk))
            return {};
        done += chunk;
        if (CheckUserAbort(allowInput)) {
            if (abortFlag)
                *abortFlag = 1;
            return dib;
        }
    }

    DibLayout layout;
    uint32_t gap = 0;
    if (!placeBlock(block, blockSize, file, &layout, &gap))
        return {};
    if (gap) {
        std::memmove(block + layout.pixelOffset, block + front, blockSize - front);
        dib.shrink(blockSize - gap);
    }
    return dib;
}

bool readBmpLayout(ByteInput& input, DibLayout* layout, uint32_t* pixelsAt) {
    BmpFileHeader file;
    if (!layout || !readFileHeader(input, &file))
        return false;
    uint8_t head[kDibFieldBytes] = {};
    uint32_t headBytes = std::min(file.size - kBmpFileHeaderBytes, kDibFieldBytes);
    uint32_t gap = 0;
    if (!readExactly(input, head, headBytes) || !placeBlock(head, headBytes, file, layout, &gap))
        return false;
    // Behind a gap the rows start at bfOffBits, else right behind the table.
    if (pixelsAt)
        *pixelsAt = std::max(file.offBits, kBmpFileHeaderBytes + layout->pixelOffset);
    return true;
}

bool readBmpLayout(plat::FileHandle file, DibLayout* layout, uint32_t* pixelsAt) {
    if (!file)
        return false;
    FileInput input(file);
    return readBmpLayout(input, layout, pixelsAt);
}

int writeBmpFile(const char16_t* path, const uint8_t* header, const uint8_t* table, uint32_t entries,
                 const uint8_t* pixels, uint32_t stride, uint32_t rows) {
    uint64_t tableBytes = static_cast<uint64_t>(entries) * 4;
    uint64_t pixelBytes = static_cast<uint64_t>(stride) * rows;
    uint64_t offBits = kBmpFileHeaderBytes + kInfoHeaderBytes + tableBytes;
    uint64_t fileBytes = offBits + pixelBytes;
    // A file whose size does not fit its own header is never started.
    if (!path || !*path || !header || fileBytes > UINT32_MAX || (tableBytes && !table) || (pixelBytes && !pixels))
        return 0;

    plat::FileHandle file = plat::createForWrite(path);
    if (!file)
        return 0;
    uint8_t fileHeader[kBmpFileHeaderBytes] = {};
    writeLe16(fileHeader, kBmpMagic);
    writeLe32(fileHeader + 2, static_cast<uint32_t>(fileBytes));
    writeLe32(fileHeader + 10, static_cast<uint32_t>(offBits));

    bool ok = plat::seekTo(file, 0) && plat::writeBytes(file, fileHeader, kBmpFileHeaderBytes) &&
              plat::writeBytes(file, header, kInfoHeaderBytes) &&
              (tableBytes == 0 || plat::writeBytes(file, table, static_cast<uint32_t>(tableBytes))) &&
              (pixelBytes == 0 || plat::writeBytes(file, pixels, static_cast<uint32_t>(pixelBytes)));
    plat::closeFile(file);
    if (!ok) {
        plat::deleteFile(path);
        return 0;
    }
    return 1;
}
