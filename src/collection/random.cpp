#include "collection/random.h"

namespace {
uint32_t g_state = 1;
constexpr uint64_t kDrawRange = 32768;
} // namespace

void seedRandom(uint32_t seed) { g_state = seed; }

int32_t nextRandom() {
    g_state = g_state * 214013u + 2531011u;
    return static_cast<int32_t>((g_state >> 16) & 0x7FFF);
}

int32_t randomEntryNumber(int32_t firstDraw, int32_t count) {
    if (count <= 0)
        return 0;
    uint64_t value = static_cast<uint64_t>(firstDraw) % kDrawRange;
    // One draw reaches only the first 32,768 entries: append 15 more bits
    // per draw until the range covers the whole collection.
    for (uint64_t range = kDrawRange; range < static_cast<uint64_t>(count); range *= kDrawRange)
        value = value * kDrawRange + static_cast<uint64_t>(nextRandom());
    return static_cast<int32_t>(value % static_cast<uint64_t>(count)) + 1;
}
