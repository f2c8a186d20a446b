#include <set>

#include "core/sound_cues.h"
#include "core/random.h"
#include "tests/core/game_fixture.h"

namespace {

using SoundCues = GameTest;

// Seeded with 1, the generator gives 41, 18467, 6334, 26500, 19169, 15724,
// 11478, 29358: the remainders 2 2 1 1 2 1 0 0 by three choose the files.
TEST_F(SoundCues, EachKnockPicksOneOfThreeFilesByTheNextRandomValue) {
    game.settings.sound = 1;
    seedRandom(1);
    for (int i = 0; i < 30; ++i) {
        game.playCue(PlayerKnock);
        game.playCue(Knock);
    }
    ASSERT_EQ(headless().sounds.size(), 60u);
    const std::vector<std::string> first(headless().sounds.begin(), headless().sounds.begin() + 8);
    EXPECT_EQ(first, (std::vector<std::string>{"tukm03.wav", "tuk03.wav", "tukm02.wav", "tuk02.wav", "tukm03.wav",
                                               "tuk02.wav", "tukm01.wav", "tuk01.wav"}));
    EXPECT_EQ(std::set<std::string>(headless().sounds.begin(), headless().sounds.end()).size(), 6u);
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
