#pragma once
// The game's sound cues, synthesized: glass knocks and a bubble's plop.
// 16-bit mono PCM at 22050 Hz, each normalised below full scale.

#include <string>
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

// RIFF/WAVE, PCM, 16-bit mono. Returns false on a write error.
bool writeWav(const Sound& sound, const std::string& path);
