// Today's round, a player's name, and a round checked from its recording
// alone, as the board checks what it is sent.

#include <cstring>
#include <ctime>

#include "core/daily_round.h"
#include "core/player_name.h"
#include "core/random.h"
#include "core/round_check.h"
#include "tests/core/game_fixture.h"

namespace {

// The day against the C library's own UTC calendar, across leap years and
// centuries, and the day's state from it.
TEST(DailyRound, EachUtcDayIsItsDateAndItsDateItsState) {
    EXPECT_EQ(dayText(20797), "2026-12-10");
    EXPECT_EQ(dailyRandomState(20797), 20261210u);
    EXPECT_EQ(todayUtc(std::time_t{20797} * 86400 + 86399), 20797u);
    EXPECT_EQ(todayUtc(std::time_t{20797} * 86400 + 86400), 20798u);
    EXPECT_EQ(todayUtc(-5), 0u);
    for (uint32_t day = 0; day < 150000; day += 37) {
        const std::time_t moment = static_cast<std::time_t>(day) * 86400 + 3600;
        std::tm utc{};
        ASSERT_NE(gmtime_r(&moment, &utc), nullptr);
        char text[16];
        std::strftime(text, sizeof text, "%Y-%m-%d", &utc);
        ASSERT_EQ(dayText(day), text) << day;
        ASSERT_EQ(dailyRandomState(day),
                  static_cast<uint32_t>((utc.tm_year + 1900) * 10000 + (utc.tm_mon + 1) * 100 + utc.tm_mday));
        uint32_t back = 0;
        ASSERT_TRUE(readDay(text, &back));
        ASSERT_EQ(back, day);
        ASSERT_EQ(todayUtc(moment), day);
    }
    uint32_t day = 0;
    for (const char* date : {"2024-02-29", "2000-02-29", "1970-01-01"}) EXPECT_TRUE(readDay(date, &day)) << date;
    for (const char* date : {"2025-02-29", "2100-02-29", "2026-13-01", "2026-12-32", "1969-12-31", "2026-1-10",
                             "2026/12/10", "2026-12-10 ", ""})
        EXPECT_FALSE(readDay(date, &day)) << date;
}

using DailyRoundPlayed = GameTest;

// Whatever the settings ask and wherever the run's generator stands, the
// day's round is laid out from its day: eight bottles, thirty bubbles; the
// run's own generator comes back for the next free round.
TEST_F(DailyRoundPlayed, LaysOutFromItsDayAloneAndGivesTheGeneratorBack) {
    GameSettings settings;
    settings.bottleCount = 20;
    settings.blending = 1;
    seedRandom(1);
    const uint32_t runState = randomState();
    startLiveRound(driver, game, settings, dailyRound(20797, "Eva", "t-1"));
    EXPECT_EQ(game.bottleCount, kDailyBottles);
    EXPECT_EQ(game.bubbleCount, kDailyBubbles);
    EXPECT_EQ(game.settings.blending, 1);
    const RoundRecording& r = driver.recorder.recording;
    EXPECT_EQ(std::vector<uint32_t>({r.randomState, uint32_t(r.kind), r.day}),
              std::vector<uint32_t>({20261210u, uint32_t(DailyRound), 20797u}));
    EXPECT_EQ(r.name + " " + r.ticket, "Eva t-1");

    Game other;
    other.usePlatform(headless().services());
    seedRandom(20261210);
    other.setupRound(8, 30);
    EXPECT_EQ(std::memcmp(other.bubbles, game.bubbles, sizeof game.bubbles), 0) << "the day's layout";
    EXPECT_EQ(std::memcmp(other.bottles, game.bottles, sizeof game.bottles), 0);

    startLiveRound(driver, game, settings);
    EXPECT_EQ(driver.recorder.recording.randomState, runState);
    EXPECT_EQ(game.bottleCount, 20);
    EXPECT_EQ(driver.recorder.recording.kind, FreeRound);
}

// Letters, marks after them and digits of any script, single spaces within,
// '-' and '_'; anything else is refused with its reason.
TEST(PlayerName, AnyScriptsLettersAndDigitsWithinTheRule) {
    for (const char* name :
         {"Eva", "\u017dofie Ng", "\u674e\u5c0f\u9f99", "\u0395\u03bb\u03ad\u03bd\u03b7_7", "Nguy\u1ec5n V\u0103n-An",
          "e\u0301mile", "\u0645\u062d\u0645\u062f", "\u0926\u0947\u0935\u0928\u093e\u0917\u0930\u0940",
          "\u0663\u0664", "a-b_c", "12345678901234567890",
          "\u5b57\u5b57\u5b57\u5b57\u5b57\u5b57\u5b57\u5b57\u5b57\u5b57\u5b57\u5b57\u5b57\u5b57\u5b57\u5b57\u5b57"
          "\u5b57\u5b57\u5b57"}) {
        std::string why;
        EXPECT_TRUE(checkPlayerName(name, &why)) << name << ": " << why;
    }
    const std::pair<const char*, const char*> refused[] = {
        {"", "a name has at least one character"},
        {"123456789012345678901", "a name has at most 20 characters"},
        {"\u5b57\u5b57\u5b57\u5b57\u5b57\u5b57\u5b57\u5b57\u5b57\u5b57\u5b57\u5b57\u5b57\u5b57\u5b57\u5b57\u5b57"
         "\u5b57\u5b57\u5b57\u5b57",
         "a name has at most 20 characters"},
        {" Eva", "a name does not begin with a space"},
        {"Eva ", "a name does not end with a space"},
        {"Eva  Nov\u00e1", "a name has no two spaces in a row"},
        {"Eva!", "a name holds letters, digits, spaces, '-' and '_' only"},
        {"Eva\tN", "a name holds letters, digits, spaces, '-' and '_' only"},
        {"\xf0\x9f\x98\x80", "a name holds letters, digits, spaces, '-' and '_' only"},
        {"\u0301e", "a mark in a name follows a letter"},
        {"7\u0301", "a mark in a name follows a letter"},
        {"Eva\xff", "a name is UTF-8 text"},
        {"\xc0\xaf", "a name is UTF-8 text"},
        {"\xed\xa0\x80", "a name is UTF-8 text"},
        {"Eva\xc5", "a name is UTF-8 text"},
        {"\xf4\x90\x80\x80", "a name is UTF-8 text"},
    };
    for (const auto& [name, line] : refused) {
        std::string why;
        EXPECT_FALSE(checkPlayerName(name, &why)) << name;
        EXPECT_EQ(why, line) << name;
    }
    EXPECT_STREQ(playerNameUnicodeVersion(), "14.0.0");
}

class CheckedRounds : public GameTest {
protected:
    // A 12-bottle round played live to its end, steered into two bubbles;
    // Esc at `escAt` ends it instead.
    RoundRecording played(int escAt = -1) {
        GameSettings settings;
        settings.bottleCount = 12;
        settings.sound = 1;
        seedRandom(7);
        startLiveRound(driver, game, settings);
        for (int n = 0; !game.gameOver; ++n) {
            if (n == 0) game.onKeyDown(kKeyRight);
            if (n == 10) game.onKeyUp(kKeyRight);
            if (n == 14) game.onKeyDown(kKeyLeft);
            if (n == 24) game.onKeyUp(kKeyLeft);
            if (n == escAt) game.onKeyDown(kKeyEscape);
            frame(0.02);
        }
        frame(0.02);
        EXPECT_TRUE(roundRecorded(driver, game));
        return driver.recorder.recording;
    }
};

TEST_F(CheckedRounds, AWholeRoundIsPlayedAndItsCatchCounted) {
    const RoundRecording landed = played();
    seedRandom(99);
    const uint32_t before = randomState();
    const CheckedRound checked = checkRound(landed);
    EXPECT_EQ(randomState(), before) << "the caller's generator as it was";
    EXPECT_TRUE(checked.played) << checked.trouble;
    EXPECT_EQ(checked.score, game.bottles[0].score);
    EXPECT_GT(checked.score, 0);
    EXPECT_EQ(checked.frames, int32_t(landed.frameSeconds.size()));
    double seconds = 0;
    for (float frame : landed.frameSeconds) seconds += frame;
    EXPECT_EQ(checked.recordedSeconds, seconds);
    EXPECT_FALSE(checked.endedByEsc);

    const CheckedRound escaped = checkRound(played(300));
    EXPECT_TRUE(escaped.played) << escaped.trouble;
    EXPECT_TRUE(escaped.endedByEsc);
    EXPECT_EQ(escaped.frames, 300);
}

// A recording that is not its round whole says why, in one line.
TEST_F(CheckedRounds, ARecordingThatIsNotItsRoundWholeIsNotPlayed) {
    const RoundRecording landed = played();
    const std::size_t frames = landed.frameSeconds.size();
    const std::string all = std::to_string(frames);
    RoundRecording shorter = landed;
    shorter.frameSeconds.pop_back();
    EXPECT_EQ(checkRound(shorter).trouble, "the recording stops at frame " + std::to_string(frames - 1) + " of " +
                                               std::to_string(frames - 1) + " before the round's end");
    RoundRecording longer = landed;
    longer.frameSeconds.push_back(0.02f);
    EXPECT_EQ(checkRound(longer).trouble,
              "the round landed at frame " + all + " of " + std::to_string(frames + 1) + ": the recording goes on past its end");
    RoundRecording keysAfter = landed;
    keysAfter.keys.push_back({uint32_t(frames), uint8_t(kKeyLeft), 1});
    EXPECT_EQ(checkRound(keysAfter).trouble, "the round landed at its last frame, and keys changed after it");
    RoundRecording escapedEarly = played(300);
    escapedEarly.keys.back().frame = 200;
    escapedEarly.frameSeconds.resize(300);
    const CheckedRound early = checkRound(escapedEarly);
    EXPECT_FALSE(early.played);
    EXPECT_EQ(early.trouble, "the round ended by Esc at frame 200 of 300: the recording goes on past its end");
    EXPECT_EQ(early.frames, 200);
}

}  // namespace
