#include "image/picture_rows.h"

#include <cstring>
#include <new>

#include "image/bmp_file.h"
#include "image/jpeg/jpeg_decoder.h"
#include "image/rle.h"
#include "platform/cancel.h"
#include "platform/cpu.h"

namespace {

constexpr uint32_t kGreyEntries = 256;

// The layout of the picture the JPEG conversion makes: bottom-up 24 bits,
// or 8 bits with a 256-entry grey ramp. Set by hand: a large JPEG has more
// pixel bytes than a PackedDib's 32-bit size can count.
void jpegLayout(int32_t width, int32_t height, int32_t components, DibLayout* l) {
    *l = DibLayout();
    l->headerSize = kInfoHeaderBytes;
    l->width = width;
    l->rows = height;
    l->bitCount = components == 3 ? 24 : 8;
    l->tableOffset = kInfoHeaderBytes;
    l->tableEntries = l->bitCount == 8 ? kGreyEntries : 0;
    l->entryBytes = 4;
    l->pixelOffset = l->tableOffset + 4 * l->tableEntries;
    l->stride = dibStride(static_cast<uint32_t>(width), l->bitCount);
}

bool readAt(plat::FileHandle file, uint32_t offset, uint8_t* buffer, uint32_t n) {
    uint32_t got = 0;
    return plat::seekTo(file, offset) && plat::readBytes(file, buffer, n, &got) && got == n;
}

} // namespace

PictureRows::PictureRows() = default;

PictureRows::~PictureRows() {
    decoder_.reset(); // lets go of the source before the file closes
    source_.close();
    plat::closeFile(file_);
}

PictureFile PictureRows::openFile(const char16_t* path, int32_t allowInput) {
    file_ = path && *path ? plat::openForRead(path, true) : nullptr;
    if (!file_ || !plat::seekTo(file_, 0))
        return PictureFile::CannotOpen;
    uint8_t magic[3] = {};
    uint32_t got = 0;
    if (!plat::readBytes(file_, magic, 3, &got) || got != 3 || !plat::seekTo(file_, 0))
        return PictureFile::CannotRead;
    if (magic[0] == 'B' && magic[1] == 'M') {
        ready_ = openBmp(allowInput);
        return PictureFile::Bmp;
    }
    if (magic[0] == 0xFF && magic[1] == 0xD8 && magic[2] == 0xFF) {
        ready_ = openJpeg();
        return PictureFile::Jpeg;
    }
    return PictureFile::Unknown;
}

bool PictureRows::openBmp(int32_t allowInput) {
    DibLayout l;
    if (!readBmpLayout(file_, &l, &pixelsAt_))
        return false;
    if (isRlePicture(l)) {
        int32_t abortFlag = allowInput;
        PackedDib packed = plat::seekTo(file_, 0) ? readBmp(file_, &abortFlag) : PackedDib();
        cancelledWhileOpening_ = abortFlag != 0;
        // A cancelled read is expanded as far as it got: its rows stay black.
        if (!expandRle(packed, &owned_) || !locateDib(owned_, &layout_))
            return false;
        front_ = owned_.data();
        memoryRows_ = front_ + layout_.pixelOffset;
        return true;
    }
    owned_ = PackedDib::allocate(l.pixelOffset);
    if (!owned_ || !readAt(file_, kBmpFileHeaderBytes, owned_.data(), l.pixelOffset))
        return false;
    layout_ = l;
    front_ = owned_.data();
    return true;
}

bool PictureRows::openJpeg() {
    if (!source_.attachHandle(file_))
        return false;
    decoder_.reset(new (std::nothrow) JpegDecoder(&source_, HasMmx != 0));
    if (!decoder_ || decoder_->errorCode() != 0 || decoder_->begin() != 0)
        return false;
    int32_t w = decoder_->width(), h = decoder_->height();
    if (w < 1 || h < 1 || w > kMaxDibSide || h > kMaxDibSide)
        return false;
    jpegLayout(w, h, decoder_->componentCount(), &layout_);
    owned_ = PackedDib::allocate(layout_.pixelOffset);
    if (!owned_)
        return false;
    makeInfoHeader(owned_.data(), w, h, layout_.bitCount, 0, 0);
    uint8_t* table = owned_.data() + kInfoHeaderBytes;
    for (uint32_t i = 0; i < layout_.tableEntries; ++i)
        table[4 * i] = table[4 * i + 1] = table[4 * i + 2] = static_cast<uint8_t>(i);
    front_ = owned_.data();
    return true;
}

int32_t PictureRows::orientation() const { return ready_ && decoder_ ? decoder_->orientation() : 1; }

void PictureRows::openMemory(const PackedDib& picture) {
    ready_ = locateDib(picture, &layout_);
    if (ready_ && isRlePicture(layout_)) {
        ready_ = expandRle(picture, &owned_) && locateDib(owned_, &layout_);
        front_ = owned_.data();
    } else {
        front_ = picture.data();
    }
    memoryRows_ = ready_ ? front_ + layout_.pixelOffset : nullptr;
}

RowsResult PictureRows::readRows(const std::vector<bool>& wanted, const std::vector<uint32_t>* columns,
                                 int32_t allowInput, const std::function<void(uint32_t, const uint8_t*)>& take) {
    if (!ready_ || wanted.size() != static_cast<size_t>(layout_.rows))
        return RowsResult::Failed;
    if (decoder_)
        return readJpegRows(wanted, columns, allowInput, take);
    if (memoryRows_)
        return readMemoryRows(wanted, allowInput, take);
    return readFileRows(wanted, allowInput, take);
}

RowsResult PictureRows::readJpegRows(const std::vector<bool>& wanted, const std::vector<uint32_t>* columns,
                                     int32_t allowInput, const std::function<void(uint32_t, const uint8_t*)>& take) {
    std::unique_ptr<uint8_t[]> row(new (std::nothrow) uint8_t[layout_.stride]());
    if (!row)
        return RowsResult::Failed;
    const uint32_t width = static_cast<uint32_t>(layout_.width), rows = static_cast<uint32_t>(layout_.rows);
    const bool colour = layout_.bitCount == 24;
    for (uint32_t top = 0;; ++top) {
        const uint8_t* line = nullptr;
        uint32_t lineBytes = 0;
        if (decoder_->decodeScanLine(&line, &lineBytes) != 0)
            break;
        // The conversion refuses a row more than the frame has, or too short.
        if (top >= rows || !line || lineBytes < width * (colour ? 4u : 1u))
            return RowsResult::Failed;
        if (wanted[top]) {
            uint8_t* dst = row.get();
            if (colour && columns) {
                for (uint32_t x : *columns)
                    dst[3 * x] = line[4 * x + 2], dst[3 * x + 1] = line[4 * x + 1], dst[3 * x + 2] = line[4 * x];
            } else if (colour) {
                for (uint32_t x = 0; x < width; ++x, line += 4, dst += 3)
                    dst[0] = line[2], dst[1] = line[1], dst[2] = line[0];
            } else {
                std::memcpy(dst, line, width);
            }
            take(top, row.get());
        }
        if (CheckUserAbort(allowInput))
            return decoder_->errorCode() != 0 ? RowsResult::Failed : RowsResult::Cancelled;
    }
    return decoder_->errorCode() != 0 ? RowsResult::Failed : RowsResult::Done;
}

RowsResult PictureRows::readFileRows(const std::vector<bool>& wanted, int32_t allowInput,
                                     const std::function<void(uint32_t, const uint8_t*)>& take) {
    std::unique_ptr<uint8_t[]> row(new (std::nothrow) uint8_t[layout_.stride]);
    if (!row)
        return RowsResult::Failed;
    const uint32_t rows = static_cast<uint32_t>(layout_.rows);
    for (uint32_t stored = 0; stored < rows; ++stored) {
        uint32_t top = layout_.topDown ? stored : rows - 1 - stored;
        if (!wanted[top])
            continue;
        // Inside the file: its header was checked to hold every row.
        uint32_t offset = pixelsAt_ + stored * layout_.stride; // below 4 GiB, as the file
        if (!readAt(file_, offset, row.get(), layout_.stride))
            return RowsResult::Failed;
        take(top, row.get());
        if (CheckUserAbort(allowInput))
            return RowsResult::Cancelled;
    }
    return RowsResult::Done;
}

RowsResult PictureRows::readMemoryRows(const std::vector<bool>& wanted, int32_t allowInput,
                                       const std::function<void(uint32_t, const uint8_t*)>& take) {
    const uint32_t rows = static_cast<uint32_t>(layout_.rows);
    for (uint32_t stored = 0; stored < rows; ++stored) {
        uint32_t top = layout_.topDown ? stored : rows - 1 - stored;
        if (!wanted[top])
            continue;
        take(top, memoryRows_ + static_cast<size_t>(stored) * layout_.stride);
        if (CheckUserAbort(allowInput))
            return RowsResult::Cancelled;
    }
    return cancelledWhileOpening_ ? RowsResult::Cancelled : RowsResult::Done;
}
