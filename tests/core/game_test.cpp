#include "tests/core/game_fixture.h"

namespace {

using KeyTable = GameTest;

TEST_F(KeyTable, StartsWithTheFirstPresetAndNothingHeld) {
    EXPECT_EQ(game.cameraIndex, 0);  // the presets' values: DigitsOneToSixChooseTheirPreset
    for (int key = 0; key < kKeyCount; ++key) EXPECT_EQ(game.keyDown[key], 0);
    EXPECT_EQ(game.gameOver, 0);
    EXPECT_EQ(game.quitRequested, 0);
    EXPECT_EQ(game.bottleCount, 0);
    EXPECT_EQ(game.frameClock.frequency, headless().frequency);
}

TEST_F(KeyTable, DigitsOneToSixChooseTheirPreset) {
    const float expected[kCameraPresetCount][4] = {
        {90, 0, -50, 10}, {150, 0, -15, 30}, {92, 5, -150, 5}, {90, 0, -50, 0}, {-90, 0, 50, 10}, {115, 0, -40, 20},
    };
    for (int i = 0; i < kCameraPresetCount; ++i) {
        EXPECT_EQ(game.onKeyDown(kKey1 + i), 1);
        EXPECT_EQ(game.cameraIndex, i);
        EXPECT_EQ(game.keyDown[kKey1 + i], 1);
        const CameraPreset& p = game.cameraPresets[i];
        EXPECT_EQ(p.pitch, expected[i][0]);
        EXPECT_EQ(p.x, expected[i][1]);
        EXPECT_EQ(p.y, expected[i][2]);
        EXPECT_EQ(p.z, expected[i][3]);
    }
}

TEST_F(KeyTable, OtherDigitsAndTheKeypadOnlyMarkTheirKey) {
    game.onKeyDown(kKey1 + 2);
    for (int key : {kKey0, kKey0 + 7, kKey0 + 8, kKey0 + 9, kKeyNumpad0 + 1, kKeyNumpad0 + 5}) {
        EXPECT_EQ(game.onKeyDown(key), 1);
        EXPECT_EQ(game.keyDown[key], 1);
        EXPECT_EQ(game.cameraIndex, 2);
        EXPECT_EQ(game.gameOver, 0);
    }
}

TEST_F(KeyTable, EscapeEndsTheRoundAndStaysHeldUntilReleased) {
    EXPECT_EQ(game.onKeyDown(kKeyEscape), 1);
    EXPECT_EQ(game.gameOver, 1);
    EXPECT_EQ(game.keyDown[kKeyEscape], 1);
    game.onKeyDown(kKeyEscape);  // a repeat changes nothing
    EXPECT_EQ(game.gameOver, 1);
    game.onKeyUp(kKeyEscape);
    EXPECT_EQ(game.keyDown[kKeyEscape], 0);
    EXPECT_EQ(game.gameOver, 1);
    // Camera keys still work once the round is over.
    game.onKeyDown(kKey6);
    EXPECT_EQ(game.cameraIndex, 5);
}

TEST_F(KeyTable, ReleaseOfAKeyNeverPressedChangesNothing) {
    game.onKeyUp(kKeyLeft);
    EXPECT_EQ(game.keyDown[kKeyLeft], 0);
    EXPECT_EQ(game.cameraIndex, 0);
}

TEST_F(KeyTable, CodesOutsideTheTableAreIgnored) {
    EXPECT_EQ(game.onKeyDown(-1), 1);
    EXPECT_EQ(game.onKeyDown(kKeyCount), 1);
    game.onKeyUp(100000);
    for (int key = 0; key < kKeyCount; ++key) EXPECT_EQ(game.keyDown[key], 0);
}

}  // namespace
