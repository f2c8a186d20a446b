#include <cmath>

#include "core/random.h"
#include "tests/core/game_fixture.h"

namespace {

class Contacts : public GameTest {
protected:
    Contacts() {
        game.settings.sound = 1;
        game.bottleCount = 4;
        for (int i = 0; i < 4; ++i) place(i, 200.0f * i, 3000, 0);
    }
};

TEST_F(Contacts, HeightsMustDifferByLessThanThirty) {
    place(0, 0, 1000, 0);
    place(1, 1, 1030, 0);
    game.collideBottles(0, 1);
    EXPECT_TRUE(headless().sounds.empty());
    place(1, 1, 1029.99f, 0);
    game.collideBottles(0, 1);
    EXPECT_EQ(headless().sounds.size(), 1u);
}

TEST_F(Contacts, HorizontalDistanceMustBeBelowTen) {
    place(0, 0, 1000, 0);
    place(1, 6, 1000, 8);  // exactly 10 apart
    game.collideBottles(0, 1);
    EXPECT_TRUE(headless().sounds.empty());
    EXPECT_EQ(game.bottles[0].vy, 0);
}

TEST_F(Contacts, PushesApartAlongTheLineWithEqualShares) {
    // A moving at 10, B at rest: P = 500, M = 100, each gains 5.
    Bottle& a = place(1, 0, 1000, 0);
    Bottle& b = place(2, 3, 1000, 0);  // B on the +x side of A
    a.setVelocity(0, 100, 10);
    game.collideBottles(1, 2);
    EXPECT_NEAR(a.vx, -5.0f, 1e-4);
    EXPECT_NEAR(a.vz, 10.0f, 1e-4);
    EXPECT_NEAR(b.vx, 5.0f, 1e-4);
    EXPECT_NEAR(b.vz, 0.0f, 1e-4);
    EXPECT_EQ(a.vy, 95.0f);
    // A at rest, B moving at 10: only B's term carries 0.8, so P = 400.
    place(1, 0, 1000, 0);
    place(2, 3, 1000, 0).setVelocity(0, 0, -10);
    game.collideBottles(1, 2);
    EXPECT_NEAR(a.vx, -4.0f, 1e-4);
    EXPECT_NEAR(b.vx, 4.0f, 1e-4);
    EXPECT_NEAR(b.vz, -10.0f, 1e-4);
}

TEST_F(Contacts, DirectionFollowsTheQuadrant) {
    struct Case {
        float dx, dz;          // A - B
        float ax, az;          // unit direction A is pushed
    };
    const Case cases[] = {
        {-3, 0, -1, 0},  // A on the -x side goes toward -x
        {0, -3, 0, -1},  // A on the -z side, as in a grid column
        {3, 0, 1, 0},
        {0, 3, 0, 1},
        {2, 2, 0.70710678f, 0.70710678f},
        {-2, 2, -0.70710678f, 0.70710678f},
        {-2, -2, -0.70710678f, -0.70710678f},
        {2, -2, 0.70710678f, -0.70710678f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dx << "," << c.dz);
        Bottle& a = place(1, c.dx, 1000, c.dz);
        Bottle& b = place(2, 0, 1000, 0);
        a.setVelocity(20, 0, 0);  // P = 1000: each gains 10
        game.collideBottles(1, 2);
        EXPECT_NEAR(a.vx - 20, 10 * c.ax, 1e-3);
        EXPECT_NEAR(a.vz, 10 * c.az, 1e-3);
        EXPECT_NEAR(b.vx, -10 * c.ax, 1e-3);
        EXPECT_NEAR(b.vz, -10 * c.az, 1e-3);
    }
}

TEST_F(Contacts, BottlesOnTheSameSpotPartAlongX) {
    Bottle& a = place(1, 5, 1000, 5);
    Bottle& b = place(2, 5, 1000, 5);
    a.setVelocity(10, 0, 0);
    game.collideBottles(1, 2);
    EXPECT_NEAR(a.vx, 15.0f, 1e-4);
    EXPECT_NEAR(b.vx, -5.0f, 1e-4);
    for (float v : {a.vx, a.vz, b.vx, b.vz}) EXPECT_TRUE(std::isfinite(v));
}

TEST_F(Contacts, AtRestOnlyTheFallIsDampedAndTheCueStillPlays) {
    Bottle& a = place(1, 0, 1000, 0);
    Bottle& b = place(2, 1, 1000, 1);
    a.vy = 100;
    b.vy = 40;
    game.collideBottles(1, 2);
    EXPECT_EQ(a.vx, 0);
    EXPECT_EQ(a.vz, 0);
    EXPECT_EQ(b.vx, 0);
    EXPECT_EQ(a.vy, 95.0f);
    EXPECT_EQ(b.vy, 40 * 0.95f);
    EXPECT_EQ(headless().sounds.size(), 1u);
}

TEST_F(Contacts, NothingLimitsTheGainedSpeed) {
    Bottle& a = place(1, 0, 1000, 0);
    place(2, 1, 1000, 0);
    a.setVelocity(-60, 0, 0);
    game.collideBottles(1, 2);
    EXPECT_NEAR(a.vx, -90.0f, 1e-3);
}

TEST_F(Contacts, PlayerKnocksSoundThePlayersCue) {
    place(0, 0, 1000, 0);
    place(3, 1, 1000, 0);
    game.collideBottles(0, 3);
    place(2, 50, 1000, 0);
    place(3, 51, 1000, 0);
    game.collideBottles(2, 3);
    ASSERT_EQ(headless().sounds.size(), 2u);
    EXPECT_EQ(headless().sounds[0].substr(0, 4), "tukm");
    EXPECT_EQ(headless().sounds[1].substr(0, 4), "tuk0");
}

TEST_F(Contacts, CatchBoxIsStrictOnEverySide) {
    // Six bubbles on the box's faces, then one just inside a corner: a bound
    // that lets one face in catches that face's bubble instead of the last.
    const float near[7][3] = {{8, 1000, 0},  {-8, 1000, 0}, {0, 1020, 0},
                              {0, 980, 0},   {0, 1000, 8},  {0, 1000, -8},
                              {-7.99f, 1019.9f, 7.99f}};
    game.bubbleCount = 7;
    place(0, 0, 1000, 0);
    for (int k = 0; k < 7; ++k) {
        game.bubbles[k].setPosition(near[k][0], near[k][1], near[k][2]);
        game.bubbles[k].setActive(1);
    }
    game.pickUpBubble(0);
    EXPECT_EQ(game.bottles[0].score, 1);
    for (int k = 0; k < 6; ++k) EXPECT_EQ(game.bubbles[k].isActive(), 1) << k;
    EXPECT_EQ(game.bubbles[6].isActive(), 0);
    ASSERT_EQ(headless().sounds.size(), 1u);
    EXPECT_EQ(headless().sounds[0], "zblunk.wav");
}

TEST_F(Contacts, OneCatchPerStepLowestIndexFirst) {
    game.bubbleCount = 3;
    place(0, 0, 1000, 0);
    for (int k = 0; k < 3; ++k) {
        game.bubbles[k].setPosition(1, 1000, 1);
        game.bubbles[k].setActive(k != 0);  // bubble 0 already caught
    }
    game.pickUpBubble(0);
    EXPECT_EQ(game.bubbles[1].isActive(), 0);
    EXPECT_EQ(game.bubbles[2].isActive(), 1);
    game.pickUpBubble(0);
    EXPECT_EQ(game.bubbles[2].isActive(), 0);
    EXPECT_EQ(game.bottles[0].score, 2);
    game.pickUpBubble(0);
    EXPECT_EQ(game.bottles[0].score, 2);
}

TEST_F(Contacts, TheStepKnocksThePairOfTheLastTwoBottles) {
    // Only the last pair touches: a pair loop that stops a bottle early misses it.
    game.bottleCount = 3;
    place(0, -60, 7000, -60);
    place(1, 0, 7000, 0).setVelocity(10, 0, 0);
    place(2, 3, 7000, 0);  // on the +x side of bottle 1
    game.stepSimulation(0.0f);
    EXPECT_NEAR(game.bottles[1].vx, 5.0f, 1e-4);
    EXPECT_NEAR(game.bottles[2].vx, 5.0f, 1e-4);
    EXPECT_EQ(game.bottles[0].vx, 0);
    ASSERT_EQ(headless().sounds.size(), 1u);
    EXPECT_EQ(headless().sounds[0].substr(0, 4), "tuk0");
}

TEST_F(Contacts, TheLowerBottleHasTheFirstPick) {
    game.bottleCount = 3;
    place(0, 0, 1000, 0);
    place(1, 100, 1000, 100);
    place(2, 2, 1000, 0);
    game.bubbleCount = 1;
    game.bubbles[0].setPosition(1, 1000, 0);
    game.bubbles[0].setActive(1);
    game.stepSimulation(0.0f);
    EXPECT_EQ(game.bottles[0].score, 1);
    EXPECT_EQ(game.bottles[2].score, 0);
}

TEST_F(Contacts, SoundOffChangesNothingButTheSilence) {
    seedRandom(99);
    const int firstValue = nextRandom();
    game.settings.sound = 0;
    place(1, 0, 1000, 0).setVelocity(10, 0, 0);
    place(2, 1, 1000, 0);
    seedRandom(99);
    game.collideBottles(1, 2);
    EXPECT_NEAR(game.bottles[2].vx, 5.0f, 1e-4);
    EXPECT_TRUE(headless().sounds.empty());
    EXPECT_EQ(nextRandom(), firstValue);  // no number was drawn
}

}  // namespace
