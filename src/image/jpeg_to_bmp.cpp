#include "image/jpeg_to_bmp.h"

#include <memory>
#include <new>

#include "image/bmp_file.h"
#include "image/bmp_row_sink.h"
#include "image/file_source.h"
#include "image/jpeg/jpeg_decoder.h"
#include "image/orient_picture.h"
#include "platform/cancel.h"
#include "platform/cpu.h"

int convertJpeg(plat::FileHandle file, const char16_t* sourcePath, const char16_t* outputPath, int32_t* abortFlag,
                PackedDib* memoryResult, int32_t upright) {
    int32_t allowInput = abortFlag ? *abortFlag : 0;
    if (abortFlag)
        *abortFlag = 0;
    bool toFile = outputPath && *outputPath;
    if (!toFile && !memoryResult)
        return 0;

    // Declared first so that it is torn down last: the decoder detaches from
    // it and the sink is gone before the file closes.
    FileSource source;
    if (file) {
        if (!source.attachHandle(file)) // a given handle wins over the path
            return 0;
    } else if (!sourcePath || !*sourcePath || !source.openFile(sourcePath)) {
        return 0;
    }

    std::unique_ptr<BmpRowSink> sink;
    int32_t orientation = 1;
    {
        std::unique_ptr<JpegDecoder> decoder(new (std::nothrow) JpegDecoder(&source, HasMmx != 0));
        if (!decoder || decoder->errorCode() != 0 || decoder->begin() != 0)
            return 0;
        sink.reset(new (std::nothrow) BmpRowSink());
        if (!sink || !sink->begin(decoder->width(), decoder->height(), decoder->componentCount()))
            return 0;
        for (;;) {
            const uint8_t* row = nullptr;
            uint32_t rowBytes = 0;
            if (decoder->decodeScanLine(&row, &rowBytes) != 0)
                break;
            if (!sink->putRow(row, rowBytes))
                return 0;
            if (CheckUserAbort(allowInput)) {
                if (abortFlag)
                    *abortFlag = 1;
                break;
            }
        }
        if (decoder->errorCode() != 0)
            return 0;
        if (upright)
            orientation = decoder->orientation();
    } // the decoder goes (and lets go of the source) before the sink delivers

    if (orientation < 2 || orientation > 8) {
        if (toFile)
            return sink->saveToFile(outputPath);
        *memoryResult = sink->takePicture();
        return *memoryResult ? 1 : 0;
    }
    PackedDib picture = sink->takePicture();
    DibLayout l;
    if (!picture || !orientToUpright(picture, orientation) || !locateDib(picture, &l))
        return 0;
    if (toFile)
        return writeBmpFile(outputPath, picture.data(), picture.data() + l.tableOffset, l.tableEntries,
                            picture.data() + l.pixelOffset, l.stride, static_cast<uint32_t>(l.rows));
    *memoryResult = std::move(picture);
    return 1;
}
