#include "core/input.h"

#include "core/game.h"

namespace {
bool inKeyTable(int32_t virtualKey) { return virtualKey >= 0 && virtualKey < kKeyCount; }
}  // namespace

void Game::pressKey(InputSource source, int32_t virtualKey) {
    if (!inKeyTable(virtualKey)) return;
    sourceKeyDown[source][virtualKey] = 1;
    keyDown[virtualKey] = 1;
    if (virtualKey >= kKey1 && virtualKey <= kKey6) {
        cameraIndex = virtualKey - kKey1;
        return;
    }
    if (virtualKey == kKeyEscape) gameOver = 1;
}

void Game::releaseKey(InputSource source, int32_t virtualKey) {
    if (!inKeyTable(virtualKey)) return;
    sourceKeyDown[source][virtualKey] = 0;
    int32_t held = 0;
    for (const auto& keys : sourceKeyDown) held |= keys[virtualKey];
    keyDown[virtualKey] = held;
}

void Game::releaseSource(InputSource source) {
    for (int32_t key = 0; key < kKeyCount; ++key)
        if (sourceKeyDown[source][key]) releaseKey(source, key);
}

int32_t Game::onKeyDown(int32_t virtualKey) {
    pressKey(KeyboardInput, virtualKey);
    return 1;
}

int32_t Game::onKeyUp(int32_t virtualKey) {
    releaseKey(KeyboardInput, virtualKey);
    return 1;
}
