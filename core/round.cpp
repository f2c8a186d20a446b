#include "core/game.h"
#include "core/random.h"

namespace {
// A random fraction of `range`. The product is formed in double precision
// and only the finished position rounded to float: a seeded round must lay
// out to the same bits on every platform and in every recorded replay.
double randomPart(double range) { return static_cast<double>(nextRandom()) * kRandomFraction * range; }
}  // namespace

void Game::startRound(const GameSettings& newSettings) {
    clearRound(newSettings);
    setupRound(bottlesToLay(settings), kRoundBubbles);
}

void Game::clearRound(const GameSettings& newSettings) {
    releaseAllKeys(*this);
    releaseSource(*this, RecordingInput);
    paused = 0;
    cameraIndex = 0;
    gameOver = 0;
    exitKeyTapped = 0;
    quitRequested = 0;
    endScreenTime = 0;
    for (Bottle& bottle : bottles) bottle = Bottle();
    for (Bubble& bubble : bubbles) bubble = Bubble();
    settings = newSettings;
}

void Game::setupRound(int32_t newBottleCount, int32_t newBubbleCount) {
    // Bubbles hang in a column 30 wide around the centre, from the ground up
    // to 340 below the start height. Values come z, y, x.
    for (int32_t i = 0; i < newBubbleCount; ++i) {
        const double z = randomPart(30) - 15;
        const double y = randomPart(6460);
        const double x = randomPart(30) - 15;
        bubbles[i].setPosition(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
        bubbles[i].setActive(1);
    }
    bubbleCount = newBubbleCount;

    // Four bottles to a row along z, rows stepping along x.
    for (int32_t i = 0; i < newBottleCount; ++i) {
        Bottle& bottle = bottles[i];
        bottle.prepare(nextRandom() % 2 == 0 ? PlayerBottleTexture : OtherBottleTexture);
        bottle.setPosition(static_cast<float>((i / 4) * 30 - 60), 6800.0f, static_cast<float>((i % 4) * 30 - 60));
        bottle.setVelocity(0, 0, 0);
        bottle.setMass(50);
    }
    bottles[0].prepare(PlayerBottleTexture);  // whatever was drawn for it
    bottleCount = newBottleCount;

    // The player starts at the middle place, 70 above the others.
    const int32_t middle = newBottleCount / 2;
    const Bottle mid = bottles[middle];
    bottles[middle].setPosition(bottles[0].x, bottles[0].y, bottles[0].z);
    bottles[0].setPosition(mid.x, mid.y + 70.0f, mid.z);

    restartFrameClock();
}
