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

PackedDib readBmp(ByteInput& input, int32_t* abortFlag) {
    int32_t allowInput = abortFlag ? *abortFlag : 0;
    if (abortFlag)
        *abortFlag = 0;

    // The file header, checked against the bytes really there before the
    // size it claims is allocated.
    uint32_t available = 0;
    if (!input.remaining(&available))
        return {};
    uint8_t fileHeader[kBmpFileHeaderBytes];
    if (!readExactly(input, fileHeader, kBmpFileHeaderBytes))
        return {};
    if (readLe16(fileHeader) != kBmpMagic)
        return {};
    uint32_t bfSize = readLe32(fileHeader + 2);
    uint32_t bfOffBits = readLe32(fileHeader + 10);
    if (bfOffBits < kMinOffBits || bfSize < bfOffBits || bfSize > available)
        return {};

    uint32_t blockSize = bfSize - kBmpFileHeaderBytes;
    PackedDib dib = PackedDib::allocate(blockSize);
    if (!dib)
        return {};
    uint8_t* block = dib.data();

    // DIB header and colour table in one read; a header that claims more
    // than the block holds is not a picture.
    uint32_t done = bfOffBits - kBmpFileHeaderBytes;
    if (!readExactly(input, block, done))
        return {};
    uint32_t headerSize = readLe32(block);
    if (headerSize < 12 || headerSize > blockSize)
        return {};

    while (done < blockSize) {
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
    if (!locateDib(dib, &layout))
        return {};
    return dib;
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
