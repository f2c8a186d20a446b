#include "core/game.h"

#include <ctime>

#include "core/random.h"

namespace {
// Key '1'..'6' selects the preset of the same position.
constexpr CameraPreset kCameraPresets[kCameraPresetCount] = {
    {90, 0, -50, 10},  // straight down, just behind the bottle
    {150, 0, -15, 30},
    {92, 5, -150, 5},  // far above
    {90, 0, -50, 0},   // straight down over the bottle
    {-90, 0, 50, 10},  // straight up from below
    {115, 0, -40, 20},
};
}  // namespace

Game::Game() {
    gameOver = 0;
    frameClock.init();
    seedRandom(static_cast<uint32_t>(std::time(nullptr)));
    for (int i = 0; i < kCameraPresetCount; ++i) cameraPresets[i] = kCameraPresets[i];
    cameraIndex = 0;
    bottleCount = 0;
    quitRequested = 0;
}

int32_t Game::onKeyDown(int32_t virtualKey) {
    if (virtualKey < 0 || virtualKey >= kKeyCount) return 1;
    keyDown[virtualKey] = 1;
    if (virtualKey >= kKey1 && virtualKey <= kKey6) {
        cameraIndex = virtualKey - kKey1;
        return 1;
    }
    if (virtualKey == kKeyEscape) gameOver = 1;
    return 1;
}

int32_t Game::onKeyUp(int32_t virtualKey) {
    if (virtualKey >= 0 && virtualKey < kKeyCount) keyDown[virtualKey] = 0;
    return 1;
}
