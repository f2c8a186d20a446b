#pragma once
// A fresh Game on the recording platform, with a clock that moves only when
// a test says so, and a driver for its rounds.

#include <gtest/gtest.h>

#include "core/game.h"
#include "core/round_driver.h"
#include "shell/headless/headless_platform.h"

class GameTest : public ::testing::Test {
protected:
    GameTest() {
        headless().clear();
        headless().counter = 0;
        game.usePlatform(headless().services());
        game.restartFrameClock();
    }

    // One simulation step of `dt` seconds.
    void step(float dt) { game.stepSimulation(dt); }

    // One frame through the driver, `seconds` after the last: as a shell
    // paints it, the drawing aside.
    FrameUpdate frame(double seconds) {
        headless().advance(seconds);
        return updateFrame(driver, game);
    }

    // A bottle of the starting kind at a place, at rest.
    Bottle& place(int index, float x, float y, float z) {
        Bottle& b = game.bottles[index];
        b.prepare(PlayerBottleTexture);
        b.setMass(50);
        b.setPosition(x, y, z);
        b.setVelocity(0, 0, 0);
        return b;
    }

    Game game;
    RoundDriver driver;
};
