// What the settings programs make of a board's address and answers, and
// their waiting rounds' policy, without a network: the answers are the
// board's as docs/board.md writes them, and each way a hostile or broken
// one differs from them.

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "core/daily_round.h"
#include "core/recording.h"
#include "linux/linux_places.h"
#include "setup/board_client.h"
#include "setup/board_texts.h"
#include "setup/waiting_rounds.h"
#include "tests/core/game_fixture.h"

namespace fs = std::filesystem;

namespace {

BoardAnswer answered(int status, const std::string& body) { return BoardAnswer{true, status, body, ""}; }

TEST(BoardAddress, TakesAHostAndPortAloneAndRefusesAnythingThatWouldSendElsewhere) {
    const std::pair<const char*, const char*> taken[] = {
        {"192.168.1.5:8080", "http://192.168.1.5:8080"},
        {"  HTTPS://Board.Example.ORG/ ", "https://board.example.org"},
        {"http://[::1]:8080", "http://[::1]:8080"},
        {"http://localhost", "http://localhost"},
    };
    for (const auto& [typed, origin] : taken) {
        std::string got, why;
        EXPECT_TRUE(readBoardAddress(typed, &got, &why)) << typed << ": " << why;
        EXPECT_EQ(got, origin) << typed;
    }
    const std::pair<const char*, const char*> refused[] = {
        {"ftp://board.example.org", "http:// or https://"},
        {"file:///etc/passwd", "http:// or https://"},
        {"http://board.example.org/api", "no path"},
        {"http://board.example.org?x=1", "no path"},
        {"http://user:pw@board.example.org", "no user"},
        {"http://evil.example@127.0.0.1", "no user"},
        {"http://board .example.org", "no blanks"},
        {"http://board\texample", "no blanks"},
        {"http://bo\xc3\xa1rd.cz", "no blanks"},
        {"http://-board.example", "no host"},
        {"http://board..example", "no host"},
        {"http://", "no host"},
        {"http://board:0", "no port"},
        {"http://board:65536", "no port"},
        {"http://board:80a", "no port"},
        {"http://board:", "no port"},
        {"http://[::1", "no host"},
    };
    for (const auto& [typed, because] : refused) {
        std::string got = "untouched", why;
        EXPECT_FALSE(readBoardAddress(typed, &got, &why)) << typed << " gave " << got;
        EXPECT_NE(why.find(because), std::string::npos) << typed << ": " << why;
        EXPECT_EQ(got, "untouched") << typed;
    }
}

TEST(BoardSecret, IsBase64UrlOfItsBytesWithNoStrayBits) {
    unsigned char counting[kBoardSecretBytes], full[kBoardSecretBytes];
    for (std::size_t i = 0; i < kBoardSecretBytes; ++i) counting[i] = static_cast<unsigned char>(i), full[i] = 0xFF;
    // Python's base64.urlsafe_b64encode of the same bytes, its '=' taken off.
    EXPECT_EQ(boardSecretOf(counting), "AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8");
    EXPECT_EQ(boardSecretOf(full), "__________________________________________8");
    EXPECT_TRUE(wellFormedBoardSecret(boardSecretOf(counting)));
    EXPECT_TRUE(wellFormedBoardSecret(boardSecretOf(full)));
    EXPECT_FALSE(wellFormedBoardSecret("AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh"));    // 42
    EXPECT_FALSE(wellFormedBoardSecret("AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8A"));  // 44
    EXPECT_FALSE(wellFormedBoardSecret("AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh9"));   // bits past the 256th
    EXPECT_FALSE(wellFormedBoardSecret("AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwd+h8"));   // base64's '+'
}

TEST(BoardAnswers, ATicketIsTakenOnlyWhenItCouldGoOnTheGamesCommandLine) {
    const BoardTicket good = readTicketAnswer(answered(200, R"({"ticket":"mtATYKIBAABxBFXv780v-_","day":"2026-12-10"})"));
    EXPECT_TRUE(good.given) << good.trouble;
    EXPECT_EQ(good.ticket, "mtATYKIBAABxBFXv780v-_");
    EXPECT_EQ(good.day, "2026-12-10");
    const std::pair<BoardAnswer, const char*> refused[] = {
        {answered(429, R"({"error":"too many tickets from one address in a minute"})"), "too many tickets"},
        {answered(200, R"({"ticket":"a b","day":"2026-12-10"})"), "not a ticket"},
        {answered(200, R"({"ticket":"x\"; rm -rf ~","day":"2026-12-10"})"), "not a ticket"},
        {answered(200, "{\"ticket\":\"" + std::string(65, 'a') + "\",\"day\":\"2026-12-10\"}"), "not a ticket"},
        {answered(200, R"({"ticket":"abc","day":"2026-02-30"})"), "not a ticket"},
        {answered(200, R"({"ticket":"abc"})"), "not a ticket"},
        {answered(200, R"(["abc"])"), "not a ticket"},
        {BoardAnswer{false, 0, "", "no answer within 10 s"}, "no answer within 10 s"},
    };
    for (const auto& [answer, because] : refused) {
        const BoardTicket ticket = readTicketAnswer(answer);
        EXPECT_FALSE(ticket.given) << answer.body;
        EXPECT_TRUE(ticket.ticket.empty()) << answer.body;
        EXPECT_NE(ticket.trouble.find(because), std::string::npos) << answer.body << ": " << ticket.trouble;
    }
}

TEST(BoardAnswers, ARoundIsSettledOnlyByTheBoardsOwnWord) {
    const RoundAnswer kept = readRoundAnswer(answered(200, R"({"id":"gZ7myHfvZIV0Tn-_","score":14,"url":"/r/gZ7myHfvZIV0Tn-_"})"));
    EXPECT_EQ(kept.fate, RoundFate::Kept);
    EXPECT_EQ(kept.score, 14);
    EXPECT_EQ(kept.id, "gZ7myHfvZIV0Tn-_");
    struct Case {
        BoardAnswer answer;
        RoundFate fate;
    };
    const Case cases[] = {
        // A 200 that is not a kept round's (a proxy's page, a damaged answer) settles nothing.
        {answered(200, "<html>welcome</html>"), RoundFate::Unsettled},
        {answered(200, R"({"id":"gZ7myHfvZIV0Tn-_","score":129})"), RoundFate::Unsettled},
        {answered(200, R"({"id":"../../etc/passwd","score":3})"), RoundFate::Unsettled},
        {answered(400, R"({"error":"damaged: the checksum"})"), RoundFate::Refused},
        {answered(403, R"({"error":"the name Jana belongs to another player"})"), RoundFate::Refused},
        {answered(409, R"({"error":"another round was sent with this ticket"})"), RoundFate::Refused},
        {answered(413, ""), RoundFate::Refused},
        {answered(422, R"({"error":"the ticket is too old"})"), RoundFate::Refused},
        {answered(429, R"({"error":"too many rounds"})"), RoundFate::Unsettled},
        {answered(503, R"({"error":"the board cannot keep rounds now"})"), RoundFate::Unsettled},
        {answered(404, "<html>not found</html>"), RoundFate::Unsettled},  // an address that is no board
        {answered(302, ""), RoundFate::Unsettled},
        {BoardAnswer{false, 0, "", "no answer: Connection refused"}, RoundFate::Unsettled},
    };
    for (const Case& c : cases) {
        const RoundAnswer sent = readRoundAnswer(c.answer);
        EXPECT_EQ(sent.fate, c.fate) << c.answer.status << " " << c.answer.body;
        EXPECT_EQ(sent.nameTaken, c.answer.status == 403) << c.answer.status;
        EXPECT_FALSE(sent.reason.empty()) << c.answer.status;
        EXPECT_TRUE(sent.id.empty()) << c.answer.status;
    }
    EXPECT_EQ(readRoundAnswer(answered(422, R"({"error":"the ticket is too old"})")).reason, "the ticket is too old (422)");
    // A reason for a line: one line, bounded.
    const std::string reason =
        readRoundAnswer(answered(400, "{\"error\":\"two\\nlines\\u0007" + std::string(5000, 'x') + "\"}")).reason;
    EXPECT_EQ(reason.find_first_of("\n\a"), std::string::npos);
    EXPECT_LT(reason.size(), 260u);
}

TEST(BoardAnswers, ADaysListIsTakenWholeOrNotAtAll) {
    const auto row = [](const std::string& id, const std::string& name, int bubbles, const std::string& when) {
        return "{\"id\":\"" + id + "\",\"name\":\"" + name + "\",\"bubbles\":" + std::to_string(bubbles) +
               ",\"when\":\"" + when + "\"}";
    };
    std::string rows;
    for (int i = 0; i < 12; ++i)
        rows += (i ? "," : "") + row("gZ7myHfvZIV0Tn-" + std::string(1, static_cast<char>('a' + i)),
                                     "Hráč " + std::to_string(i), 20 - i, "2026-12-11T00:0" + std::to_string(i % 10) + ":00Z");
    const DayRounds list = readDayAnswer(answered(200, R"({"day":"2026-12-10","rounds":[)" + rows + "]}"), "2026-12-10");
    ASSERT_TRUE(list.read) << list.trouble;
    ASSERT_EQ(list.rounds.size(), 10u);
    EXPECT_EQ(list.rounds[0].name, "Hráč 0");
    EXPECT_EQ(list.rounds[9].bubbles, 11);
    EXPECT_TRUE(readDayAnswer(answered(200, R"({"day":"2026-12-10","rounds":[]})"), "2026-12-10").read);

    const std::string good = row("gZ7myHfvZIV0Tn-_", "Jana", 9, "2026-12-10T14:03:22Z");
    const std::string wrong[] = {
        R"({"day":"2026-12-09","rounds":[)" + good + "]}",
        R"({"day":"2026-12-10","rounds":[)" + good + "," + row("gZ7myHfvZIV0Tn-a", "Petr", 10, "2026-12-10T15:00:00Z") + "]}",
        R"({"day":"2026-12-10","rounds":[)" + row("gZ7myHfvZIV0Tn/_", "Jana", 9, "2026-12-10T14:03:22Z") + "]}",
        R"({"day":"2026-12-10","rounds":[)" + row("gZ7myHfvZIV0Tn-_", "Ja\\u0000na", 9, "2026-12-10T14:03:22Z") + "]}",
        R"({"day":"2026-12-10","rounds":[)" + row("gZ7myHfvZIV0Tn-_", "Ja\\u202ena", 9, "2026-12-10T14:03:22Z") + "]}",
        R"({"day":"2026-12-10","rounds":[)" + row("gZ7myHfvZIV0Tn-_", "", 9, "2026-12-10T14:03:22Z") + "]}",
        R"({"day":"2026-12-10","rounds":[)" + row("gZ7myHfvZIV0Tn-_", std::string(81, 'x'), 9, "2026-12-10T14:03:22Z") + "]}",
        R"({"day":"2026-12-10","rounds":[)" + row("gZ7myHfvZIV0Tn-_", "Jana", -1, "2026-12-10T14:03:22Z") + "]}",
        R"({"day":"2026-12-10","rounds":[)" + row("gZ7myHfvZIV0Tn-_", "Jana", 9, "2026-12-10T24:03:22Z") + "]}",
        R"({"day":"2026-12-10","rounds":[{"id":"gZ7myHfvZIV0Tn-_","name":"Jana","bubbles":9.5,"when":"2026-12-10T14:03:22Z"}]})",
        R"({"day":"2026-12-10","rounds":[)" + good + ",7]}",
        R"({"day":"2026-12-10","rounds":{}})",
        R"({"day":"2026-12-10","rounds":[)" + good + "]} trailing",
        R"({"day":"2026-12-10","rounds":[)" + good,
    };
    for (const std::string& body : wrong) {
        const DayRounds refused = readDayAnswer(answered(200, body), "2026-12-10");
        EXPECT_FALSE(refused.read) << body;
        EXPECT_TRUE(refused.rounds.empty()) << body;
        EXPECT_NE(refused.trouble.find("refused"), std::string::npos) << body;
    }
    // JSON's own escapes are read as what they stand for, and a name is then
    // one the game itself would take: no markup ever comes through.
    const auto named = [&](const std::string& name) {
        return readDayAnswer(answered(200, R"({"day":"2026-12-10","rounds":[)" +
                                               row("gZ7myHfvZIV0Tn-_", name, 9, "2026-12-10T14:03:22Z") + "]}"),
                             "2026-12-10");
    };
    const DayRounds escaped = named("\\u010cestm\\u00edr");
    ASSERT_TRUE(escaped.read) << escaped.trouble;
    EXPECT_EQ(escaped.rounds[0].name, "Čestmír");
    EXPECT_FALSE(named("\\u003cimg src=x onerror=alert(1)\\u003e").read);
    EXPECT_FALSE(named("<b>Jana</b>").read);
}

// --- The waiting rounds' pass, with the board's answers made up ---------------

const BoardAnswer kKept = answered(200, R"({"id":"gZ7myHfvZIV0Tn-_","score":7,"url":"/r/gZ7myHfvZIV0Tn-_"})");
const BoardAnswer kLate = answered(422, R"({"error":"the round came 95 s after its ticket, but took 51 s with its pauses"})");
const BoardAnswer kNoBoard = BoardAnswer{false, 0, "", "no answer: Connection refused"};

struct WaitingFixture : ::testing::Test {
    fs::path folder;
    WaitingFolder place;
    RoundSending sending;

    void SetUp() override {
        char pattern[] = "/tmp/korvada-waiting-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        place = WaitingFolder{folder / "waiting-rounds", diskSteps()};
        sending.store = waitingStoreIn(&place);
        sending.origin = "http://127.0.0.1:9";
        sending.secret = std::string(43, 'A');
    }
    void TearDown() override { fs::remove_all(folder); }

    // A round "left" at `left`, whose bytes end in its number.
    std::string leave(std::time_t left, char number) {
        const std::string bytes = std::string("KVREC round ") + number + "\x01\x02\x03" + number;
        EXPECT_EQ(leaveWaiting(sending.store, bytes, left), "");
        return waitingName(left, bytes);
    }
    bool waits(const std::string& name) { return fs::exists(place.folder / name); }
    std::vector<std::string> sentBodies(const std::vector<BoardAnswer>& answers, std::time_t now) {
        std::vector<std::string> bodies;
        BoardRequest request;
        for (std::size_t i = 0; nextRound(&sending, &request); ++i) {
            EXPECT_EQ(request.url, "http://127.0.0.1:9/api/rounds");
            EXPECT_EQ(request.secret, sending.secret);
            bodies.push_back(request.body);
            takeRoundAnswer(&sending, i < answers.size() ? answers[i] : kKept, now);
        }
        return bodies;
    }
};

TEST_F(WaitingFixture, RoundsGoOldestFirstAndOnlyWhatTheBoardSettledLeaves) {
    const std::string first = leave(1000, '1'), second = leave(2000, '2'), third = leave(3000, '3');
    ASSERT_TRUE(beginSending(&sending, false));
    // The first kept, the second refused for good, the third not settled:
    // the pass stops at the board that does not answer.
    const std::vector<std::string> bodies = sentBodies({kKept, kLate, kNoBoard}, 3010);
    ASSERT_EQ(bodies.size(), 3u);
    EXPECT_EQ(bodies[0].back(), '1');
    EXPECT_EQ(bodies[2].back(), '3');
    EXPECT_FALSE(waits(first));
    EXPECT_FALSE(waits(second));
    EXPECT_TRUE(waits(third));

    const SetupTexts& english = setupTexts(languageOf("en"));
    const std::string line = sendingLine(english, boardTexts("en"), &sending);
    EXPECT_NE(line.find("Sent to the board: 7 bubbles."), std::string::npos) << line;
    EXPECT_NE(line.find("kept back since " + clockText(2000)), std::string::npos) << line;
    EXPECT_NE(line.find("does not answer (no answer: Connection refused): the round waits"), std::string::npos) << line;

    // While the game runs only new rounds are tried; the one that waits goes
    // at the next full pass, and the dead board is said once a run.
    EXPECT_FALSE(beginSending(&sending, true));
    const std::string fourth = leave(4000, '4');
    ASSERT_TRUE(beginSending(&sending, true));
    EXPECT_EQ(sentBodies({kNoBoard}, 4001).size(), 1u);
    EXPECT_EQ(sendingLine(english, boardTexts("en"), &sending), "");
    ASSERT_TRUE(beginSending(&sending, false));
    EXPECT_EQ(sentBodies({kKept, kKept}, 4002).size(), 2u);
    EXPECT_FALSE(waits(third));
    EXPECT_FALSE(waits(fourth));
    EXPECT_EQ(sendingLine(english, boardTexts("en"), &sending), "Sent to the board: 7 bubbles (and 1 more).");
    // A board that answered once more is said to be away again.
    leave(5000, '5');
    ASSERT_TRUE(beginSending(&sending, false));
    sentBodies({kNoBoard}, 5001);
    EXPECT_NE(sendingLine(english, boardTexts("en"), &sending).find("does not answer"), std::string::npos);
}

int secretsMade = 0;
std::string madeSecret() {
    ++secretsMade;
    return std::string(42, 'B') + "A";
}

TEST_F(WaitingFixture, AnotherBoardTriesEveryRoundAnewUnderTheNamesOneSecret) {
    LaunchChoice choice;
    EXPECT_FALSE(turnToBoard(&choice, &sending, sending.origin, madeSecret));
    const std::string round = leave(1000, '1');
    ASSERT_TRUE(beginSending(&sending, false));
    sentBodies({kNoBoard}, 1001);
    EXPECT_FALSE(beginSending(&sending, true)) << "a round tried is not tried again while the game runs";

    ASSERT_TRUE(turnToBoard(&choice, &sending, "http://127.0.0.1:8", madeSecret));
    EXPECT_EQ(choice.board, "http://127.0.0.1:8");
    EXPECT_TRUE(wellFormedBoardSecret(choice.secret));
    EXPECT_EQ(sending.secret, choice.secret);
    EXPECT_TRUE(beginSending(&sending, true)) << "the new board has not seen the round";
    // Off, and on again elsewhere: the secret that claimed the name stays.
    ASSERT_TRUE(turnToBoard(&choice, &sending, "", madeSecret));
    EXPECT_EQ(choice.board, "");
    EXPECT_FALSE(sendingUnderWay(sending));
    ASSERT_TRUE(turnToBoard(&choice, &sending, "https://board.example", madeSecret));
    EXPECT_EQ(secretsMade, 1);
    EXPECT_EQ(sending.secret, std::string(42, 'B') + "A");
    EXPECT_TRUE(waits(round));
}

TEST_F(WaitingFixture, TheFolderKeepsItsBoundAndOnlyItsOwnFiles) {
    std::vector<std::string> names;
    for (int i = 0; i < static_cast<int>(kMostWaitingRounds) + 3; ++i)
        names.push_back(leave(1000 + i, static_cast<char>('A' + i)));
    std::ofstream(place.folder / "notes.txt") << "the player's own";
    std::ofstream(place.folder / (names.back() + ".1234.tmp")) << "half a round";
    const std::string tooLong = waitingName(5000, "x");
    std::ofstream(place.folder / tooLong) << std::string(4096, 'x');
    fs::resize_file(place.folder / tooLong, longestRecording() + 1);

    ASSERT_TRUE(beginSending(&sending, false));
    const std::vector<std::string> bodies = sentBodies({}, 6000);
    // Of the 20 files, the four that waited longest went unsent, then the
    // rest went in turn;
    // the file past a recording's bounds was never read, only removed.
    ASSERT_EQ(bodies.size(), kMostWaitingRounds - 1);
    EXPECT_EQ(bodies.front().back(), 'A' + 4);
    for (const std::string& name : names) EXPECT_FALSE(waits(name)) << name;
    EXPECT_FALSE(waits(tooLong));
    EXPECT_TRUE(fs::exists(place.folder / "notes.txt"));
    EXPECT_NE(sendingLine(setupTexts(languageOf("en")), boardTexts("en"), &sending).find("removed unsent"),
              std::string::npos);
    // Without a board's address nothing is sent at all.
    leave(7000, 'z');
    sending.origin.clear();
    EXPECT_FALSE(beginSending(&sending, false));
}


// --- The game's side: what a round leaves at its end --------------------------

struct RoundLeft : GameTest {
    fs::path folder;
    WaitingFolder place;
    WaitingKeeper keeper;
    void SetUp() override {
        char pattern[] = "/tmp/korvada-left-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        place = WaitingFolder{folder, diskSteps()};
        keeper.store = waitingStoreIn(&place);
    }
    void TearDown() override { fs::remove_all(folder); }
    // A round from its start to its landing, offered after every frame as a
    // shell does; what it said.
    std::string play(const RoundFacts& facts) {
        startLiveRound(driver, game, GameSettings(), facts);
        keeper.offered = false;
        std::string said;
        for (int i = 0; i < 3; ++i) {
            frame(0.01);
            said += leaveRoundWaiting(game, driver, &keeper, 5000);
        }
        game.bottles[0].y = 16;
        game.bottles[0].vy = 100;
        for (int i = 0; i < 3; ++i) {
            frame(0.1);
            said += leaveRoundWaiting(game, driver, &keeper, 5000);
        }
        EXPECT_EQ(game.gameOver, 1);
        return said;
    }
    std::vector<std::string> left() { return keeper.store.names(keeper.store.place); }
};

TEST_F(RoundLeft, OnlyAWholeRoundOfTodaysWithATicketWaitsForTheBoard) {
    EXPECT_EQ(play(RoundFacts()), "");
    EXPECT_EQ(play(dailyRound(20797, "Jana")), "");
    EXPECT_TRUE(left().empty()) << "a free round, and today's without a ticket, have nothing to go to";

    EXPECT_EQ(play(dailyRound(20797, "Jana", "mtATYKIBAABxBFXv780v")), "");
    ASSERT_EQ(left().size(), 1u);
    std::string bytes, trouble;
    ASSERT_EQ(keeper.store.read(keeper.store.place, left()[0], longestRecording(), &bytes), SmallFile::Read);
    EXPECT_EQ(bytes, recordingBytes(driver.recorder.recording));
    RoundRecording waiting;
    ASSERT_TRUE(readRecording(bytes, &waiting, &trouble)) << trouble;
    EXPECT_EQ(waiting.kind, DailyRound);
    EXPECT_EQ(waiting.ticket, "mtATYKIBAABxBFXv780v");
    std::time_t since = 0;
    ASSERT_TRUE(readWaitingName(left()[0], &since));
    EXPECT_EQ(since, 5000);

    // The same round watched leaves nothing more.
    fs::remove(place.folder / left()[0]);
    startWatchedRound(driver, game, GameSettings(), waiting);
    keeper.offered = false;
    while (playRecordedFrame(driver, game) != RecordedFrame::Ended) {
    }
    ASSERT_EQ(game.gameOver, 1);
    EXPECT_EQ(leaveRoundWaiting(game, driver, &keeper, 6000), "");
    EXPECT_TRUE(left().empty());

    // A place that cannot take it says why, once.
    fs::remove_all(folder);
    std::ofstream(folder) << "a file where the folder should be";
    const std::string said = play(dailyRound(20797, "Jana", "mtATYKIBAABxBFXv780v"));
    EXPECT_NE(said.find("the round cannot wait for the board in " + folder.string()), std::string::npos) << said;
    fs::remove(folder);
    fs::create_directories(folder);
}

}  // namespace
