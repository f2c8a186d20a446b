#include "core/game.h"

void Game::countEndScreenTime(float seconds) {
    endScreenTime += seconds;
    // A key pressed and let go during the delay was spent by the frame after
    // it; one held when the delay passes, or tapped since the last frame,
    // closes the game.
    const bool exitKey = exitKeyTapped || keyDown[kKeySpace] || keyDown[kKeyEscape] || keyDown[kKeyReturn];
    exitKeyTapped = 0;
    if (endScreenTime > kEndScreenDelay && exitKey) {
        quitRequested = 1;
        platform.requestClose(platform.shell);
    }
}
