#include "core/pause.h"
#include "tests/core/game_fixture.h"

namespace {

using KeyTable = GameTest;

TEST_F(KeyTable, StartsWithTheFirstPresetAndNothingHeld) {
    EXPECT_EQ(game.cameraIndex, 0);  // straight down, just behind the bottle: EachCameraKeyChoosesItsPreset
    for (int key = 0; key < kKeyCount; ++key) EXPECT_EQ(game.keyDown[key], 0);
    EXPECT_EQ(game.gameOver, 0);
    EXPECT_EQ(game.quitRequested, 0);
    EXPECT_EQ(game.bottleCount, 0);
    EXPECT_EQ(game.frameClock.frequency, headless().frequency);
}

// '1' chooses the first preset and each digit after it the next; the first
// looks straight down from just behind the bottle, the fourth differs from
// it only in standing right over the bottle.
TEST_F(KeyTable, EachCameraKeyChoosesItsPreset) {
    for (int i = 0; i < kCameraPresetCount; ++i) {
        game.onKeyDown(kKey1 + i);
        EXPECT_EQ(game.cameraIndex, i);
        EXPECT_EQ(game.keyDown[kKey1 + i], 1);
    }
    const CameraPreset& first = game.cameraPresets[0];
    const CameraPreset& fourth = game.cameraPresets[3];
    EXPECT_EQ(std::vector<float>({first.pitch, first.x, first.y, first.z}), std::vector<float>({90, 0, -50, 10}));
    EXPECT_EQ(std::vector<float>({fourth.pitch, fourth.x, fourth.y, fourth.z}), std::vector<float>({90, 0, -50, 0}));
}

// The digits past the last preset's, '0' and the keypad's are no camera keys.
TEST_F(KeyTable, OtherDigitsAndTheKeypadOnlyMarkTheirKey) {
    game.onKeyDown(kKey1 + 2);
    std::vector<int> others = {kKey0, kKeyNumpad0 + 1, kKeyNumpad0 + 5};
    for (int key = kKey1 + kCameraPresetCount; key <= kKey0 + 9; ++key) others.push_back(key);
    for (int key : others) {
        game.onKeyDown(key);
        EXPECT_EQ(game.keyDown[key], 1);
        EXPECT_EQ(game.cameraIndex, 2) << key;
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
    game.onKeyDown(kKey1 + 4);
    EXPECT_EQ(game.cameraIndex, 4);
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
    pressKey(game, PadInput, -5);
    releaseKey(game, TouchInput, kKeyCount);
    for (int key = 0; key < kKeyCount; ++key) EXPECT_EQ(game.keyDown[key], 0);
}

TEST_F(KeyTable, AKeyStaysHeldWhileAnySourceHoldsIt) {
    game.onKeyDown(kKeyLeft);
    pressKey(game, PadInput, kKeyLeft);
    releaseKey(game, PadInput, kKeyLeft);
    EXPECT_EQ(game.keyDown[kKeyLeft], 1) << "letting go of the pad cancelled the arrow still held";
    game.onKeyUp(kKeyLeft);
    EXPECT_EQ(game.keyDown[kKeyLeft], 0);

    pressKey(game, TouchInput, kKeyUp);
    game.onKeyDown(kKeyUp);
    game.onKeyUp(kKeyUp);
    EXPECT_EQ(game.keyDown[kKeyUp], 1) << "the keyboard let go of what touch still holds";
    releaseKey(game, TouchInput, kKeyUp);
    EXPECT_EQ(game.keyDown[kKeyUp], 0);
}

TEST_F(KeyTable, ALostSourceReleasesWhatItHeldAndNothingElse) {
    pressKey(game, PadInput, kKeyLeft);
    pressKey(game, PadInput, kKeySpace);
    game.onKeyDown(kKeySpace);
    game.onKeyDown(kKeyRight);
    pressKey(game, TouchInput, kKeyDown);
    releaseSource(game, PadInput);
    EXPECT_EQ(game.keyDown[kKeyLeft], 0);
    EXPECT_EQ(game.keyDown[kKeySpace], 1);
    EXPECT_EQ(game.keyDown[kKeyRight], 1);
    EXPECT_EQ(game.keyDown[kKeyDown], 1);
    releaseSource(game, KeyboardInput);
    releaseSource(game, TouchInput);
    for (int key = 0; key < kKeyCount; ++key) EXPECT_EQ(game.keyDown[key], 0) << key;
}

// A lost focus lets go of every source: a key a source held before it, let
// go by another since, is not held.
TEST_F(KeyTable, ReleasingAllLetsEverySourceGo) {
    for (InputSource source : {KeyboardInput, PadInput, TouchInput}) pressKey(game, source, kKeyRight);
    pressKey(game, PadInput, kKeyReturn);
    releaseAllKeys(game);
    for (int key = 0; key < kKeyCount; ++key) EXPECT_EQ(game.keyDown[key], 0) << key;
    game.onKeyDown(kKeyRight);
    game.onKeyUp(kKeyRight);
    EXPECT_EQ(game.keyDown[kKeyRight], 0) << "another source still held it";
}

TEST_F(KeyTable, EscapeAndTheCameraKeysWorkFromEverySource) {
    for (InputSource source : {KeyboardInput, PadInput, TouchInput}) {
        SCOPED_TRACE(source);
        Game fresh;
        pressKey(fresh, source, kKey1 + 3);
        EXPECT_EQ(fresh.cameraIndex, 3);
        EXPECT_EQ(fresh.gameOver, 0);
        pressKey(fresh, source, kKeyEscape);
        EXPECT_EQ(fresh.gameOver, 1);
        EXPECT_EQ(fresh.keyDown[kKeyEscape], 1);
        // The next and previous camera, round from the last to the first and
        // back (a shoulder button's), hold no key.
        const int last = kCameraPresetCount - 1;
        stepCamera(fresh, source, -1);
        EXPECT_EQ(fresh.cameraIndex, 2);
        pressKey(fresh, source, kKey1);
        stepCamera(fresh, source, -1);
        EXPECT_EQ(fresh.cameraIndex, last);
        stepCamera(fresh, source, 1);
        EXPECT_EQ(fresh.cameraIndex, 0);
        EXPECT_EQ(fresh.keyDown[kKey1 + last] + fresh.keyDown[kKey1 + 2], 0);
    }
}

using EndScreen = GameTest;

// One end-screen frame's update after `seconds`; the close requests so far.
int countAfter(Game& game, float seconds) {
    game.countEndScreenTime(seconds);
    return headless().closeRequests;
}

TEST_F(EndScreen, ClosesOnlyPastTheDelayWithAnExitKeyHeld) {
    game.gameOver = 1;
    // A key pressed and let go during the delay, and keys that are no exit keys, do nothing.
    game.onKeyDown(kKeySpace);
    EXPECT_EQ(countAfter(game, 0.5), 0);
    game.onKeyUp(kKeySpace);
    game.onKeyDown(kKeyA);
    game.onKeyDown(kKey1 + 2);
    EXPECT_EQ(countAfter(game, 1.5), 0);
    EXPECT_GT(game.endScreenTime, 1.6f);
    EXPECT_EQ(game.quitRequested, 0);

    for (int key : {kKeySpace, kKeyEscape, kKeyReturn}) {
        SCOPED_TRACE(key);
        headless().clear();
        game.quitRequested = 0;
        game.endScreenTime = kEndScreenDelay;
        pressKey(game, PadInput, key);
        EXPECT_EQ(countAfter(game, 0), 0) << "exactly the delay is not past it";
        EXPECT_EQ(countAfter(game, 0.001), 1);
        EXPECT_EQ(game.quitRequested, 1);
        EXPECT_EQ(countAfter(game, 0.001), 2) << "every further frame asks again";
        releaseKey(game, PadInput, key);
    }
}

// Frames come slowly on a busy machine: a tap pressed and let go between two
// frames counts for the next one, and for that one only.
TEST_F(EndScreen, ATapBetweenTwoFramesCountsForTheNextFrameOnly) {
    // The Esc that ends the round, let go before a first end-screen frame
    // that comes past the delay, does not close it.
    game.onKeyDown(kKeyEscape);
    game.onKeyUp(kKeyEscape);
    EXPECT_EQ(countAfter(game, 2), 0);

    // A tap within the delay is spent by the frame that follows it.
    game.endScreenTime = 0;
    pressKey(game, PadInput, kKeyReturn);
    releaseKey(game, PadInput, kKeyReturn);
    EXPECT_EQ(countAfter(game, 0.5), 0);
    EXPECT_EQ(countAfter(game, 1.5), 0);

    for (int key : {kKeySpace, kKeyEscape, kKeyReturn}) {
        SCOPED_TRACE(key);
        headless().clear();
        game.onKeyDown(key);
        game.onKeyUp(key);
        ASSERT_EQ(countAfter(game, 0.5), 1) << "a tap past the delay was lost between two frames";
        EXPECT_EQ(countAfter(game, 0.5), 1) << "the tap counted for a second frame";
    }
    headless().clear();
    game.onKeyDown(kKeyA);
    game.onKeyUp(kKeyA);
    EXPECT_EQ(countAfter(game, 0.5), 0);
}

TEST_F(EndScreen, EachRoundCountsItsOwnTime) {
    // A second round in the same run (the browser's) waits its own delay.
    game.gameOver = 1;
    game.onKeyDown(kKeyReturn);
    EXPECT_EQ(countAfter(game, 2), 1);
    game.startRound(GameSettings());
    EXPECT_EQ(game.endScreenTime, 0);
    game.gameOver = 1;
    game.onKeyDown(kKeyReturn);
    EXPECT_EQ(countAfter(game, 1), 1);
    EXPECT_EQ(game.endScreenTime, 1.0f);
    EXPECT_EQ(game.quitRequested, 0);
}

}  // namespace

namespace {

using Pause = GameTest;

// The pause holds the round as time away does: no reading while it holds,
// a new interval when it goes on; the keys still reach the table, and Esc
// ends the round and the pause with it.
TEST_F(Pause, HoldsTheClockUntilItGoesOnAndEscStillEndsTheRound) {
    game.setupRound(4, 30);
    EXPECT_TRUE(togglePause(game));
    EXPECT_TRUE(pauseRound(game)) << "pausing a paused round keeps it paused";
    headless().advance(5);
    game.onKeyDown(kKeyRight);
    EXPECT_EQ(game.keyDown[kKeyRight], 1);
    EXPECT_FALSE(togglePause(game));
    headless().advance(0.02);
    EXPECT_EQ(game.frameSeconds(), 0.02f);

    pauseRound(game);
    headless().advance(5);
    pressKey(game, PadInput, kKeyEscape);
    EXPECT_EQ(game.gameOver, 1);
    EXPECT_EQ(game.paused, 0);
    headless().advance(0.1);
    game.countEndScreenTime(game.frameSeconds());
    EXPECT_EQ(game.endScreenTime, 0.1f) << "the end screen's time starts with the Esc";
    EXPECT_FALSE(pauseRound(game)) << "an end screen does not pause";
    EXPECT_FALSE(togglePause(game));

    game.gameOver = 0;
    pauseRound(game);
    game.startRound(GameSettings());
    EXPECT_EQ(game.paused, 0) << "a new round starts on";
}

}  // namespace
