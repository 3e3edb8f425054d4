// Reconstruction in the JPEG decoder (see jpeg_decoder_internal.h): an MCU
// row of coefficients to samples through the transforms, colour conversion,
// and the rows handed out one at a time.
#include <cstring>

#include "image/jpeg/jpeg_decoder_internal.h"
#include "image/jpeg/jpeg_idct.h"
#include "image/jpeg/jpeg_sample.h"

using namespace jpeg;

void JpegDecoder::State::loadMcuRowFromBuffers() {
    const int32_t row = mcuRowIndex++;
    for (int32_t m = 0; m < mcusPerRow; ++m) {
        for (int32_t b = 0; b < blocksPerMcu; ++b) {
            const int32_t c = mcuOrder[b];
            const CoefBuffer& buf = comp[c].coefs;
            const size_t index = mcuBlockIndex(b, m, row, componentCount > 1);
            const int16_t* src = buf.data + index * 64;
            const int32_t slot = m * blocksPerMcu + mcuSlot[b];
            int16_t* dst = blocks + slot * 64;
            const int16_t* q = quant[comp[c].quantSelector];
            if (progressive && buf.nonzero[index] == 0) {
                // Only the DC value, which is all the transform looks at.
                const int16_t dc = buf.dc[index];
                dst[0] = fastIdct || dc == 0 ? dc : static_cast<int16_t>(dc * q[0]);
                blockEnd[slot] = 1;
                continue;
            }
            if (fastIdct) {
                std::memcpy(dst, src, 64 * sizeof(int16_t));
                if (progressive) dst[0] = buf.dc[index];
            } else {
                for (int32_t k = 0; k < 64; ++k) {
                    const int32_t z = kNaturalOrder[k];
                    const int16_t v = z == 0 && progressive ? buf.dc[index] : src[z];
                    dst[z] = v != 0 ? static_cast<int16_t>(v * q[k]) : int16_t(0);
                }
            }
            blockEnd[slot] = 64;
        }
    }
}

void JpegDecoder::State::transformMcuRow() {
    // Fast path with AVX2: blocks wait for a partner and go two at a time.
    const bool pairs = fastIdct && avx2;
    // Chosen here, not per block: one call per block to the transform itself.
    const bool simd = jpeg::idctHasSimd();
    const int16_t* waitingCoefs = nullptr;
    const int16_t* waitingQuant = nullptr;
    uint8_t* waitingOut = nullptr;
    int32_t waitingStride = 0;
    // Where each block of the MCU goes in its plane, for the first MCU.
    uint8_t* firstOut[6];
    for (int32_t b = 0; b < blocksPerMcu; ++b) {
        const Component& c = comp[slotComponent[b]];
        const int32_t ci = slotComponent[b], sub = b - c.firstSlot;
        firstOut[b] = plane[ci] + (sub / c.geomH) * 8 * planeStride[ci] + (sub % c.geomH) * 8;
    }
    for (int32_t m = 0; m < mcusPerRow; ++m) {
        for (int32_t b = 0; b < blocksPerMcu; ++b) {
            const int32_t slot = m * blocksPerMcu + b;
            const int16_t* coefs = blocks + slot * 64;
            const Component& c = comp[slotComponent[b]];
            const int32_t stride = planeStride[slotComponent[b]];
            uint8_t* out = firstOut[b] + m * c.geomH * 8;
            const int16_t* q = quant[c.quantSelector];
            if (blockEnd[slot] <= 1) {
                // Only the DC value: both transforms give one flat value.
                int32_t v;
                if (fastIdct) {
                    v = static_cast<int16_t>(coefs[0] * q[0]) >> 5;
                } else {
                    v = (static_cast<int16_t>(coefs[0] * 4) + 16) >> 5;
                }
                for (int32_t r = 0; r < 8; ++r) std::memset(out + r * stride, jpeg::clampSample(v + 128), 8);
            } else if (pairs) {
                if (waitingCoefs == nullptr) {
                    waitingCoefs = coefs, waitingQuant = q, waitingOut = out, waitingStride = stride;
                } else {
                    jpeg::idctFastPairAvx2(waitingCoefs, waitingQuant, waitingOut, waitingStride, coefs, q, out,
                                           stride);
                    waitingCoefs = nullptr;
                }
            } else if (fastIdct) {
                if (simd)
                    jpeg::idctFastSimd(coefs, q, out, stride);
                else
                    jpeg::idctFastScalar(coefs, q, out, stride);
            } else if (simd) {
                jpeg::idctAccurateSimd(coefs, out, stride);
            } else {
                jpeg::idctAccurateScalar(coefs, out, stride);
            }
        }
    }
    if (waitingCoefs != nullptr) jpeg::idctFast(waitingCoefs, waitingQuant, waitingOut, waitingStride);
}

// Row r of the MCU row (and r + 1 when out1 is given, for the layouts
// whose two rows share a chroma row), every MCU of it.
void JpegDecoder::State::convertRows(int32_t r, uint8_t* out0, uint8_t* out1) {
    const bool across = comp[0].geomH == 2;
    const int32_t chromaRow = comp[0].geomV == 2 ? r >> 1 : r;
    const uint8_t* y0 = plane[0] + r * planeStride[0];
    const auto convert = avx2 ? jpeg::yccRowAvx2 : jpeg::yccRow;
    convert(colour, y0, out1 != nullptr ? y0 + planeStride[0] : nullptr, plane[1] + chromaRow * planeStride[1],
            plane[2] + chromaRow * planeStride[2], out0, out1, planeStride[0], across);
}

void JpegDecoder::State::endOfImage() {
    resetBits();
    markerLoop(); // reads tables and skips segments up to the next marker
    totalRead -= inLeft;
}

void JpegDecoder::State::produceMcuRow() {
    if (buffered) {
        loadMcuRowFromBuffers();
    } else {
        decodeMcuRow();
        if (linesLeft <= mcuHeight) endOfImage();
    }
    transformMcuRow();
    mcuLinesLeft = mcuHeight;
}

// The next row of the MCU row produced last. Grey rows come straight from
// the plane; colour rows are converted into a row buffer, two at once where
// two rows share a chroma row.
const uint8_t* JpegDecoder::State::nextRow() {
    const int32_t r = mcuHeight - mcuLinesLeft;
    const uint8_t* row;
    if (scanType == kScanGrey) {
        row = plane[0] + r * planeStride[0];
    } else if (scanType == kScanColour12 || scanType == kScanColour22) {
        if ((mcuLinesLeft & 1) == 0) convertRows(r, rowBuffer[0], rowBuffer[1]);
        row = (mcuLinesLeft & 1) == 0 ? rowBuffer[0] : rowBuffer[1];
    } else {
        convertRows(r, rowBuffer[0], nullptr);
        row = rowBuffer[0];
    }
    return row;
}
