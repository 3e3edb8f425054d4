#include "image/nearest_colour.h"

#include <new>

namespace {

int32_t square(int32_t v) { return v * v; }

int32_t distance(const PaletteColour& e, int32_t r, int32_t g, int32_t b) {
    return square(e.red - r) + square(e.green - g) + square(e.blue - b);
}

// Squared distances of value v to the nearest and farthest point of lo..hi.
void axisRange(int32_t v, int32_t lo, int32_t hi, int32_t* nearSq, int32_t* farSq) {
    int32_t nearD = v < lo ? lo - v : (v > hi ? v - hi : 0);
    int32_t farD = v - lo > hi - v ? v - lo : hi - v;
    *nearSq = nearD * nearD;
    *farSq = farD * farD;
}

} // namespace

uint32_t nearestEntryExhaustive(const PaletteColour* palette, uint32_t count, uint8_t red, uint8_t green,
                                uint8_t blue) {
    uint32_t best = 0;
    int32_t bestDistance = INT32_MAX;
    for (uint32_t i = 0; i < count; ++i) {
        int32_t d = distance(palette[i], red, green, blue);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

bool NearestColourMap::init(const PaletteColour* palette, uint32_t count) {
    if (!palette || count < 1 || count > 256)
        return false;
    for (uint32_t i = 0; i < count; ++i)
        palette_[i] = palette[i];
    count_ = count;
    slotOfCell_.reset(new (std::nothrow) uint32_t[kCells]());
    for (auto& chunk : chunks_)
        chunk.reset();
    slotsUsed_ = 0;
    blockLists_.reset(new (std::nothrow) uint8_t[kBlocks * 256]);
    blockListSize_.reset(new (std::nothrow) uint16_t[kBlocks]);
    if (blockListSize_)
        for (uint32_t i = 0; i < kBlocks; ++i)
            blockListSize_[i] = 0xFFFF;
    return slotOfCell_ && blockLists_ && blockListSize_;
}

namespace {

// The entries of `from` (in index order) that can be nearest to some colour
// of the box lo..lo+side-1 on each axis: those whose nearest point of the box
// is no farther than the smallest farthest point over all entries.
uint32_t candidatesInBox(const PaletteColour* palette, const uint8_t* from, uint32_t n, int32_t r0, int32_t g0,
                         int32_t b0, int32_t side, uint8_t* out) {
    int32_t nearSq[256];
    int32_t limit = INT32_MAX;
    for (uint32_t k = 0; k < n; ++k) {
        const PaletteColour& e = palette[from[k]];
        int32_t nr, fr, ng, fg, nb, fb;
        axisRange(e.red, r0, r0 + side - 1, &nr, &fr);
        axisRange(e.green, g0, g0 + side - 1, &ng, &fg);
        axisRange(e.blue, b0, b0 + side - 1, &nb, &fb);
        nearSq[k] = nr + ng + nb;
        if (fr + fg + fb < limit)
            limit = fr + fg + fb;
    }
    uint32_t count = 0;
    for (uint32_t k = 0; k < n; ++k)
        if (nearSq[k] <= limit)
            out[count++] = from[k];
    return count;
}

} // namespace

const uint8_t* NearestColourMap::blockCandidates(uint32_t block, uint32_t* count) {
    uint8_t* list = blockLists_.get() + block * 256;
    if (blockListSize_[block] == 0xFFFF) {
        uint8_t all[256];
        for (uint32_t i = 0; i < count_; ++i)
            all[i] = static_cast<uint8_t>(i);
        int32_t r0 = static_cast<int32_t>(block & 15) * 16;
        int32_t g0 = static_cast<int32_t>((block >> 4) & 15) * 16;
        int32_t b0 = static_cast<int32_t>(block >> 8) * 16;
        blockListSize_[block] = static_cast<uint16_t>(candidatesInBox(palette_, all, count_, r0, g0, b0, 16, list));
    }
    *count = blockListSize_[block];
    return list;
}

const uint8_t* NearestColourMap::fillCell(uint32_t cell) {
    uint32_t chunk = slotsUsed_ / kSlotsPerChunk;
    if (!chunks_[chunk]) {
        chunks_[chunk].reset(new (std::nothrow) uint8_t[kSlotsPerChunk * 64]);
        if (!chunks_[chunk])
            return nullptr;
    }
    uint8_t* answers = chunks_[chunk].get() + (slotsUsed_ % kSlotsPerChunk) * 64;

    int32_t r0 = static_cast<int32_t>(cell & 63) * 4;
    int32_t g0 = static_cast<int32_t>((cell >> 6) & 63) * 4;
    int32_t b0 = static_cast<int32_t>(cell >> 12) * 4;

    // An entry whose nearest point of the cell is farther than the farthest
    // point of some other entry can never win (or tie) for any colour in it.
    uint32_t block = static_cast<uint32_t>(b0 >> 4) << 8 | static_cast<uint32_t>(g0 >> 4) << 4 | static_cast<uint32_t>(r0 >> 4);
    uint32_t inBlock = 0;
    const uint8_t* blockList = blockCandidates(block, &inBlock);
    uint8_t candidates[256];
    uint32_t n = candidatesInBox(palette_, blockList, inBlock, r0, g0, b0, 4, candidates);

    // Candidates are in index order, so "smaller than" keeps the lowest index
    // among equal distances, exactly as the exhaustive search does.
    for (uint32_t within = 0; within < 64; ++within) {
        int32_t r = r0 + static_cast<int32_t>(within & 3);
        int32_t g = g0 + static_cast<int32_t>((within >> 2) & 3);
        int32_t b = b0 + static_cast<int32_t>(within >> 4);
        uint8_t best = candidates[0];
        int32_t bestDistance = INT32_MAX;
        for (uint32_t k = 0; k < n; ++k) {
            int32_t d = distance(palette_[candidates[k]], r, g, b);
            if (d < bestDistance) {
                bestDistance = d;
                best = candidates[k];
            }
        }
        answers[within] = best;
    }
    slotOfCell_[cell] = ++slotsUsed_;
    return answers;
}
