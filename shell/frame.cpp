#include "shell/frame.h"

#include "assets/texture.h"
#include "core/game.h"
#include "core/round_driver.h"
#include "render/play_frame.h"
#include "render/render_frame.h"
#include "render/scene.h"

void prepareRun(Game& game) {
    initGlState();
    loadTextures(game);
}

void paintFrame(Game& game, RoundDriver& driver, ShellMarks& marks) {
    if (game.paused) {
        showFrame(game, marks);
        return;
    }
    followFastWatch(driver, marks);
    if (updateFrame(driver, game) == FrameUpdate::Step)
        drawPlayFrame(game);
    else
        renderFrame(game);
    game.platform.swapBuffers(game.platform.shell);
}

void showFrame(const Game& game, ShellMarks&) {
    renderFrame(game);
    game.platform.swapBuffers(game.platform.shell);
}
