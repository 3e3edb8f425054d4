// Input refill, markers and segments, Huffman table building, and the frame
// and scan set-up of the JPEG decoder (see jpeg_decoder_internal.h).
#include <cstring>

#include "image/jpeg/exif_orientation.h"
#include "image/jpeg/jpeg_decoder_internal.h"
#include "image/jpeg/jpeg_idct.h"

using namespace jpeg;

namespace {

inline int32_t ceilDiv(int32_t a, int32_t b) { return (a + b - 1) / b; }

} // namespace

void JpegDecoder::State::refillInput() {
    inPos = kInReserve;
    inLeft = 0;
    if (endOfData) return;
    while (inLeft < kInSize && !endOfData) {
        bool eod = false;
        const int32_t room = kInSize - inLeft;
        const int32_t n = source->read(in + kInReserve + inLeft, room, &eod);
        if (n < 0 || n > room) fail(kJpegSourceFailed);
        if (eod) endOfData = true;
        inLeft += n;
        totalRead += n;
        if (n == 0) break; // nothing now; the next fetch asks again
    }
    // A stream that stops early goes on as a run of EOI markers.
    uint8_t* tail = in + kInReserve + inLeft;
    for (int32_t i = 0; i < 64; ++i) {
        tail[2 * i] = 0xFF;
        tail[2 * i + 1] = 0xD9;
    }
}

int32_t JpegDecoder::State::header16() {
    const int32_t hi = headerByte();
    return (hi << 8) | headerByte();
}

int32_t JpegDecoder::State::nextMarker() {
    for (;;) {
        uint8_t c;
        do c = headerByte();
        while (c != 0xFF);
        do c = headerByte();
        while (c == 0xFF);
        if (c != 0) return c;
    }
}

void JpegDecoder::State::skipSegment() {
    const int32_t length = header16();
    if (length < 2) fail(kJpegSegmentBadLength);
    for (int32_t i = 2; i < length; ++i) headerByte();
}

void JpegDecoder::State::readApp1() {
    const int32_t length = header16();
    if (length < 2) fail(kJpegSegmentBadLength);
    const int32_t size = length - 2;
    // Only the header's segments describe the picture.
    if (width != 0) {
        for (int32_t i = 0; i < size; ++i) headerByte();
        return;
    }
    if (app1 == nullptr) app1 = static_cast<uint8_t*>(allocate(65535));
    bool truncated = false;
    for (int32_t i = 0; i < size; ++i) {
        bool padding;
        app1[i] = fetch(padding);
        truncated = truncated || padding;
    }
    if (size < 6 || std::memcmp(app1, "Exif\0\0", 6) != 0) return; // XMP and the like
    // A second Exif block may say otherwise; neither is then believed.
    const bool second = exifSeen;
    exifSeen = true;
    orientation = second || truncated ? 1 : exifOrientation(app1, static_cast<uint32_t>(size));
}

void JpegDecoder::State::readHuffmanTables() {
    int32_t left = header16();
    if (left < 2) fail(kJpegHuffmanBadLength);
    left -= 2;
    while (left > 0) {
        const int32_t classAndId = headerByte();
        uint8_t counts[17];
        counts[0] = 0;
        int32_t total = 0;
        for (int32_t i = 1; i <= 16; ++i) {
            counts[i] = headerByte();
            total += counts[i];
        }
        if (total > 255) fail(kJpegHuffmanTooManySymbols);
        uint8_t symbols[256] = {};
        for (int32_t i = 0; i < total; ++i) symbols[i] = headerByte();
        if (left < 17 + total) fail(kJpegHuffmanBadLength);
        left -= 17 + total;
        const int32_t slot = (classAndId & 15) + 4 * ((classAndId >> 4) & 1);
        if (slot > 7) fail(kJpegHuffmanBadId);
        if (huffCounts[slot] == nullptr) {
            huffCounts[slot] = static_cast<uint8_t*>(allocate(17));
            huffSymbols[slot] = static_cast<uint8_t*>(allocate(256));
        }
        std::memcpy(huffCounts[slot], counts, 17);
        std::memcpy(huffSymbols[slot], symbols, 256);
        huffDirty[slot] = true;
    }
}

void JpegDecoder::State::readQuantTables() {
    int32_t left = header16();
    if (left < 2) fail(kJpegQuantBadLength);
    left -= 2;
    while (left > 0) {
        const int32_t precisionAndId = headerByte();
        const int32_t id = precisionAndId & 15;
        const bool wide = (precisionAndId >> 4) != 0;
        if (id > 3) fail(kJpegQuantBadId);
        int32_t values[64];
        for (int32_t k = 0; k < 64; ++k) values[k] = wide ? header16() : headerByte();
        const int32_t size = wide ? 129 : 65;
        if (left < size) fail(kJpegQuantTruncated);
        left -= size;
        if (quant[id] == nullptr) quant[id] = static_cast<int16_t*>(allocate(64 * sizeof(int16_t)));
        int16_t* q = quant[id];
        for (int32_t k = 0; k < 64; ++k) {
            if (fastIdct) {
                const int32_t z = kNaturalOrder[k];
                const int64_t scaled = (int64_t(values[k]) * jpeg::kAanScale[z] + 2048) >> 12;
                q[z] = static_cast<int16_t>(scaled);
            } else {
                q[k] = static_cast<int16_t>(values[k]);
            }
        }
    }
}

void JpegDecoder::State::readRestartInterval() {
    if (header16() != 4) fail(kJpegRestartBadLength);
    restartInterval = header16();
}

void JpegDecoder::State::readFrameHeader() {
    const int32_t length = header16();
    if (headerByte() != 8) fail(kJpegBadPrecision);
    height = header16();
    if (height < 1 || height > kMaxDimension) fail(kJpegBadHeight);
    width = header16();
    if (width < 1 || width > kMaxDimension) fail(kJpegBadWidth);
    const int32_t count = headerByte();
    if (count > 4) fail(kJpegTooManyComponents);
    if (length != 3 * count + 8) fail(kJpegFrameBadLength);
    componentCount = count;
    for (int32_t i = 0; i < count; ++i) {
        comp[i].id = headerByte();
        const int32_t factors = headerByte();
        comp[i].h = factors >> 4;
        comp[i].v = factors & 15;
        comp[i].quantSelector = headerByte();
    }
}

void JpegDecoder::State::readScanHeader() {
    const int32_t length = header16();
    const int32_t count = headerByte();
    if (length != 2 * count + 6 || count < 1 || count > 4) fail(kJpegScanBadHeader);
    scanCount = count;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t id = headerByte();
        int32_t found = -1;
        for (int32_t c = 0; c < componentCount; ++c) {
            if (comp[c].id == id) {
                found = c;
                break;
            }
        }
        if (found < 0) fail(kJpegScanUnknownComponent);
        const int32_t tables = headerByte();
        comp[found].dcTable = tables >> 4;
        comp[found].acTable = tables & 15;
        scanComp[i] = found;
    }
    spectralStart = headerByte();
    spectralEnd = headerByte();
    const int32_t approx = headerByte();
    approxHigh = approx >> 4;
    approxLow = approx & 15;
    if (!progressive) {
        spectralStart = 0;
        spectralEnd = 63;
    }
}

// Runs segments until one the caller must handle: SOFn, SOI, EOI, SOS.
int32_t JpegDecoder::State::markerLoop() {
    for (;;) {
        const int32_t m = nextMarker();
        switch (m) {
        case 0xC4: readHuffmanTables(); break;
        case 0xDB: readQuantTables(); break;
        case 0xDD: readRestartInterval(); break;
        case 0xE1: readApp1(); break;
        case 0xCC: fail(kJpegArithmeticCoding);
        case 0x01:
        case 0xC8:
        case 0xD0: case 0xD1: case 0xD2: case 0xD3:
        case 0xD4: case 0xD5: case 0xD6: case 0xD7: fail(kJpegUnexpectedMarker);
        case 0xC0: case 0xC1: case 0xC2: case 0xC3:
        case 0xC5: case 0xC6: case 0xC7:
        case 0xC9: case 0xCA: case 0xCB:
        case 0xCD: case 0xCE: case 0xCF:
        case 0xD8: case 0xD9: case 0xDA: return m;
        default: skipSegment(); break;
        }
    }
}

void JpegDecoder::State::readHeader() {
    refillInput();
    std::memset(blockEnd, 64, sizeof blockEnd);
    const uint8_t b0 = headerByte();
    const uint8_t b1 = headerByte();
    if (!(b0 == 0xFF && b1 == 0xD8)) {
        // Some files carry a few hundred bytes in front of the picture.
        uint8_t last = b1;
        bool found = false;
        for (int32_t i = 0; i < 511; ++i) {
            const uint8_t c = headerByte();
            if (last == 0xFF && c == 0xD8) {
                found = true;
                break;
            }
            last = c;
        }
        if (!found) fail(kJpegNoStartOfImage);
        const uint8_t next = headerByte();
        if (next != 0xFF) fail(kJpegNoStartOfImage);
        pushBack(next);
    }
    const int32_t m = markerLoop();
    if (m == 0xC9) fail(kJpegArithmeticCoding);
    if (m != 0xC0 && m != 0xC1 && m != 0xC2) fail(kJpegUnsupportedFrame);
    progressive = (m == 0xC2);
    readFrameHeader();
}

void JpegDecoder::State::setupFrame() {
    if (componentCount != 1 && componentCount != 3) fail(kJpegUnsupportedComponents);
    if (componentCount == 1) {
        // Any factors, decoded in 8x8 units; 0 would make no block at all.
        if (comp[0].h == 0 || comp[0].v == 0) fail(kJpegUnsupportedSampling);
        comp[0].geomH = comp[0].geomV = 1;
        scanType = kScanGrey;
        mcuWidth = mcuHeight = 8;
        blocksPerMcu = 1;
    } else {
        if (comp[1].h != 1 || comp[1].v != 1 || comp[2].h != 1 || comp[2].v != 1) fail(kJpegUnsupportedSampling);
        const int32_t h = comp[0].h, v = comp[0].v;
        if (h == 1 && v == 1) {
            scanType = kScanColour11, mcuWidth = 8, mcuHeight = 8, blocksPerMcu = 3;
        } else if (h == 2 && v == 1) {
            scanType = kScanColour21, mcuWidth = 16, mcuHeight = 8, blocksPerMcu = 4;
        } else if (h == 1 && v == 2) {
            scanType = kScanColour12, mcuWidth = 8, mcuHeight = 16, blocksPerMcu = 4;
        } else if (h == 2 && v == 2) {
            scanType = kScanColour22, mcuWidth = 16, mcuHeight = 16, blocksPerMcu = 6;
        } else {
            fail(kJpegUnsupportedSampling);
        }
        for (int32_t c = 0; c < 3; ++c) {
            comp[c].geomH = comp[c].h;
            comp[c].geomV = comp[c].v;
        }
    }
    int32_t slot = 0;
    for (int32_t c = 0; c < componentCount; ++c) {
        comp[c].firstSlot = slot;
        for (int32_t i = 0; i < comp[c].geomH * comp[c].geomV; ++i) slotComponent[slot++] = c;
    }
    int32_t hMax = 1, vMax = 1;
    for (int32_t c = 0; c < componentCount; ++c) {
        if (comp[c].geomH > hMax) hMax = comp[c].geomH;
        if (comp[c].geomV > vMax) vMax = comp[c].geomV;
    }
    for (int32_t c = 0; c < componentCount; ++c) {
        comp[c].blocksAcross = ceilDiv(ceilDiv(comp[c].geomH * width, hMax), 8);
        comp[c].blocksDown = ceilDiv(ceilDiv(comp[c].geomV * height, vMax), 8);
    }
    mcusPerRow = ceilDiv(width, mcuWidth);
    mcusPerColumn = ceilDiv(height, mcuHeight);
    blocksPerMcuRow = blocksPerMcu * mcusPerRow;
    if (blocksPerMcuRow > kMaxBlocksPerMcuRow) fail(kJpegLimitExceeded);

    bytesPerPixel = scanType == kScanGrey ? 1 : 4;
    rowBytes = width * bytesPerPixel;
    paddedRowBytes = ((width + 15) & 0xFFF0) * bytesPerPixel;
    // Grey rows are handed out straight from their plane.
    if (scanType != kScanGrey)
        for (auto& row : rowBuffer) row = static_cast<uint8_t*>(allocate(size_t(paddedRowBytes) + 8));
    blocks = static_cast<int16_t*>(allocate(checkedMul(size_t(blocksPerMcuRow), 64 * sizeof(int16_t))));
    for (int32_t c = 0; c < componentCount; ++c) {
        planeStride[c] = mcusPerRow * comp[c].geomH * 8;
        const size_t rows = size_t(comp[c].geomV) * 8;
        plane[c] = static_cast<uint8_t*>(allocate(checkedMul(size_t(planeStride[c]), rows)));
    }

    colour.build();
    linesLeft = height;
    mcuLinesLeft = 0;
}

void JpegDecoder::State::buildHuffman(int32_t slot) {
    if (huff[slot] == nullptr) huff[slot] = static_cast<HuffDecode*>(allocate(sizeof(HuffDecode)));
    HuffDecode& t = *huff[slot];
    std::memset(&t, 0, sizeof t);
    const uint8_t* counts = huffCounts[slot];
    const uint8_t* symbols = huffSymbols[slot];
    int32_t nodes = 0;
    uint32_t code = 0;
    int32_t k = 0;
    for (int32_t length = 1; length <= 16; ++length) {
        for (int32_t i = 0; i < counts[length]; ++i, ++k, ++code) {
            const int32_t symbol = symbols[k];
            t.codeSize[symbol] = static_cast<uint8_t>(length);
            const uint32_t c = code & ((1u << length) - 1); // codes of a broken table wrap
            if (length <= 8) {
                const uint32_t first = c << (8 - length);
                for (uint32_t j = 0; j < (1u << (8 - length)); ++j) {
                    t.lookup[first + j] = static_cast<int16_t>(symbol);
                }
                continue;
            }
            int16_t* entry = &t.lookup[c >> (length - 8)];
            bool placed = true;
            for (int32_t b = length - 9; b >= 0; --b) {
                if (*entry >= 0) {
                    if (nodes == 256) { // only a broken table gets here
                        placed = false;
                        break;
                    }
                    *entry = static_cast<int16_t>(-(2 * nodes + 1));
                    ++nodes;
                }
                entry = &t.tree[-*entry - 1 + static_cast<int32_t>((c >> b) & 1)];
            }
            if (placed) *entry = static_cast<int16_t>(symbol);
        }
        code <<= 1;
    }
    for (int32_t p = 0; p < (1 << kFastBits); ++p) {
        int32_t symbol = -1, length = 0;
        const int32_t e = t.lookup[p >> (kFastBits - 8)];
        if (e >= 0) {
            symbol = e;
            length = t.codeSize[e];
        } else {
            int32_t node = e;
            for (int32_t len = 9; len <= kFastBits && symbol < 0; ++len) {
                node = t.tree[-node - 1 + ((p >> (kFastBits - len)) & 1)];
                if (node >= 0) symbol = node, length = len;
            }
        }
        t.fast[p] = static_cast<int16_t>(symbol < 0 ? -1 : (length << 8) | symbol);
        t.fastAc[p] = 0;
        const int32_t size = symbol & 15;
        if (symbol > 0 && size != 0 && length + size <= kFastBits) {
            const int32_t raw = (p >> (kFastBits - length - size)) & ((1 << size) - 1);
            t.fastAc[p] = extend(raw, size) * 4096 + size * 256 + ((symbol >> 4) << 4) + length + size;
        } else if ((symbol == 0x00 || symbol == 0xF0) && length <= kFastBits) {
            // (a symbol twice in a broken table takes its last, maybe
            // longer, code length)
            t.fastAc[p] = symbol + length;
        }
    }
    huffDirty[slot] = false;
}

void JpegDecoder::State::setScanGeometry() {
    if (scanCount == 1) {
        const int32_t c = scanComp[0];
        scanMcusPerRow = comp[c].blocksAcross;
        scanMcusPerColumn = comp[c].blocksDown;
        scanBlocksPerMcu = 1;
        mcuOrder[0] = c;
        mcuSub[0] = 0;
        mcuSlot[0] = comp[c].firstSlot;
        return;
    }
    int32_t hMax = 1, vMax = 1;
    for (int32_t c = 0; c < componentCount; ++c) {
        if (comp[c].geomH > hMax) hMax = comp[c].geomH;
        if (comp[c].geomV > vMax) vMax = comp[c].geomV;
    }
    scanMcusPerRow = ceilDiv(ceilDiv(width, 8), hMax);
    scanMcusPerColumn = ceilDiv(ceilDiv(height, 8), vMax);
    int32_t n = 0;
    for (int32_t i = 0; i < scanCount; ++i) {
        const int32_t c = scanComp[i];
        const int32_t count = comp[c].geomH * comp[c].geomV;
        if (n + count > kMaxScanBlocks) fail(kJpegLimitExceeded);
        for (int32_t j = 0; j < count; ++j, ++n) {
            mcuOrder[n] = c;
            mcuSub[n] = j;
            mcuSlot[n] = comp[c].firstSlot + j;
        }
    }
    scanBlocksPerMcu = n;
}

// Reads up to the next scan; false when EOI ends the picture.
bool JpegDecoder::State::setupScan() {
    const int32_t m = markerLoop();
    if (m == 0xD9) return false;
    if (m != 0xDA) fail(kJpegUnexpectedMarker);
    readScanHeader();
    setScanGeometry();
    for (int32_t i = 0; i < scanCount; ++i) {
        const Component& c = comp[scanComp[i]];
        if (spectralStart == 0 && (c.dcTable > 3 || huffCounts[c.dcTable] == nullptr)) fail(kJpegMissingHuffmanTable);
        if (spectralEnd > 0 && (c.acTable > 3 || huffCounts[4 + c.acTable] == nullptr)) fail(kJpegMissingHuffmanTable);
    }
    for (int32_t slot = 0; slot < 8; ++slot) {
        if (huffCounts[slot] != nullptr && huffDirty[slot]) buildHuffman(slot);
    }
    for (int32_t b = 0; b < scanBlocksPerMcu; ++b) {
        const Component& c = comp[mcuOrder[b]];
        blockDc[b] = c.dcTable <= 3 ? huff[c.dcTable] : nullptr;
        blockAc[b] = c.acTable <= 3 ? huff[4 + c.acTable] : nullptr;
    }
    for (int32_t i = 0; i < scanCount; ++i) {
        const int32_t q = comp[scanComp[i]].quantSelector;
        if (q > 3 || quant[q] == nullptr) fail(kJpegMissingQuantTable);
    }
    for (auto& c : comp) c.predictor = 0;
    eobRun = 0;
    if (restartInterval != 0) {
        restartsLeft = restartInterval;
        nextRestart = 0;
    }
    resetBits();
    return true;
}
