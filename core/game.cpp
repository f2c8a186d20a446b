#include "core/game.h"

#include <ctime>

#include "core/random.h"

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

void Game::restartFrameClock() { frameClock.reset(platform.counter(platform.shell)); }

float Game::frameSeconds() { return frameClock.elapsedSeconds(platform.counter(platform.shell)); }
