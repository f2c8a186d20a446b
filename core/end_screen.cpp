#include "core/game.h"

void Game::countEndScreenTime() {
    endScreenTime += frameSeconds();
    // keyDown holds only keys down now: a key pressed and let go during the
    // delay does nothing, one still held when it passes closes the game.
    const bool exitKeyHeld = keyDown[kKeySpace] || keyDown[kKeyEscape] || keyDown[kKeyReturn];
    if (endScreenTime > kEndScreenDelay && exitKeyHeld) {
        quitRequested = 1;
        platform.requestClose(platform.shell);
    }
}
