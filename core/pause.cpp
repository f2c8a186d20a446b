#include "core/pause.h"

#include "core/game.h"

bool pauseRound(Game& game) {
    if (!game.gameOver) game.paused = 1;
    return game.paused != 0;
}

void resumeRound(Game& game) {
    if (!game.paused) return;
    game.paused = 0;
    game.restartFrameClock();
}

bool togglePause(Game& game) {
    if (!game.paused) return pauseRound(game);
    resumeRound(game);
    return false;
}
