// Our own baseline, extended-sequential and progressive JPEG decoder. It
// delivers the picture one row at a time, top row first: 1 byte per pixel for
// grey pictures, 4 bytes (R, G, B, 0) for colour ones. Every fault is a
// negative code in errorCode(); nothing is printed or shown.
//
// The public operations below are the whole contract; the state behind them
// belongs to the decoder's implementation.
#pragma once

#include <cstdint>

#include "image/jpeg/jpeg_source.h"

// The decoder's fault codes; their values are stored and compared by callers.
enum JpegError : int32_t {
    kJpegHuffmanTooManySymbols = -200,  // a DHT table lists more than 255 codes
    kJpegHuffmanBadId = -201,           // a DHT table id above 3
    kJpegHuffmanBadLength = -202,       // a DHT segment length not matching its tables
    kJpegQuantBadLength = -203,         // a DQT segment length below 2
    kJpegQuantBadId = -204,             // a DQT table id above 3
    kJpegBadPrecision = -205,           // a frame of other than 8-bit samples
    kJpegBadHeight = -206,              // height 0 or above 8192
    kJpegBadWidth = -207,               // width 0 or above 8192
    kJpegTooManyComponents = -208,      // a frame of more than 4 components
    kJpegFrameBadLength = -209,         // a SOF length not matching its components
    kJpegSegmentBadLength = -210,       // a skipped segment with a length below 2
    kJpegRestartBadLength = -211,       // a DRI segment length other than 4
    kJpegScanBadHeader = -212,          // a SOS length or component count out of range
    kJpegScanUnknownComponent = -213,   // a scan names a component the frame has not
    kJpegArithmeticCoding = -215,       // arithmetic coding (DAC, SOF9)
    kJpegUnexpectedMarker = -216,       // TEM, JPG, RSTn or a missing SOS where a segment belongs
    kJpegNoStartOfImage = -217,         // no FF D8 within the first 513 bytes
    kJpegUnsupportedFrame = -218,       // a frame other than baseline, extended or progressive
    kJpegQuantTruncated = -219,         // a DQT segment shorter than its tables
    kJpegTooManyAllocations = -221,     // the decoder's allocation table is full
    kJpegMissingQuantTable = -222,      // a component's quantisation table never defined
    kJpegMissingHuffmanTable = -223,    // a scan's Huffman table never defined
    kJpegUnsupportedComponents = -225,  // a frame of other than 1 or 3 components
    kJpegUnsupportedSampling = -226,    // sampling factors the decoder has no layout for
    kJpegBadScanData = -227,            // entropy-coded data that decodes to nonsense;
                                        // also what decodeScanLine returns on any fault
    kJpegBadRestart = -228,             // the expected RSTn marker not found
    kJpegLimitExceeded = -229,          // more blocks than the decoder's fixed limits hold
    kJpegBadSpectralSelection = -230,   // a progressive scan's band out of range
    kJpegBadApproximation = -231,       // a progressive scan's bit positions out of sequence
    kJpegSourceFailed = -232,           // no source, or its read failed
    kJpegOutOfMemory = -233,            // an allocation failed or its size overflowed
};

class JpegDecoder {
  public:
    // Reads the stream up to and including the frame header. On a fault the
    // object stays valid with errorCode() non-zero and the source detached.
    // fastTransform selects the fast path (16-bit transform, coefficients
    // kept undequantised); both paths read the entropy-coded data the same
    // way.
    JpegDecoder(JpegSource* source, bool fastTransform);
    ~JpegDecoder();
    JpegDecoder(const JpegDecoder&) = delete;
    JpegDecoder& operator=(const JpegDecoder&) = delete;

    // 0 when ready to deliver rows (also when called again), -1 on a fault.
    int32_t begin();

    // 0 with the next row in *line (lineBytes = unpadded row length), 1 when
    // all rows were delivered, -1 before a successful begin or after an
    // earlier fault, kJpegBadScanData when a fault happens during this call.
    int32_t decodeScanLine(const uint8_t** line, uint32_t* lineBytes);

    int32_t width() const;
    int32_t height() const;
    int32_t componentCount() const;
    int32_t bytesPerPixel() const; // after begin: 1 grey, 4 colour
    int32_t errorCode() const;
    // The Exif orientation read with the header (see exif_orientation.h):
    // 1..8, and 1 without a trustworthy record.
    int32_t orientation() const;

  private:
    struct State;
    State* state_;
};
