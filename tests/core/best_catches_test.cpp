// The table of best catches: its text as an editor may leave it, real
// calendar days, what beats a best, and the round's end keeping its catch in
// a file that a crash, a damaged table or another game ending at the same
// moment cannot cost.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "core/best_catches.h"
#include "core/daily_round.h"
#include "core/random.h"
#include "linux/linux_places.h"
#include "tests/core/game_fixture.h"
#include "tests/child_process.h"

namespace fs = std::filesystem;

namespace {

// Noon of a day on the local clock, as the game's clock would give it.
std::time_t localNoon(int year, int month, int day) {
    std::tm moment{};
    moment.tm_year = year - 1900;
    moment.tm_mon = month - 1;
    moment.tm_mday = day;
    moment.tm_hour = 12;
    moment.tm_isdst = -1;
    return std::mktime(&moment);
}

TEST(BestCatches, TheTextReadsBackWhateverAnEditorLeftOfIt) {
    BestCatches table;
    EXPECT_EQ(bestCatchesText(table), "korvada best catches\n");
    ASSERT_TRUE(keepBestCatch(&table, 12, 7, "2026-12-10"));
    ASSERT_TRUE(keepBestCatch(&table, 4, 23, "2026-12-09"));
    ASSERT_TRUE(keepBestCatch(&table, kMaxBottles, 0, "2027-01-31"));
    const std::string text = bestCatchesText(table);
    EXPECT_EQ(text, "korvada best catches\n4 23 2026-12-09\n12 7 2026-12-10\n64 0 2027-01-31\n");
    // The same rows after Notepad (CRLF), a stray blank or tab, no last line
    // end, blank lines, another order: all of it read, nothing passed over.
    for (const std::string& edited :
         {text, std::string("korvada best catches\r\n4 23 2026-12-09\r\n12 7 2026-12-10\r\n64 0 2027-01-31\r\n"),
          std::string("korvada best catches \n4 23 2026-12-09  \n\t12\t7 2026-12-10\n64 0 2027-01-31"),
          std::string("\nkorvada  best catches\n\n64 0 2027-01-31\n 4 23 2026-12-09\n\n12 7 2026-12-10\n \n")}) {
        SCOPED_TRACE(edited);
        const ReadCatches read = readBestCatches(edited);
        EXPECT_EQ(bestCatchesText(read.table), text);
        EXPECT_TRUE(read.skipped.empty()) << skippedLines(read.skipped);
    }
    EXPECT_FALSE(readBestCatches(text).table[5].kept);
    for (const char* empty : {"", "\n", " \r\n\r\n"}) {
        const ReadCatches read = readBestCatches(empty);
        EXPECT_EQ(bestCatchesText(read.table), "korvada best catches\n");
        EXPECT_TRUE(read.skipped.empty()) << "nothing in it, nothing lost";
    }
}

TEST(BestCatches, ABadLineIsPassedOverAndTheRestIsRead) {
    struct Case {
        std::string text;
        std::string rows;     // what bestCatchesText gives of what was read, past its first line
        std::string skipped;  // skippedLines of what was passed over
    };
    const std::string head = "korvada best catches\n";
    const Case cases[] = {
        {head + "4 23 2026-12-09\n4 x\n12 7 2026-12-10\n", "4 23 2026-12-09\n12 7 2026-12-10\n", "line 3 \"4 x\""},
        {head + "0 1 2026-12-09\n65 1 2026-12-09\n4 31 2026-12-09\n4 -1 2026-12-09\n4 1\n5 1 2026-12-09 x\n",
         "", "line 2 \"0 1 2026-12-09\", line 3 \"65 1 2026-12-09\", line 4 \"4 31 2026-12-09\" and 3 more"},
        // Days that are none: day 00, month 13 (the day and month swapped),
        // 29 February of a year that has none, 31 April.
        {head + "1 1 2026-12-00\n2 1 2026-13-12\n3 1 2026-02-29\n4 1 1900-02-29\n5 1 2026-04-31\n6 1 2024-02-29\n",
         "6 1 2024-02-29\n", "line 2 \"1 1 2026-12-00\", line 3 \"2 1 2026-13-12\", line 4 \"3 1 2026-02-29\" and 2 more"},
        // Twice for a number of bottles: the better row stays, whichever
        // comes first; of two equal, the earlier day.
        {head + "4 3 2026-12-01\n4 9 2026-12-05\n", "4 9 2026-12-05\n",
         "line 3 \"4 9 2026-12-05\" (a second row for 4 bottles: the better one stays)"},
        {head + "4 9 2026-12-05\n4 3 2026-12-01\n", "4 9 2026-12-05\n",
         "line 3 \"4 3 2026-12-01\" (a second row for 4 bottles: the better one stays)"},
        {head + "4 9 2026-12-05\n4 9 2026-12-01\n", "4 9 2026-12-01\n",
         "line 3 \"4 9 2026-12-01\" (a second row for 4 bottles: the better one stays)"},
        // No first line of ours: the rows that read as rows are still read.
        {"4 23 2026-12-09\n", "4 23 2026-12-09\n", "no first line \"korvada best catches\""},
        {std::string("\x7f" "ELF\x02\x01\x00\n\xff\xfe", 10), "",
         "no first line \"korvada best catches\", line 1 \"?ELF???\", line 2 \"??\""},
        {head + "3HYEN " + std::string(60, 'x') + "\n", "",
         "line 2 \"3HYEN xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx...\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const ReadCatches read = readBestCatches(c.text);
        EXPECT_EQ(bestCatchesText(read.table), head + c.rows);
        EXPECT_EQ(skippedLines(read.skipped), c.skipped);
    }
}

TEST(BestCatches, AKeptDayIsARealCalendarDayOfTheLocalClock) {
    for (const char* day : {"2026-12-13", "2026-01-31", "2024-02-29", "2000-02-29", "2026-12-31", "0001-01-01"})
        EXPECT_TRUE(isDate(day)) << day;
    for (const char* none : {"2026-12-00", "2026-00-12", "2026-13-12", "2026-02-29", "1900-02-29", "2026-04-31",
                             "0000-01-01", "2026-12-9", "2026/12/09", "2026-12-09 ", "+026-12-09", ""})
        EXPECT_FALSE(isDate(none)) << none;
    // A fixed clock: days past the 12th (a day and month swapped read as a
    // month past December) and leap days, at noon wherever the test runs.
    const std::tuple<int, int, int, const char*> days[] = {
        {2026, 12, 13, "2026-12-13"}, {2027, 1, 31, "2027-01-31"}, {2026, 6, 30, "2026-06-30"},
        {2024, 2, 29, "2024-02-29"},  {2028, 2, 29, "2028-02-29"}, {2026, 3, 1, "2026-03-01"}};
    for (const auto& [year, month, day, text] : days) EXPECT_EQ(dateOf(localNoon(year, month, day)), text);
}

TEST(BestCatches, AFirstRoundIsKeptThenOnlyAHigherCatch) {
    BestCatches table;
    EXPECT_TRUE(keepBestCatch(&table, 4, 0, "2026-12-01"));  // the first with 4 bottles, though it caught nothing
    EXPECT_FALSE(keepBestCatch(&table, 4, 0, "2026-12-02"));
    EXPECT_TRUE(keepBestCatch(&table, 4, 9, "2026-12-03"));
    EXPECT_FALSE(keepBestCatch(&table, 4, 9, "2026-12-04"));  // equal is no better
    EXPECT_FALSE(keepBestCatch(&table, 4, 8, "2026-12-05"));
    EXPECT_EQ(table[4].bubbles, 9);
    EXPECT_EQ(table[4].date, "2026-12-03");
    // Nothing a round cannot have: the table stays one that reads back.
    EXPECT_FALSE(keepBestCatch(&table, 0, 5, "2026-12-06"));
    EXPECT_FALSE(keepBestCatch(&table, kMaxBottles + 1, 5, "2026-12-06"));
    EXPECT_FALSE(keepBestCatch(&table, 4, kRoundBubbles + 1, "2026-12-06"));
    EXPECT_FALSE(keepBestCatch(&table, 5, 5, ""));
    EXPECT_FALSE(keepBestCatch(&table, 5, 5, "2026-12-32"));
}

// Ten rows a count, with names: an eleventh pushes the last out and takes
// its recording's round; the day's rows of today's round keep the latest
// thirty days; a text of either kind reads back as it was written.
TEST(BestCatches, TenRowsACountWithNamesAndTheLatestDaysOfTodaysRound) {
    BestCatches table;
    for (int k = 0; k < kKeptRounds; ++k) EXPECT_EQ(keepRow(&table, 4, 10 + k, "2026-12-01", "Jana"), 0);
    EXPECT_EQ(keepRow(&table, 4, 10, "2026-12-02"), -1) << "no better than the tenth";
    BestCatch row;
    EXPECT_EQ(keepRow(&table, 4, 15, "2026-12-02", "Petr Malý", &row), 5) << "after the equal of an earlier day";
    EXPECT_EQ(row.round, 0) << "the round of the pushed-out 10, the first kept";
    ASSERT_EQ(table.rows[4].size(), static_cast<std::size_t>(kKeptRounds));
    EXPECT_EQ(table.rows[4].back().bubbles, 11);
    EXPECT_EQ(table[4].bubbles, 19);
    EXPECT_EQ(keepRow(&table, 4, 19, "2026-12-01", "Eva"), 1) << "of one day, the one kept first stays ahead";
    EXPECT_EQ(keepRow(&table, 5, 3, "2026-12-01", " bad name"), -1);

    std::vector<std::string> pruned;
    EXPECT_TRUE(keepDayBest(&table, "2026-11-01", 4, "", &pruned));
    EXPECT_TRUE(keepDayBest(&table, "2026-11-30", 2, "Jana", &pruned));
    EXPECT_FALSE(keepDayBest(&table, "2026-11-30", 2, "Eva", &pruned)) << "an equal keeps the first";
    EXPECT_TRUE(keepDayBest(&table, "2026-11-30", 7, "Eva", &pruned));
    EXPECT_TRUE(pruned.empty()) << "30 days from the 1st to the 30th";
    EXPECT_TRUE(keepDayBest(&table, "2026-12-01", 1, "", &pruned));
    EXPECT_EQ(pruned, std::vector<std::string>{"2026-11-01"});
    EXPECT_FALSE(keepDayBest(&table, "2026-10-15", 9, "", &pruned)) << "older than the days kept";
    uint32_t day = 0;
    ASSERT_TRUE(readDay("2026-11-30", &day));
    EXPECT_EQ(dayBest(table, day).bubbles, 7);
    EXPECT_EQ(dayBest(table, day).name, "Eva");
    EXPECT_FALSE(dayBest(table, day + 2).kept);

    const std::string text = bestCatchesText(table);
    EXPECT_EQ(text.rfind("korvada best catches\n4 19 2026-12-01 9 Jana\n4 19 2026-12-01 1 Eva\n", 0), 0u);
    EXPECT_NE(text.find("4 15 2026-12-02 0 Petr Malý\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.find("day ")), "day 2026-11-30 7 Eva\nday 2026-12-01 1\n");
    const ReadCatches back = readBestCatches(text);
    EXPECT_TRUE(back.skipped.empty()) << skippedLines(back.skipped);
    EXPECT_EQ(bestCatchesText(back.table), text);
    EXPECT_EQ(roundName(4, 0), "4");
    EXPECT_EQ(bestRoundFile("/k/best-catches", 4, 3), fs::path("/k/best-round-4-3.kvr"));
    EXPECT_EQ(dayRoundFile("/k/best-catches", "2026-12-01"), fs::path("/k/best-round-day-2026-12-01.kvr"));

    // Leniently read: eleven rows in any order keep the ten best, a name the
    // rule refuses, a round past the ten or a second row of a day are passed over.
    // (Ten rounds a count: an eleventh row always shares a round with one.)
    std::string eleven = "korvada best catches\n";
    for (int k = 0; k <= kKeptRounds; ++k) eleven += "7 " + std::to_string(k) + " 2026-12-01 " + std::to_string(k % 10) + "\n";
    const ReadCatches cut = readBestCatches(eleven);
    EXPECT_EQ(cut.table.rows[7].size(), static_cast<std::size_t>(kKeptRounds));
    EXPECT_EQ(cut.table[7].bubbles, 10) << "round 0's better row";
    EXPECT_EQ(skippedLines(cut.skipped), "line 12 \"7 10 2026-12-01 0\" (a second row for 7 bottles: the better one stays)");
    const ReadCatches odd = readBestCatches(
        "korvada best catches\n3 1 2026-12-01 0 a  b\n3 2 2026-12-01 10\nday 2026-12-01 3\nday 2026-12-01 5 X\n"
        "day 1969-12-31 1\n3 4 2026-12-01 1 Jo\n");
    EXPECT_EQ(skippedLines(odd.skipped),
              "line 3 \"3 2 2026-12-01 10\", line 5 \"day 2026-12-01 5 X\" (a second row for 2026-12-01: the better one "
              "stays), line 6 \"day 1969-12-31 1\"");
    EXPECT_EQ(bestCatchesText(odd.table), "korvada best catches\n3 4 2026-12-01 1 Jo\n3 1 2026-12-01 0 a b\nday 2026-12-01 5 X\n");
}

// The table in a real file, locked and flushed as the Linux programs do.
class RoundsCatch : public GameTest {
protected:
    RoundsCatch() {
        folder = fs::path(::testing::TempDir()) / ("korvada_catches_" + std::to_string(getpid()));
        fs::remove_all(folder);
        file = {folder / "korvada" / "best-catches", diskSteps()};
        keeper.store = catchStoreIn(&file);
    }
    ~RoundsCatch() override { fs::remove_all(folder); }

    // A round with `bottles` bottles whose player catches `catches` bubbles
    // hung in its way, then lands.
    void playRound(int bottles, int catches) {
        game = Game();
        game.usePlatform(headless().services());
        seedRandom(1);
        GameSettings settings;
        settings.bottleCount = bottles == kDefaultBottleCount ? 0 : bottles;  // as the code carries it
        startLiveRound(driver, game, settings);
        keeper.offered = false;
        for (int k = 0; k < catches; ++k) {
            const Bottle& player = game.bottles[0];
            game.bubbles[k].setPosition(player.x, player.y - 5, player.z);
            frame(0.01);
        }
        ASSERT_EQ(game.bottles[0].score, catches);
        EXPECT_EQ(offer(), "") << "nothing while the round is on";
        EXPECT_FALSE(keeper.offered);
        game.bottles[0].y = 16;
        game.bottles[0].vy = 100;
        frame(0.1);
        ASSERT_EQ(game.gameOver, 1);
    }
    std::string offer() { return offerRoundsCatch(game, driver, &keeper, kDay); }

    static std::string contentOf(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::string content() const { return contentOf(file.file); }
    void put(const std::string& text) {
        fs::create_directories(file.file.parent_path());
        std::ofstream(file.file, std::ios::binary) << text;
    }
    // Whatever a writer left beside the table but the table, its copy and
    // the best rounds' recordings.
    std::vector<std::string> leftBeside() const {
        std::vector<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(file.file.parent_path())) {
            const std::string name = entry.path().filename().string();
            const bool recording = name.rfind("best-round-", 0) == 0 && entry.path().extension() == ".kvr";
            if (name != "best-catches" && name != "best-catches.damaged" && !recording) names.push_back(name);
        }
        return names;
    }
    std::string roundKept(int bottles) const { return contentOf(bestRoundFile(file.file, bottles)); }

    const std::time_t kDay = localNoon(2026, 12, 13);
    fs::path folder;
    FileChange file;
    CatchKeeper keeper;
};

TEST_F(RoundsCatch, ARoundWritesItsRowOnceAmongItsCountsTenBest) {
    playRound(5, 2);
    EXPECT_EQ(offer(), "");
    EXPECT_TRUE(keeper.offered);
    EXPECT_EQ(content(), "korvada best catches\n5 2 2026-12-13\n");
    put("korvada best catches\n5 1 2020-01-01\n");
    EXPECT_EQ(offer(), "") << "offered once a round";
    EXPECT_EQ(content(), "korvada best catches\n5 1 2020-01-01\n");

    put("korvada best catches\r\n4 9 2020-01-01\r\n5 3 2020-01-02\r\n");
    playRound(5, 1);
    EXPECT_EQ(offer(), "");
    EXPECT_EQ(content(), "korvada best catches\n4 9 2020-01-01\n5 3 2020-01-02\n5 1 2026-12-13 1\n")
        << "a lower catch takes the next row, and its own recording";
    playRound(4, 3);  // the code's default 'A': counted as the 4 bottles laid
    offer();
    EXPECT_EQ(content(), "korvada best catches\n4 9 2020-01-01\n4 3 2026-12-13 1\n5 3 2020-01-02\n5 1 2026-12-13 1\n");
    playRound(4, 10);
    offer();
    EXPECT_EQ(content(),
              "korvada best catches\n4 10 2026-12-13 2\n4 9 2020-01-01\n4 3 2026-12-13 1\n5 3 2020-01-02\n5 1 2026-12-13 1\n");
    EXPECT_EQ(leftBeside(), std::vector<std::string>());

    // Today's round is kept with the bottles it laid out, not the code's.
    game = Game();
    game.usePlatform(headless().services());
    startLiveRound(driver, game, GameSettings(), dailyRound(20797));
    keeper.offered = false;
    game.gameOver = 1;
    EXPECT_EQ(offer(), "");
    EXPECT_EQ(content(), "korvada best catches\n4 10 2026-12-13 2\n4 9 2020-01-01\n4 3 2026-12-13 1\n5 3 2020-01-02\n"
                         "5 1 2026-12-13 1\n8 0 2026-12-13\nday 2026-12-10 0\n")
        << "and the day's row, by the round's own UTC day";
    EXPECT_EQ(roundKept(8), contentOf(dayRoundFile(file.file, "2026-12-10")));

    // Without a place to keep it, a round keeps nothing and says nothing.
    keeper = CatchKeeper();
    playRound(3, 2);
    EXPECT_EQ(offer(), "");
}

// The best round is the one the table holds: its recording changes with
// the table's row and only then, and a round played back from it is
// nobody's new catch.
TEST_F(RoundsCatch, ANewBestKeepsItsRecordingUnderTheSameLockAndAWatchedRoundOffersNothing) {
    playRound(5, 2);
    const std::string best = recordingBytes(driver.recorder.recording);
    EXPECT_EQ(offer(), "");
    EXPECT_EQ(roundKept(5), best);
    RoundRecording kept;
    std::string trouble;
    ASSERT_TRUE(readRecordingFile(bestRoundFile(file.file, 5), &kept, &trouble)) << trouble;
    EXPECT_EQ(bestRoundFile(file.file, 5).filename(), "best-round-5.kvr");

    playRound(5, 1);
    EXPECT_EQ(offer(), "");
    EXPECT_EQ(roundKept(5), best) << "a lower catch leaves the best round's recording";

    // Watched with the table emptied, where any round's catch would be kept.
    put("korvada best catches\n");
    startWatchedRound(driver, game, game.settings, kept);
    keeper.offered = false;
    while (watching(driver)) playRecordedFrame(driver, game);
    ASSERT_EQ(game.gameOver, 1);
    EXPECT_EQ(offer(), "");
    EXPECT_EQ(content(), "korvada best catches\n");
    EXPECT_EQ(roundKept(5), best);

    // A better catch whose recording cannot be put on the disk: the table
    // takes the catch, and the last best's recording goes with a line.
    file.disk.flush = [](const fs::path& path) { return path.string().find(".kvr.") == std::string::npos; };
    playRound(5, 3);
    EXPECT_EQ(offer().rfind("the round's recording is not kept: cannot flush " + bestRoundFile(file.file, 5).string(), 0),
              0u);
    EXPECT_EQ(content(), "korvada best catches\n5 3 2026-12-13\n");
    EXPECT_FALSE(fs::exists(bestRoundFile(file.file, 5)));
    EXPECT_EQ(leftBeside(), std::vector<std::string>());

    // A round too long to record whole: its catch is kept, no recording.
    file.disk = diskSteps();
    playRound(5, 4);
    driver.recorder.overflowed = true;
    EXPECT_EQ(offer(), "");
    EXPECT_EQ(content(), "korvada best catches\n5 4 2026-12-13 1\n5 3 2026-12-13\n");
    EXPECT_FALSE(fs::exists(bestRoundFile(file.file, 5, 1)));
}

TEST_F(RoundsCatch, ADamagedTableKeepsItsReadableRowsAndIsKeptAside) {
    const fs::path aside = file.file.string() + ".damaged";
    const std::string damaged = "korvada best catches\r\n4 9 2020-01-01\r\n5 99 2020-01-01\r\n12 3 2020-01-02";
    put(damaged);
    playRound(3, 1);
    EXPECT_EQ(offer(), file.file.string() + ": passed over line 3 \"5 99 2020-01-01\"; kept as " + aside.string());
    EXPECT_EQ(content(), "korvada best catches\n3 1 2026-12-13\n4 9 2020-01-01\n12 3 2020-01-02\n");
    EXPECT_EQ(contentOf(aside), damaged);
    // Said once: the table now reads whole.
    EXPECT_EQ(readStoredCatches(keeper.store).trouble, "");

    // A damaged table is mended by a round that beats nothing, too.
    put("korvada best catches\n3 5 2020-01-01\n3 4 2020-01-01\n");
    playRound(3, 1);
    EXPECT_NE(offer().find("a second row for 3 bottles"), std::string::npos);
    EXPECT_EQ(content(), "korvada best catches\n3 5 2020-01-01\n3 1 2026-12-13 1\n");
    EXPECT_EQ(contentOf(aside), "korvada best catches\n3 5 2020-01-01\n3 4 2020-01-01\n");

    // Another program's file, and one too large: what is readable stays.
    const std::string foreign("\x7f" "ELF\x02\x01", 6);
    put(foreign);
    playRound(3, 1);
    EXPECT_NE(offer().find("no first line"), std::string::npos);
    EXPECT_EQ(content(), "korvada best catches\n3 1 2026-12-13\n");
    EXPECT_EQ(contentOf(aside), foreign);
    const std::string large = "korvada best catches\n6 2 2020-01-01\n" + std::string(kLongestBestCatches, '\n') + "7 1 2020-01-01\n";
    put(large);
    playRound(3, 1);
    EXPECT_NE(offer().find("past its first " + std::to_string(kLongestBestCatches) + " bytes"), std::string::npos);
    EXPECT_EQ(content(), "korvada best catches\n3 1 2026-12-13\n6 2 2020-01-01\n");
    EXPECT_EQ(contentOf(aside), large);

    // A table that cannot be read, or kept aside, is left as it is.
    fs::remove(file.file);
    fs::create_directories(file.file);  // a folder in its place: nothing to read, nothing written
    playRound(3, 1);
    EXPECT_NE(offer().find("the best catch is not kept: cannot replace"), std::string::npos);
    EXPECT_TRUE(fs::is_directory(file.file));
    fs::remove(file.file);
    put("korvada best catches\nbad\n");
    fs::remove(aside);
    fs::create_directories(aside / "in the way");
    playRound(3, 1);
    const std::string said = offer();
    EXPECT_NE(said.find("left as it is (cannot copy"), std::string::npos) << said;
    EXPECT_NE(said.find("the best catch is not kept"), std::string::npos) << said;
    EXPECT_EQ(content(), "korvada best catches\nbad\n");
}

// (A full disk and a folder the player cannot write: e2e_full_disk, with
// the real game on a full tmpfs and a read-only mount.)
TEST_F(RoundsCatch, AWriterKilledAFailedFlushOrAReadOnlyTableLeaveTheOldTableAndNothingBeside) {
    const std::string old = "korvada best catches\n3 1 2020-01-01\n";
    put(old);
    playRound(3, 2);
    // Killed the moment the new table is on the disk, before it replaces the old one.
    file.disk.flush = [](const fs::path&) { return raise(SIGKILL) == 0; };
    EXPECT_EQ(exitCodeInChild([&] { return offer().empty() ? 0 : 1; }), 128 + SIGKILL);
    EXPECT_EQ(content(), old);
    ASSERT_EQ(leftBeside().size(), 1u) << "the killed writer's own temporary file";

    file.disk.flush = [](const fs::path&) { return false; };
    EXPECT_EQ(offer(), "the best catch is not kept: cannot flush " + file.file.string() + "." +
                           std::to_string(getpid()) + ".tmp to the disk");
    EXPECT_EQ(content(), old);
    EXPECT_EQ(leftBeside(), std::vector<std::string>()) << "what the killed writer left is gone too";

    // A table the player made read-only stays as it is.
    file.disk = diskSteps();
    ASSERT_EQ(chmod(file.file.c_str(), 0444), 0);
    keeper.offered = false;
    EXPECT_EQ(offer(), "the best catch is not kept: " + file.file.string() + " is read-only");
    EXPECT_EQ(content(), old);

    ASSERT_EQ(chmod(file.file.c_str(), 0644), 0);
    keeper.offered = false;
    EXPECT_EQ(offer(), "");
    EXPECT_EQ(content(), "korvada best catches\n3 2 2026-12-13 1\n3 1 2020-01-01\n");
}

TEST_F(RoundsCatch, TwoGamesEndingAtOnceBothKeepTheirRows) {
    // Each try: two games, 3 and 4 bottles, released at the same moment.
    for (int attempt = 0; attempt < 30; ++attempt) {
        SCOPED_TRACE("attempt " + std::to_string(attempt));
        fs::remove_all(folder);
        put("korvada best catches\n1 1 2020-01-01\n");
        int gate[2];
        ASSERT_EQ(pipe(gate), 0);
        pid_t games[2];
        for (int g = 0; g < 2; ++g) {
            playRound(3 + g, 1);
            games[g] = fork();
            ASSERT_GE(games[g], 0);
            if (games[g] == 0) {
                close(gate[1]);
                char go = 0;
                if (read(gate[0], &go, 1) != 0) _exit(3);
                _exit(offer().empty() ? 0 : 1);
            }
        }
        close(gate[0]);
        close(gate[1]);
        for (pid_t g : games) {
            int status = 0;
            waitpid(g, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a game said something";
        }
        ASSERT_EQ(content(), "korvada best catches\n1 1 2020-01-01\n3 1 2026-12-13\n4 1 2026-12-13\n");
        ASSERT_EQ(leftBeside(), std::vector<std::string>());
    }
}

}  // namespace
