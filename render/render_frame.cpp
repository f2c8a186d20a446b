#include "render/play_frame.h"
#include "render/render_frame.h"

#include "core/game.h"
#include "render/pause_mark.h"
#include "render/score_and_end_screen.h"

void renderFrame(const Game& game) {
    if (game.gameOver)
        drawEndScreen(game);
    else if (game.paused)
        drawPausedFrame(game);
    else
        drawPlayFrame(game);
}
