#include "shell/height_line.h"

#include <cstdio>
#include <cstdlib>

#include "core/game.h"

bool heightLineAsked() { return std::getenv("KORVADA_PRINT_HEIGHT") != nullptr; }

void printHeightLine(const Game& game) {
    const Bottle& player = game.bottles[0];
    std::printf("height %.3f x %.9g y %.9g z %.9g score %d paused %d over %d\n", player.y, player.x, player.y,
                player.z, player.score, game.paused, game.gameOver);
    std::fflush(stdout);
}

void printHeightLineOnceOver(const Game& game, bool* told) {
    if (!game.gameOver || *told || !heightLineAsked()) return;
    *told = true;
    printHeightLine(game);
}
