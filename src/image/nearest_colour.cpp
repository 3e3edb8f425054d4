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
    return slotOfCell_ != nullptr;
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

    // An entry whose nearest point of the block is farther than the farthest
    // point of some other entry can never win (or tie) for any colour in it.
    int32_t nearSq[256];
    int32_t limit = INT32_MAX;
    for (uint32_t i = 0; i < count_; ++i) {
        int32_t nr, fr, ng, fg, nb, fb;
        axisRange(palette_[i].red, r0, r0 + 3, &nr, &fr);
        axisRange(palette_[i].green, g0, g0 + 3, &ng, &fg);
        axisRange(palette_[i].blue, b0, b0 + 3, &nb, &fb);
        nearSq[i] = nr + ng + nb;
        if (fr + fg + fb < limit)
            limit = fr + fg + fb;
    }
    uint8_t candidates[256];
    uint32_t n = 0;
    for (uint32_t i = 0; i < count_; ++i)
        if (nearSq[i] <= limit)
            candidates[n++] = static_cast<uint8_t>(i);

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
