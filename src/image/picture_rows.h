// A picture read one row at a time, for operations that need only some of its
// rows (fitting it to the screen takes one source row per output row): a JPEG
// is decoded row by row, the rows of a BMP file are read where they lie, and
// nothing holds the whole picture. RLE pictures are the exception: their rows
// can only be found by walking the data from the start, so they are read and
// expanded whole (they are small in practice).
//
// Every row is handed over in the plain DIB form of the picture's layout: a
// JPEG reads as the 24-bit (colour) or 8-bit grey picture with a grey ramp
// that the JPEG conversion makes of it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "image/file_source.h"
#include "image/packed_dib.h"
#include "platform/file_io.h"

class JpegDecoder;

// What a picture file turned out to be, by its first bytes.
enum class PictureFile { CannotOpen, CannotRead, Unknown, Bmp, Jpeg };

enum class RowsResult { Done, Failed, Cancelled };

class PictureRows {
  public:
    PictureRows();
    ~PictureRows();
    PictureRows(const PictureRows&) = delete;
    PictureRows& operator=(const PictureRows&) = delete;

    // Opens the picture: "BM" is a BMP file, FF D8 FF a JPEG. ready() tells
    // whether its headers describe a picture (a JPEG whose frame cannot be
    // decoded or a BMP file that readBmp would refuse is not ready); the
    // operations judge its bit count and compression themselves. The read
    // of an RLE picture polls CheckUserAbort(allowInput); a cancel there is
    // reported by readRows after the rows read so far.
    PictureFile openFile(const char16_t* path, int32_t allowInput);
    // A picture in memory (kept by the caller while this object lives).
    void openMemory(const PackedDib& picture);

    bool ready() const { return ready_; }
    // The picture as a PackedDib of it would be laid out; front() holds its
    // first layout().pixelOffset bytes (header and colour table).
    const DibLayout& layout() const { return layout_; }
    const uint8_t* front() const { return front_; }
    // The Exif orientation of a JPEG (1 for every other picture): the rows
    // are handed over as stored, the caller turns what it makes of them.
    int32_t orientation() const;

    // Reads the rows counted from the top that `wanted` marks (one flag per
    // row), in the order the picture stores them, and calls take(topRow,
    // row) for each. CheckUserAbort(allowInput) runs after every row read (a
    // JPEG decodes every row). Failed on a read error or a decoder fault,
    // even after rows were taken; Cancelled after the row at which the user
    // cancelled. With `columns` given, only those pixels of a row need be
    // right (a JPEG row is converted only there). Rows can be read once.
    RowsResult readRows(const std::vector<bool>& wanted, const std::vector<uint32_t>* columns, int32_t allowInput,
                        const std::function<void(uint32_t topRow, const uint8_t* row)>& take);

  private:
    RowsResult readJpegRows(const std::vector<bool>& wanted, const std::vector<uint32_t>* columns, int32_t allowInput,
                            const std::function<void(uint32_t, const uint8_t*)>& take);
    RowsResult readFileRows(const std::vector<bool>& wanted, int32_t allowInput,
                            const std::function<void(uint32_t, const uint8_t*)>& take);
    RowsResult readMemoryRows(const std::vector<bool>& wanted, int32_t allowInput,
                              const std::function<void(uint32_t, const uint8_t*)>& take);
    bool openBmp(int32_t allowInput);
    bool openJpeg();

    plat::FileHandle file_ = nullptr;
    FileSource source_; // the decoder's view of file_
    std::unique_ptr<JpegDecoder> decoder_;
    PackedDib owned_;                     // header and table, or a whole expanded picture
    const uint8_t* front_ = nullptr;      // into owned_ or the caller's picture
    const uint8_t* memoryRows_ = nullptr; // a picture held whole: its first stored row
    uint32_t pixelsAt_ = 0;               // file offset of the first stored row
    DibLayout layout_;
    bool ready_ = false;
    bool cancelledWhileOpening_ = false;
};
