#include "core/input.h"

#include "core/game.h"
#include "core/pause.h"

namespace {
bool inKeyTable(int32_t virtualKey) { return virtualKey >= 0 && virtualKey < kKeyCount; }
}  // namespace

void pressKey(Game& game, InputSource source, int32_t virtualKey) {
    if (!inKeyTable(virtualKey)) return;
    game.sourceKeyDown[source][virtualKey] = 1;
    game.keyDown[virtualKey] = 1;
    if (game.gameOver && isEndScreenExitKey(virtualKey)) game.exitKeyTapped = 1;
    if (isCameraKey(virtualKey)) {
        game.cameraIndex = virtualKey - kKey1;
    } else if (virtualKey == kKeyEscape) {
        game.gameOver = 1;
        resumeRound(game);  // the end screen follows as usual, its time from now
    }
}

void releaseKey(Game& game, InputSource source, int32_t virtualKey) {
    if (!inKeyTable(virtualKey)) return;
    game.sourceKeyDown[source][virtualKey] = 0;
    int32_t held = 0;
    for (const auto& keys : game.sourceKeyDown) held |= keys[virtualKey];
    game.keyDown[virtualKey] = held;
}

void releaseSource(Game& game, InputSource source) {
    for (int32_t key = 0; key < kKeyCount; ++key)
        if (game.sourceKeyDown[source][key]) releaseKey(game, source, key);
}

void releaseAllKeys(Game& game) {
    for (int32_t source = 0; source < kInputSourceCount; ++source)
        if (source != RecordingInput) releaseSource(game, static_cast<InputSource>(source));
}

// The camera key pressed and let go at once: the keyboard's own way of
// choosing the preset, so the end screen and the key table see nothing new.
void stepCamera(Game& game, InputSource source, int32_t step) {
    const int32_t key = cameraKey((game.cameraIndex + step % kCameraPresetCount + kCameraPresetCount) % kCameraPresetCount);
    pressKey(game, source, key);
    releaseKey(game, source, key);
}

int32_t Game::onKeyDown(int32_t virtualKey) {
    pressKey(*this, KeyboardInput, virtualKey);
    return 1;
}

int32_t Game::onKeyUp(int32_t virtualKey) {
    releaseKey(*this, KeyboardInput, virtualKey);
    return 1;
}
