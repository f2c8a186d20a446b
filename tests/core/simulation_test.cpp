#include <cmath>

#include "core/random.h"
#include "tests/core/game_fixture.h"

namespace {

using Step = GameTest;

// A place on the ground plane.
struct GroundPlace {
    float x, z;
};

TEST_F(Step, WithoutBottlesNothingMoves) {
    place(0, 0, 1000, 0);
    game.stepSimulation(0.5f);
    EXPECT_EQ(game.bottles[0].y, 1000.0f);
    EXPECT_EQ(game.bottles[0].vy, 0.0f);
    EXPECT_EQ(game.gameOver, 0);
}

TEST_F(Step, GravityStopsAtTheFallSpeedCap) {
    game.bottleCount = 3;
    place(0, 0, 1000, 0).vy = 149;
    place(1, 30, 1000, 0).vy = 150;
    place(2, -30, 500, 0).vy = 10;  // the leader, too slow to be held back
    step(0.2f);
    EXPECT_EQ(game.bottles[0].vy, 150.0f);  // not 150.962
    EXPECT_EQ(game.bottles[1].vy, 150.0f);
    const float vy = 10 + 9.81f * 0.2f;
    EXPECT_EQ(game.bottles[2].vy, vy);
    EXPECT_EQ(game.bottles[2].y, 500 - vy * 0.2f);  // gravity acts before the move
}

TEST_F(Step, LeaderAtExactly142Point5IsSlowed) {
    game.bottleCount = 2;
    place(0, 0, 1000, 0).vy = 150;  // capped: no gravity this step
    place(1, 30, 900, 0).vy = 150;
    game.bottles[1].vy = 142.5f;
    step(0.0f);
    EXPECT_EQ(game.bottles[1].vy, 142.5f * 0.95f);
    EXPECT_EQ(game.bottles[1].vy, 135.375f);
    EXPECT_EQ(game.bottles[0].vy, 150.0f);  // not the leader
}

TEST_F(Step, JustBelowTheThresholdIsNotSlowed) {
    game.bottleCount = 1;
    const float below = std::nextafter(142.5f, 0.0f);
    place(0, 0, 1000, 0).vy = below;
    step(0.0f);
    EXPECT_EQ(game.bottles[0].vy, below);
}

TEST_F(Step, OfEqualHeightsTheLowerIndexLeads) {
    game.bottleCount = 3;
    place(0, 0, 1000, 0).vy = 150;
    place(1, 40, 500, 0).vy = 150;
    place(2, -40, 500, 0).vy = 150;
    step(0.0f);
    EXPECT_EQ(game.bottles[1].vy, 150 * 0.95f);
    EXPECT_EQ(game.bottles[2].vy, 150.0f);
}

TEST_F(Step, EachWallPushesBackFromJustBeyondItsLine) {
    // Heights apart, so that no two bottles knock; above the steering ceiling.
    game.bottleCount = 6;
    place(0, 80, 7000, -80);     // on two lines: inside
    place(1, 80.01f, 7100, 40);  // beyond +x
    place(2, -80.5f, 7200, 0);   // beyond -x
    place(3, 90, 7300, 90);      // beyond +x and +z: only the z push stays
    place(4, -20, 7400, -80.5f); // beyond -z
    place(5, -80, 7500, 80);     // on two lines: inside
    const float dt = 0.016f;
    const float push = 2000 * dt;
    step(dt);
    const float expected[6][2] = {{0, 0}, {-push, 0}, {push, 0}, {0, -push}, {0, push}, {0, 0}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(game.bottles[i].pushX, expected[i][0]) << i;
        EXPECT_EQ(game.bottles[i].pushZ, expected[i][1]) << i;
    }
    // The next step's integration turns each push, less its decay, into speed along it.
    step(dt);
    const float gain = dt * (push - 100 * dt) * 5;
    for (int i = 0; i < 6; ++i) {
        EXPECT_FLOAT_EQ(game.bottles[i].vx, expected[i][0] == 0 ? 0 : std::copysign(gain, expected[i][0])) << i;
        EXPECT_FLOAT_EQ(game.bottles[i].vz, expected[i][1] == 0 ? 0 : std::copysign(gain, expected[i][1])) << i;
    }
}

TEST_F(Step, APushSmallerThanItsDecayChangesSignEveryStep) {
    Bottle b;
    b.pushX = 0.8f;
    b.integrate(0.016f);
    EXPECT_FLOAT_EQ(b.pushX, -0.8f);
    EXPECT_FLOAT_EQ(b.vx, -0.064f);
    b.integrate(0.016f);
    EXPECT_FLOAT_EQ(b.pushX, 0.8f);
    EXPECT_NEAR(b.vx, 0.0f, 1e-7);
}

TEST_F(Step, APushInsideTheDeadBandDoesNothing) {
    Bottle b;
    b.pushZ = 0.5f;
    b.vz = 75;  // above the limit, and left there: nothing limits it here
    b.integrate(0.016f);
    EXPECT_EQ(b.pushZ, 0.5f);
    EXPECT_EQ(b.vz, 75.0f);
    EXPECT_EQ(b.z, 75 * 0.016f);
}

TEST_F(Step, IntegrationMovesWithTheVelocityBeforeThePush) {
    Bottle b;
    b.setPosition(0, 100, 0);
    b.setVelocity(10, 20, 0);
    b.setPush(-32, 0);
    b.integrate(0.1f);
    EXPECT_FLOAT_EQ(b.x, 1.0f);
    EXPECT_FLOAT_EQ(b.y, 98.0f);
    EXPECT_FLOAT_EQ(b.pushX, -22.0f);
    EXPECT_FLOAT_EQ(b.vx, 10 - 0.1f * 22 * 5);
    // A strong push is limited to the speed limit.
    b.setPush(5000, 0);
    b.integrate(0.1f);
    EXPECT_EQ(b.vx, 60.0f);
}

TEST_F(Step, OpponentsSteerTowardTheCentreBelowTheCeiling) {
    game.bottleCount = 4;
    place(0, 0, 6000, 50);
    place(1, 0, 6732, -50);   // at the ceiling: steers; x = 0 counts as the -x side
    place(2, 30, 6732.5f, 30);  // above it: does not
    place(3, 70, 6000, 70).setVelocity(-59.9f, 0, 0);
    const float dt = 0.01f;
    game.steerOpponent(1, dt);
    game.steerOpponent(2, dt);
    game.steerOpponent(3, dt);
    EXPECT_FLOAT_EQ(game.bottles[1].vx, 0.3f);
    EXPECT_FLOAT_EQ(game.bottles[1].vz, 0.3f);
    EXPECT_EQ(game.bottles[2].vx, 0);
    EXPECT_EQ(game.bottles[3].vx, -60.0f);
    EXPECT_FLOAT_EQ(game.bottles[3].vz, -0.3f);
    // The player is never steered.
    step(dt);
    EXPECT_EQ(game.bottles[0].vx, 0);
}

TEST_F(Step, ArrowKeysAccelerateThePlayerEachOnItsOwnLimit) {
    game.bottleCount = 1;
    const float dt = 0.02f;
    struct Case {
        float vx;
        float expected;
    };
    // Both held: each result is limited on its own.
    for (Case c : {Case{60, 60}, Case{-60, -60 + 250 * dt}, Case{0, 0}}) {
        place(0, 0, 5000, 0).vx = c.vx;
        game.keyDown[kKeyLeft] = game.keyDown[kKeyRight] = 1;
        step(dt);
        EXPECT_FLOAT_EQ(game.bottles[0].vx, c.expected) << c.vx;
    }
    game.keyDown[kKeyLeft] = game.keyDown[kKeyRight] = 0;
    place(0, 0, 5000, 0);
    game.keyDown[kKeyUp] = 1;
    step(dt);
    EXPECT_FLOAT_EQ(game.bottles[0].vz, -250 * dt);
    game.keyDown[kKeyUp] = 0;
    game.keyDown[kKeyDown] = 1;
    step(dt);
    step(dt);
    EXPECT_FLOAT_EQ(game.bottles[0].vz, 250 * dt);
}

TEST_F(Step, OutsideTheBoxThePlayerNeitherSteersNorLands) {
    game.bottleCount = 1;
    place(0, 81, 10, 0);
    game.keyDown[kKeyRight] = 1;
    step(0.001f);
    EXPECT_EQ(game.bottles[0].vx, 0);
    EXPECT_EQ(game.gameOver, 0);
    // On any of the box's four edges the player is inside: the keys and the
    // landing test apply.
    for (GroundPlace edge : {GroundPlace{80, 0}, GroundPlace{-80, 0}, GroundPlace{0, 80}, GroundPlace{0, -80}}) {
        SCOPED_TRACE(testing::Message() << edge.x << "," << edge.z);
        game.gameOver = 0;
        place(0, edge.x, 10, edge.z);
        step(0.001f);
        EXPECT_FLOAT_EQ(game.bottles[0].vx, 0.25f);
        EXPECT_EQ(game.gameOver, 1);
    }
}

TEST_F(Step, LandsBelowFifteenNotAtIt) {
    game.bottleCount = 1;
    place(0, 0, 15, 0);
    step(0.0f);
    EXPECT_EQ(game.gameOver, 0);
    place(0, 0, 14.99f, 0);
    step(0.0f);
    EXPECT_EQ(game.gameOver, 1);
}

TEST_F(Step, ALongRoundStaysFiniteAndEnds) {
    // Opponents crowd the centre and knock each other for minutes of game
    // time; nothing may turn into NaN or run away.
    seedRandom(3);
    game.setupRound(64, 30);
    int steps = 0;
    while (!game.gameOver && steps < 100000) {
        step(0.016f);
        ++steps;
    }
    EXPECT_EQ(game.gameOver, 1);
    for (int i = 0; i < 64; ++i) {
        const Bottle& b = game.bottles[i];
        for (float v : {b.x, b.y, b.z, b.vx, b.vy, b.vz, b.pushX, b.pushZ}) EXPECT_TRUE(std::isfinite(v)) << i;
    }
}

}  // namespace
