// Nearest palette entry of a colour: the entry with the smallest squared
// distance (dr² + dg² + db²), ties going to the lowest index. The answer is
// always that of an exhaustive search over all entries; the map only makes it
// fast by working out, once per 4x4x4 block of colours (the histogram cell of
// the colour reduction), the entries that can be nearest to any colour of the
// block and the answers of all 64 colours in it. The entries considered for a
// cell come from the same test on the 16x16x16 block around it: an entry
// that cannot win anywhere in the larger block cannot win in the cell.
#pragma once

#include <cstdint>
#include <memory>

struct PaletteColour {
    uint8_t red, green, blue;
};

// The reference answer: every entry, strict "smaller than" so the first of
// equal distances wins. count must be at least 1.
uint32_t nearestEntryExhaustive(const PaletteColour* palette, uint32_t count, uint8_t red, uint8_t green,
                                uint8_t blue);

class NearestColourMap {
  public:
    // palette: 1 to 256 entries, copied. False when count is out of range or
    // memory runs out.
    bool init(const PaletteColour* palette, uint32_t count);

    uint8_t nearest(uint8_t red, uint8_t green, uint8_t blue) {
        uint32_t cell = static_cast<uint32_t>(blue >> 2) << 12 | static_cast<uint32_t>(green >> 2) << 6 | (red >> 2);
        const uint8_t* answers = cellAnswers(cell);
        uint32_t within = static_cast<uint32_t>(blue & 3) << 4 | static_cast<uint32_t>(green & 3) << 2 | (red & 3);
        if (!answers) // no memory for the block's answers: search directly
            return static_cast<uint8_t>(nearestEntryExhaustive(palette_, count_, red, green, blue));
        return answers[within];
    }

  private:
    static constexpr uint32_t kCells = 64 * 64 * 64;
    static constexpr uint32_t kSlotsPerChunk = 1024;

    const uint8_t* cellAnswers(uint32_t cell) {
        uint32_t slot = slotOfCell_[cell];
        if (slot)
            return chunks_[(slot - 1) / kSlotsPerChunk].get() + ((slot - 1) % kSlotsPerChunk) * 64;
        return fillCell(cell);
    }
    const uint8_t* fillCell(uint32_t cell);
    // Entries that can be nearest somewhere in 16x16x16 block `block`; null
    // when memory runs out.
    const uint8_t* blockCandidates(uint32_t block, uint32_t* count);

    PaletteColour palette_[256] = {};
    uint32_t count_ = 0;
    // Cell -> 1 + slot of its 64 answers, 0 while not yet worked out.
    std::unique_ptr<uint32_t[]> slotOfCell_;
    std::unique_ptr<uint8_t[]> chunks_[kCells / kSlotsPerChunk];
    uint32_t slotsUsed_ = 0;
    static constexpr uint32_t kBlocks = 16 * 16 * 16;
    std::unique_ptr<uint8_t[]> blockLists_;     // 256 entries room per block
    std::unique_ptr<uint16_t[]> blockListSize_; // 0xFFFF: not yet worked out
};
