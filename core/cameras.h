#pragma once
// The camera presets, and the keys that choose them: '1' for the first and
// each digit after it for the next. A preset is one row of the table; its
// key, how many there are, which keys the round records and where the pads'
// shoulder buttons step all follow from it.

#include "core/keys.h"

// A view placement relative to the player's bottle.
struct CameraPreset {
    float pitch;  // degrees about the x axis
    float x, y, z;
};

constexpr CameraPreset kCameraPresets[] = {
    {90, 0, -50, 10},  // straight down, just behind the bottle
    {150, 0, -15, 30},
    {92, 5, -150, 5},  // far above
    {90, 0, -50, 0},   // straight down over the bottle
    {-90, 0, 50, 10},  // straight up from below
    {115, 0, -40, 20},
};

constexpr int kCameraPresetCount = static_cast<int>(sizeof kCameraPresets / sizeof kCameraPresets[0]);
static_assert(kCameraPresetCount <= 9, "the main keyboard's digits '1' to '9' choose the presets");

constexpr int cameraKey(int preset) { return kKey1 + preset; }
constexpr bool isCameraKey(int key) { return key >= kKey1 && key < kKey1 + kCameraPresetCount; }
