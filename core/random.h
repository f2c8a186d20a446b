#pragma once
// The game's one random generator: the classic 15-bit linear congruential
// generator behind rand()/srand(). Our own, because the C library's sequence
// differs between platforms and a seeded round must lay out the same everywhere.

#include <cstdint>

constexpr int kRandomMax = 32767;

// Multiplying a value by this gives a fraction in [0, 1): the float nearest
// to 1/32767, exactly 32769 / 2^30.
constexpr float kRandomFraction = 32769.0f / 1073741824.0f;

void seedRandom(uint32_t seed);  // srand
uint32_t randomState();          // what seedRandom would set to go on from here
int nextRandom();                // rand: 0..32767
