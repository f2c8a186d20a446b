#include <map>

#include "core/sound_cues.h"
#include "core/random.h"
#include "tests/core/game_fixture.h"

namespace {

using SoundCues = GameTest;

TEST_F(SoundCues, EachKnockPicksOneOfThreeFilesByTheNextRandomValue) {
    game.settings.sound = 1;
    seedRandom(2024);
    std::vector<int> values;
    for (int i = 0; i < 60; ++i) values.push_back(nextRandom() % 3);
    seedRandom(2024);
    for (int i = 0; i < 30; ++i) {
        game.playCue(PlayerKnock);
        game.playCue(Knock);
    }
    ASSERT_EQ(headless().sounds.size(), 60u);
    std::map<std::string, int> seen;
    for (int i = 0; i < 60; ++i) {
        const std::string prefix = i % 2 == 0 ? "tukm0" : "tuk0";
        EXPECT_EQ(headless().sounds[i], prefix + std::to_string(values[i] + 1) + ".wav");
        ++seen[headless().sounds[i]];
    }
    EXPECT_EQ(seen.size(), 6u);
}

TEST_F(SoundCues, PlopIsAlwaysTheSameFileAndDrawsNothing) {
    game.settings.sound = 1;
    seedRandom(5);
    const int next = [] { const int v = nextRandom(); seedRandom(5); return v; }();
    game.playCue(Plop);
    EXPECT_EQ(headless().sounds, std::vector<std::string>{"zblunk.wav"});
    EXPECT_EQ(nextRandom(), next);
}

TEST_F(SoundCues, SoundOffPlaysNothingAndDrawsNothing) {
    game.settings.sound = 0;
    seedRandom(5);
    const int next = [] { const int v = nextRandom(); seedRandom(5); return v; }();
    for (int cue = 0; cue <= 4; ++cue) game.playCue(cue);
    EXPECT_TRUE(headless().sounds.empty());
    EXPECT_EQ(nextRandom(), next);
}

TEST_F(SoundCues, ValuesThatAreNoCuePlayNothing) {
    game.settings.sound = 1;
    game.playCue(0);
    game.playCue(4);
    game.playCue(-1);
    EXPECT_TRUE(headless().sounds.empty());
    EXPECT_EQ(cueFileName(4), nullptr);
}

}  // namespace

namespace {

// M silences the rest of the run, not the settings, and a muted round
// draws its random numbers as a sounding one: same course, same recording.
TEST_F(SoundCues, MuteSilencesTheRunAndDrawsAsSoundingCuesDo) {
    GameSettings settings;
    settings.sound = 1;
    game.startRound(settings);
    seedRandom(5);
    nextRandom();
    const int afterOneDraw = nextRandom();
    seedRandom(5);
    EXPECT_TRUE(toggleMute(game));
    game.playCue(Knock);
    game.playCue(Plop);
    EXPECT_TRUE(headless().sounds.empty());
    EXPECT_EQ(nextRandom(), afterOneDraw);
    EXPECT_EQ(game.settings.sound, 1);
    game.startRound(settings);
    game.playCue(Plop);
    EXPECT_TRUE(headless().sounds.empty()) << "for the whole run";
    EXPECT_FALSE(toggleMute(game));
    game.playCue(Plop);
    EXPECT_EQ(headless().sounds, std::vector<std::string>{"zblunk.wav"});
}

}  // namespace
