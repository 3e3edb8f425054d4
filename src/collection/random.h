// The process-wide pseudo-random generator used to pick random pictures.
#pragma once

#include <cstdint>

// Seeded once at start-up with the current time in seconds.
void seedRandom(uint32_t seed);

// The next value, 0..32767: state = state * 214013 + 2531011 (mod 2^32),
// value = bits 16..30 of the new state.
int32_t nextRandom();

// A number 1..count chosen by the generator, with `firstDraw` as its first
// value. Up to 32,768 entries that one draw decides (firstDraw mod count + 1);
// larger counts take further draws, so that every entry can come. 0 when
// count is not positive.
int32_t randomEntryNumber(int32_t firstDraw, int32_t count);
inline int32_t randomEntryNumber(int32_t count) { return count > 0 ? randomEntryNumber(nextRandom(), count) : 0; }
