#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>

#include "core/round_driver.h"
#include "core/settings.h"
#include "shell/headless/headless_platform.h"

namespace {

struct Decoded {
    int result;
    GameSettings settings;
    std::vector<std::string> errors;
};

Decoded decode(const std::string& tail) {
    headless().clear();
    Decoded d{};
    d.settings.resolutionIndex = -7;  // to see whether a refusal writes anything
    d.result = decodeLaunchCode(headless().services(), tail, &d.settings);
    d.errors = headless().errors;
    return d;
}

TEST(LaunchCode, DecodesEachPosition) {
    Decoded d = decode("3HYEN");
    ASSERT_EQ(d.result, 1);
    EXPECT_TRUE(d.errors.empty());
    EXPECT_EQ(d.settings.resolutionIndex, 3);
    EXPECT_EQ(d.settings.colorCode, 'H');
    EXPECT_EQ(d.settings.blending, 1);
    EXPECT_EQ(d.settings.bottleCount, 4);
    EXPECT_EQ(d.settings.sound, 0);
    EXPECT_EQ(resolutionOf(d.settings).width, 1024);
    EXPECT_EQ(resolutionOf(d.settings).height, 768);

    d = decode("0TNAN");
    ASSERT_EQ(d.result, 1);
    EXPECT_EQ(d.settings.colorCode, 'T');
    EXPECT_EQ(d.settings.blending, 0);
    EXPECT_EQ(d.settings.bottleCount, 0);
    EXPECT_EQ(bottlesToLay(d.settings), 4);
    EXPECT_EQ(resolutionOf(d.settings).width, 800);

    // Only an exact upper-case 'H' or 'N' counts.
    d = decode("1xyBz");
    ASSERT_EQ(d.result, 1);
    EXPECT_EQ(d.settings.colorCode, 'T');
    EXPECT_EQ(d.settings.blending, 1);
    EXPECT_EQ(bottlesToLay(d.settings), 1);
    EXPECT_EQ(d.settings.sound, 1);
    EXPECT_EQ(resolutionOf(d.settings).height, 480);

    d = decode("5hnQn");
    ASSERT_EQ(d.result, 1);
    EXPECT_EQ(d.settings.colorCode, 'T');
    EXPECT_EQ(d.settings.blending, 1);
    EXPECT_EQ(d.settings.bottleCount, 16);
    EXPECT_EQ(d.settings.sound, 1);
    EXPECT_EQ(resolutionOf(d.settings).width, 1280);
}

TEST(LaunchCode, RowsZeroAndTwoAreBoth800x600) {
    EXPECT_EQ(resolutionOf(decode("0TYAY").settings).width, 800);
    EXPECT_EQ(resolutionOf(decode("2TYAY").settings).width, 800);
    EXPECT_EQ(resolutionOf(decode("2TYAY").settings).height, 600);
}

TEST(LaunchCode, RefusesWrongLengthsWithTheMessage) {
    for (const char* tail : {"", "0TYA", "0TYAYY", "0TYAY ", " 0TYAY"}) {
        const Decoded d = decode(tail);
        EXPECT_EQ(d.result, 0) << '"' << tail << '"';
        ASSERT_EQ(d.errors.size(), 1u) << '"' << tail << '"';
        EXPECT_EQ(d.errors[0], "Chybné parametry programu - spusťte KorvadaSetup.exe");
        EXPECT_EQ(d.settings.resolutionIndex, -7);
    }
}

TEST(LaunchCode, RefusesValuesNoTableHoldsLikeAWrongLength) {
    // Resolution past the table's rows or below '0'; bottles below 'A' (bytes
    // from 128 up are negative) or above 64.
    const std::string pastTheTable(1, static_cast<char>('0' + kResolutionCount));
    for (const std::string& tail : {pastTheTable + "TYAY", std::string("/TYAY"), std::string("0TY@Y"),
                                    std::string("0TY\x81Y"), std::string("\xB0TYAY")}) {
        const Decoded d = decode(tail);
        EXPECT_EQ(d.result, 0) << tail;
        ASSERT_EQ(d.errors.size(), 1u);
        EXPECT_EQ(d.errors[0], kBadLaunchCodeMessage);
    }
    // The highest count a signed character can carry is 62.
    const Decoded highest = decode("0TY\x7FY");
    ASSERT_EQ(highest.result, 1);
    EXPECT_EQ(highest.settings.bottleCount, 62);
}

TEST(CommandTail, SkipsTheProgramNameAndTheBlanksAfterIt) {
    EXPECT_EQ(windowsCommandTail("korvada.exe 0TYAY"), "0TYAY");
    EXPECT_EQ(windowsCommandTail("korvada.exe \t  \t0TYAY"), "0TYAY");
    EXPECT_EQ(windowsCommandTail("\"C:\\Program Files\\Korvada\\korvada.exe\" 0TYAY"), "0TYAY");
    EXPECT_EQ(windowsCommandTail("\"C:\\Games\\korvada.exe\"0TYAY"), "0TYAY");
    EXPECT_EQ(windowsCommandTail("\"unterminated name 0TYAY"), "");
    EXPECT_EQ(windowsCommandTail("korvada.exe"), "");
    EXPECT_EQ(windowsCommandTail(""), "");
    // Trailing blanks stay, so such a code is one character too long.
    EXPECT_EQ(windowsCommandTail("korvada.exe 0TYAY "), "0TYAY ");
    EXPECT_EQ(decode(windowsCommandTail("korvada.exe 0TYAY ")).result, 0);
}

TEST(CommandTail, JoinsLinuxArgumentsWithSingleSpaces) {
    const char* none[] = {"korvada"};
    const char* one[] = {"korvada", "3HYEN"};
    const char* padded[] = {"korvada", "3HYEN "};
    const char* two[] = {"korvada", "3HYEN", "x"};
    EXPECT_EQ(joinArguments(1, none), "");
    EXPECT_EQ(joinArguments(2, one), "3HYEN");
    EXPECT_EQ(decode(joinArguments(2, one)).result, 1);
    EXPECT_EQ(decode(joinArguments(2, padded)).result, 0);
    EXPECT_EQ(joinArguments(3, two), "3HYEN x");
    EXPECT_EQ(decode(joinArguments(3, two)).result, 0);
}

TEST(CommandTail, WindowOptionBeforeTheCode) {
    const auto take = [](std::string tail) {
        const bool inWindow = takeWindowOption(&tail);
        return (inWindow ? "window:" : "full:") + tail;
    };
    EXPECT_EQ(take("--window 3HYEN"), "window:3HYEN");
    EXPECT_EQ(take(windowsCommandTail("korvada.exe --window \t 3HYEN")), "window:3HYEN");
    EXPECT_EQ(take("3HYEN"), "full:3HYEN");
    // The code after the option is checked as ever: a trailing blank, or no code.
    EXPECT_EQ(take("--window 3HYEN "), "window:3HYEN ");
    EXPECT_EQ(take("--window "), "window:");
    // Only the option itself, before the code.
    for (const char* other : {"--window", "--windows 3HYEN", "3HYEN --window", "--WINDOW 3HYEN", "-window 3HYEN"})
        EXPECT_EQ(take(other), std::string("full:") + other);
}

// The recording's file as Windows quotes an argument: a path with blanks in
// double quotes.
TEST(CommandTail, WatchOptionTakesItsFileQuotedOrNot) {
    const auto take = [](std::string tail) {
        std::string file = "?";
        const bool watch = takeWatchOption(&tail, &file);
        return watch ? "[" + file + "]" + tail : "no:" + tail;
    };
    EXPECT_EQ(take("--watch best-round-4.kvr 3HYEN"), "[best-round-4.kvr]3HYEN");
    EXPECT_EQ(take(windowsCommandTail(
                  "\"C:\\Korvada\\korvada.exe\" --watch \"C:\\Users\\Jan Novák\\best-round-4.kvr\"  --window 0TYAY")),
              "[C:\\Users\\Jan Novák\\best-round-4.kvr]--window 0TYAY");
    EXPECT_EQ(take("--watch \"\" 0TYAY"), "[]0TYAY") << "an empty file is none";
    EXPECT_EQ(take("--watch \"unclosed 0TYAY"), "[]") << "nor is an unclosed quote";
    EXPECT_EQ(take("--watch "), "[]");
    for (const char* other : {"--watch", "--watching f 0TYAY", "0TYAY --watch f", "--window 0TYAY"})
        EXPECT_EQ(take(other), std::string("no:") + other);

    for (const char* tail : {"--window --watch a.kvr 0TYAY", "--watch a.kvr --window 0TYAY"}) {
        std::string code = tail;
        const LaunchOptions options = takeLaunchOptions(&code);
        EXPECT_TRUE(options.window && options.watch) << tail;
        EXPECT_EQ(options.watchFile, "a.kvr");
        EXPECT_EQ(code, "0TYAY");
    }
}

// A round opened by the desktop with its file alone: a path as Linux gives
// it or as Explorer quotes it, ending in .kvr or naming a file; a launch
// code, an option or a bad code that is no file stays what it was.
TEST(CommandTail, BareRoundFileIsWatched) {
    const auto take = [](std::string tail) {
        LaunchOptions options;
        return takeBareRoundFile(&tail, &options) && options.watch && tail.empty() ? "[" + options.watchFile + "]"
                                                                                   : "no:" + tail;
    };
    EXPECT_EQ(take("/home/jan/Stažené/kolo Jany.kvr"), "[/home/jan/Stažené/kolo Jany.kvr]");
    EXPECT_EQ(take(windowsCommandTail("\"C:\\Korvada\\korvada.exe\" \"C:\\Users\\Jan Novák\\best.KVR\"")),
              "[C:\\Users\\Jan Novák\\best.KVR]");
    const std::string named = ::testing::TempDir() + "round-without-its-ending";
    std::FILE* file = std::fopen(named.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    EXPECT_EQ(take(named), "[" + named + "]");
    std::remove(named.c_str());
    EXPECT_EQ(take(named), "no:" + named) << "a name without .kvr must name a file";
    for (const char* other : {"0TYAY", "0TYAYX", "--window", "\"unclosed.kvr", "\"\"", ""})
        EXPECT_EQ(take(other), std::string("no:") + other);
    std::string tail = "other.kvr";
    LaunchOptions watching;
    watching.watch = true;
    EXPECT_FALSE(takeBareRoundFile(&tail, &watching)) << "--watch named its file already";
}

// Today's round with a name of blanks, quoted as Windows quotes it, and a
// ticket, in any order before the code; the round they start.
TEST(CommandTail, DailyNameAndTicketBeforeTheCode) {
    std::string code = windowsCommandTail("korvada.exe --name \"Jan Nov\u00e1k\" --daily --ticket t-9 --window 0TYAY");
    const LaunchOptions options = takeLaunchOptions(&code);
    EXPECT_EQ(code, "0TYAY");
    EXPECT_TRUE(options.daily && options.window && !options.watch);
    EXPECT_EQ(options.name, "Jan Nov\u00e1k");
    EXPECT_EQ(options.ticket, "t-9");

    const std::time_t noonOnThe10th = std::time_t{20797} * 86400 + 43200;
    RoundStart start;
    std::string why;
    ASSERT_TRUE(roundStartOf(options, noonOnThe10th, &start, &why)) << why;
    EXPECT_EQ(start.watched, nullptr);
    EXPECT_EQ(std::vector<uint32_t>({uint32_t(start.facts.kind), start.facts.day, uint32_t(start.facts.bubbles)}),
              std::vector<uint32_t>({uint32_t(DailyRound), 20797u, 30u}));
    EXPECT_EQ(start.facts.name + "|" + start.facts.ticket, "Jan Nov\u00e1k|t-9");

    LaunchOptions free;
    free.name = "Jan  Nov\u00e1k";
    EXPECT_FALSE(roundStartOf(free, noonOnThe10th, &start, &why));
    EXPECT_EQ(why, "a name has no two spaces in a row");
    free.name.clear();
    ASSERT_TRUE(roundStartOf(free, noonOnThe10th, &start, &why));
    EXPECT_EQ(std::vector<uint32_t>({uint32_t(start.facts.kind), start.facts.day}),
              std::vector<uint32_t>({uint32_t(FreeRound), 20797u})) << "a free round says the day it was played";
}

}  // namespace
