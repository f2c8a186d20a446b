#include "shell/frame.h"

#include "assets/texture.h"
#include "core/game.h"
#include "render/scene.h"

void prepareRun(Game& game) {
    initGlState();
    loadTextures(game);
}

void paintFrame(Game& game) {
    if (game.gameOver) {
        renderFrame(game);
        game.countEndScreenTime();
    } else {
        game.stepSimulation();
        drawPlayFrame(game);
    }
    game.platform.swapBuffers(game.platform.shell);
}

void showFrame(const Game& game) {
    renderFrame(game);
    game.platform.swapBuffers(game.platform.shell);
}
