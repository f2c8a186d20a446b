// The table of best catches: its text, what beats a best, and the round's
// end keeping its catch in a file that a crash or a bad file cannot cost.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "core/best_catches.h"
#include "core/random.h"
#include "tests/core/game_fixture.h"

namespace fs = std::filesystem;

namespace {

TEST(BestCatches, TheTextReadsBackAndAnythingElseIsNoTable) {
    BestCatches table;
    EXPECT_EQ(bestCatchesText(table), "korvada best catches\n");
    ASSERT_TRUE(keepBestCatch(&table, 12, 7, "2026-12-10"));
    ASSERT_TRUE(keepBestCatch(&table, 4, 23, "2026-12-09"));
    ASSERT_TRUE(keepBestCatch(&table, kMaxBottles, 0, "2027-01-31"));
    const std::string text = bestCatchesText(table);
    EXPECT_EQ(text, "korvada best catches\n4 23 2026-12-09\n12 7 2026-12-10\n64 0 2027-01-31\n");
    BestCatches read;
    ASSERT_TRUE(readBestCatches(text, &read));
    EXPECT_EQ(bestCatchesText(read), text);
    EXPECT_EQ(read[4].bubbles, 23);
    EXPECT_EQ(read[12].date, "2026-12-10");
    EXPECT_FALSE(read[5].kept);

    const char* const junk[] = {
        "", "\n", "korvada best catches", "Korvada best catches\n", "korvada best catches\n\n",
        "korvada best catches\n4 23 2026-12-09",             // cut short
        "korvada best catches\n12 7 2026-12-10\n4 23 2026-12-09\n",  // out of order
        "korvada best catches\n4 23 2026-12-09\n4 24 2026-12-10\n",  // twice
        "korvada best catches\n0 1 2026-12-09\n", "korvada best catches\n65 1 2026-12-09\n",
        "korvada best catches\n4 31 2026-12-09\n", "korvada best catches\n4 -1 2026-12-09\n",
        "korvada best catches\n04 1 2026-12-09\n", "korvada best catches\n4  1 2026-12-09\n",
        "korvada best catches\n4 1 2026-13-09\n", "korvada best catches\n4 1 2026-12-9\n",
        "korvada best catches\n4 1 2026-12-09 \n", "korvada best catches\n4 1\n", "3HYEN\n",
        "korvada best catches\n4 1 2026-12-09\r\n",
    };
    for (const char* text : junk) {
        SCOPED_TRACE(text);
        read[1] = {true, 5, "2026-12-01"};
        EXPECT_FALSE(readBestCatches(text, &read));
        EXPECT_FALSE(read[1].kept) << "a table that is not one leaves nothing behind";
    }
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
    EXPECT_EQ(dateOf(0).size(), 10u);
}

class RoundsCatch : public GameTest {
protected:
    RoundsCatch() {
        folder = fs::path(::testing::TempDir()) / ("korvada_catches_" + std::to_string(getpid()));
        fs::remove_all(folder);
        store.file = folder / "korvada" / "best-catches";
        store.flush = [](const fs::path&) { return true; };
    }
    ~RoundsCatch() override { fs::remove_all(folder); }

    // A round with `bottles` bottles whose player catches `catches` bubbles
    // hung in its way, then lands.
    void playRound(int bottles, int catches) {
        game = Game();
        game.usePlatform(headless().services());
        seedRandom(1);
        game.settings.bottleCount = bottles == kDefaultBottleCount ? 0 : bottles;  // as the code carries it
        game.setupRound(bottles, kRoundBubbles);
        store.offered = false;
        for (int k = 0; k < catches; ++k) {
            const Bottle& player = game.bottles[0];
            game.bubbles[k].setPosition(player.x, player.y - 5, player.z);
            step(0.01f);
        }
        ASSERT_EQ(game.bottles[0].score, catches);
        EXPECT_EQ(keepRoundsCatch(game, &store), "") << "nothing while the round is on";
        game.bottles[0].y = 16;
        game.bottles[0].vy = 100;
        step(0.1f);
        ASSERT_EQ(game.gameOver, 1);
    }

    std::string content() const {
        std::ifstream in(store.file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void put(const std::string& text) {
        fs::create_directories(store.file.parent_path());
        std::ofstream(store.file, std::ios::binary) << text;
    }

    fs::path folder;
    CatchStore store;
};

TEST_F(RoundsCatch, ARoundWithABetterCatchWritesItOnceAndALowerOneLeavesIt) {
    playRound(5, 2);
    EXPECT_EQ(keepRoundsCatch(game, &store), "");
    const std::string today = dateOf(std::time(nullptr));
    EXPECT_EQ(content(), "korvada best catches\n5 2 " + today + "\n");
    put("korvada best catches\n5 1 2020-01-01\n");
    EXPECT_EQ(keepRoundsCatch(game, &store), "") << "offered once a round";
    EXPECT_EQ(content(), "korvada best catches\n5 1 2020-01-01\n");

    put("korvada best catches\n4 9 2020-01-01\n5 3 2020-01-02\n");
    playRound(5, 1);
    keepRoundsCatch(game, &store);
    EXPECT_EQ(content(), "korvada best catches\n4 9 2020-01-01\n5 3 2020-01-02\n");
    playRound(4, 3);  // the code's default 'A': counted as the 4 bottles laid
    keepRoundsCatch(game, &store);
    EXPECT_EQ(content(), "korvada best catches\n4 9 2020-01-01\n5 3 2020-01-02\n");
    playRound(4, 10);
    keepRoundsCatch(game, &store);
    EXPECT_EQ(content(), "korvada best catches\n4 10 " + dateOf(std::time(nullptr)) + "\n5 3 2020-01-02\n");
}

TEST_F(RoundsCatch, ADamagedOrForeignFileIsSaidAndReplaced) {
    for (const std::string& bad : {std::string("korvada best catches\n5 99 2020-01-01\n"),
                                   std::string("\x7f" "ELF\x02\x01", 6), std::string(kLongestBestCatches + 1, '\n')}) {
        put(bad);
        playRound(3, 1);
        const std::string said = keepRoundsCatch(game, &store);
        EXPECT_NE(said.find("holds no table of best catches"), std::string::npos) << said;
        EXPECT_EQ(content(), "korvada best catches\n3 1 " + dateOf(std::time(nullptr)) + "\n");
    }
    fs::remove(store.file);
    fs::create_directories(store.file);  // a folder in its place: nothing to read, nothing written
    playRound(3, 1);
    EXPECT_NE(keepRoundsCatch(game, &store).find("not kept"), std::string::npos);
    EXPECT_TRUE(fs::is_directory(store.file));
}

TEST_F(RoundsCatch, AWriterKilledOrAFailedFlushLeavesTheOldTable) {
    const std::string old = "korvada best catches\n3 1 2020-01-01\n";
    put(old);
    playRound(3, 2);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Killed the moment the new table is on the disk, before it replaces the old one.
        store.flush = [](const fs::path&) { return raise(SIGKILL) == 0; };
        keepRoundsCatch(game, &store);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(content(), old);

    store.flush = [](const fs::path&) { return false; };
    const std::string said = keepRoundsCatch(game, &store);
    EXPECT_NE(said.find("not kept"), std::string::npos) << said;
    EXPECT_EQ(content(), old);
    EXPECT_FALSE(fs::exists(store.file.string() + ".tmp"));

    // Without a place to keep it, a round keeps nothing and says nothing.
    store = CatchStore();
    playRound(3, 2);
    EXPECT_EQ(keepRoundsCatch(game, &store), "");
}

}  // namespace
