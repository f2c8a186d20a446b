#pragma once
// The game's sound cues, synthesized: glass knocks and a bubble's plop.
// 16-bit mono PCM at 22050 Hz, each normalised below full scale.

#include <vector>

constexpr int kSampleRate = 22050;

struct Sound {
    std::vector<float> samples;  // -1 to 1
};

// Two opponent bottles knocking: light, high glass. variant 0 to 2.
Sound makeKnock(int variant);
// A knock involving the player's bottle: lower, fuller and louder. variant 0 to 2.
Sound makePlayerKnock(int variant);
// A bubble caught: a short rising plop.
Sound makePlop();

// The bytes of a RIFF/WAVE file, PCM, 16-bit mono.
std::vector<unsigned char> wavBytes(const Sound& sound);
