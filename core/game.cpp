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
    seedRandom(static_cast<uint32_t>(std::time(nullptr)));
    for (int i = 0; i < kCameraPresetCount; ++i) cameraPresets[i] = kCameraPresets[i];
    cameraIndex = 0;
    bottleCount = 0;
    quitRequested = 0;
}

void Game::usePlatform(const PlatformServices& services) {
    platform = services;
    frameClock.init(platform.counterFrequency(platform.shell));
}

void Game::restartFrameClock() {
    const int64_t now = platform.counter(platform.shell);
    frameClock.reset(now);
    playback.wallClock.reset(now);
}

float Game::frameSeconds() {
    if (playback.on) {
        const std::vector<float>& recorded = playback.recording.frameSeconds;
        return playback.nextFrame < recorded.size() ? recorded[playback.nextFrame++] : 0.0f;
    }
    const float seconds = frameClock.elapsedSeconds(platform.counter(platform.shell));
    recordFrame(*this, seconds);
    return seconds;
}
