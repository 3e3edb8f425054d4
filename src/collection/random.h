// The process-wide pseudo-random generator used to pick random pictures.
#pragma once

#include <cstdint>

// Seeded once at start-up with the current time in seconds.
void seedRandom(uint32_t seed);

// The next value, 0..32767: state = state * 214013 + 2531011 (mod 2^32),
// value = bits 16..30 of the new state.
int32_t nextRandom();
