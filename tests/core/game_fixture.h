#pragma once
// A fresh Game on the recording platform, with a clock that moves only when
// a test says so.

#include <gtest/gtest.h>

#include "core/game.h"
#include "shell/headless/headless_platform.h"

class GameTest : public ::testing::Test {
protected:
    GameTest() {
        headless().clear();
        headless().counter = 0;
        game.usePlatform(headless().services());
        game.restartFrameClock();
    }

    // One simulation step that measures `dt` seconds.
    void step(float dt) {
        headless().advance(dt);
        game.stepSimulation();
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
};
