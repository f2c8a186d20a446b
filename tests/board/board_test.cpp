// The board as its clients meet it, on SQLite and on PostgreSQL: rounds
// kept and shown, every refusal leaving the board as it was, a board killed
// mid-stream keeping what it acknowledged, two processes on one database.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <chrono>
#include <filesystem>
#include <functional>
#include <fstream>
#include <thread>

#include "board/board_rules.h"
#include "tests/board/board_harness.h"

namespace {

std::string dayName(int32_t day) {
    const time_t seconds = static_cast<time_t>(day) * 86400;
    char text[16];
    tm date{};
    gmtime_r(&seconds, &date);
    std::strftime(text, sizeof text, "%Y-%m-%d", &date);
    return text;
}

// The day's round by `name` with `ticket`, changed by `change`.
SentRound facts(const std::string& name, const std::string& ticket = "",
                 const std::function<void(SentRound&)>& change = nullptr) {
    SentRound made;
    made.day = todayUtc();
    made.name = name;
    made.ticket = ticket;
    if (change) change(made);
    return made;
}

class BoardTest : public testing::TestWithParam<std::string> {
protected:
    void SetUp() override { database = freshDatabase(GetParam()); }
    void TearDown() override {
        for (BoardProcess& board : boards) stopBoard(board, SIGTERM);
    }
    BoardProcess& start(std::vector<std::string> more = {"--rounds-per-minute", "0"}) {
        more.insert(more.end(), database.begin(), database.end());
        boards.push_back(startBoard(more));
        return boards.back();
    }
    std::string ticket(const BoardProcess& board) {
        const Answer answer = httpPost(board.origin, "/api/tickets", "");
        EXPECT_EQ(answer.status, 200) << answer.body;
        return jsonField(answer.body, "ticket");
    }
    std::vector<std::string> database;
    std::vector<BoardProcess> boards;
    const int32_t today = todayUtc();
};

// The refusal's status, with its one line.
void expectRefused(const Answer& answer, long status, const std::string& about) {
    EXPECT_EQ(answer.status, status) << about << ": " << answer.body;
    const std::string line = jsonField(answer.body, "error");
    EXPECT_FALSE(line.empty()) << about << ": " << answer.body;
    EXPECT_EQ(line.find('\n'), std::string::npos) << about;
}

TEST_P(BoardTest, RoundKeptShownAndSentAgain) {
    BoardProcess& board = start();
    const std::string name = "Ana Nováková";
    const MadeRound round = makeRound(facts(name, ticket(board)));
    const Answer kept = httpPost(board.origin, "/api/rounds", round.bytes);
    ASSERT_EQ(kept.status, 200) << kept.body;
    const std::string id = jsonField(kept.body, "id"), secret = jsonField(kept.body, "secret");
    EXPECT_EQ(id.size(), 16u);
    EXPECT_EQ(secret.size(), 43u);
    EXPECT_EQ(jsonField(kept.body, "score"), std::to_string(round.score));
    EXPECT_EQ(jsonField(kept.body, "url"), "/r/" + id);

    // Sent again (its answer lost): the same round, and no new secret.
    const Answer again = httpPost(board.origin, "/api/rounds", round.bytes);
    EXPECT_EQ(again.status, 200) << again.body;
    EXPECT_EQ(jsonField(again.body, "id"), id);
    EXPECT_EQ(jsonField(again.body, "secret"), "");

    // The name's next round, with its secret.
    const MadeRound next = makeRound(facts(name, ticket(board), [](SentRound& f) { f.steps = 40; }));
    EXPECT_EQ(httpPost(board.origin, "/api/rounds", next.bytes, {"Korvada-Secret: " + secret}).status, 200);

    const Answer day = httpGet(board.origin, "/api/days/" + dayName(today));
    EXPECT_EQ(day.status, 200);
    EXPECT_NE(day.body.find("\"name\":\"" + name + "\""), std::string::npos) << day.body;
    EXPECT_EQ(day.body.find(name), day.body.rfind(name)) << "one line a name: " << day.body;
    if (next.score <= round.score) {
        EXPECT_NE(day.body.find("\"id\":\"" + id + "\""), std::string::npos) << "the earlier of two alike: " << day.body;
    }
    const Answer recording = httpGet(board.origin, "/api/rounds/" + id + ".kvr");
    EXPECT_EQ(recording.status, 200);
    EXPECT_TRUE(recording.body == round.bytes);

    const Answer czech = httpGet(board.origin, "/r/" + id, {"Accept-Language: cs-CZ,cs;q=0.9,en;q=0.8"});
    EXPECT_NE(czech.body.find("Kolo hráče " + name), std::string::npos) << czech.body;
    EXPECT_NE(czech.body.find("/?round=%2Fapi%2Frounds%2F" + id + ".kvr"), std::string::npos);
    EXPECT_NE(httpGet(board.origin, "/r/" + id, {"Accept-Language: en-GB,cs;q=0.5"}).body.find("A round by " + name),
              std::string::npos);
    const Answer page = httpGet(board.origin, "/board", {"Accept-Language: cs"});
    EXPECT_NE(page.body.find("dnešní kolo"), std::string::npos);
    EXPECT_NE(page.body.find("href=\"/r/"), std::string::npos);
    EXPECT_NE(httpGet(board.origin, "/board/" + dayName(today)).body.find("<h1>Korvada: today&#39;s round</h1>"), std::string::npos);
}

TEST_P(BoardTest, RefusalsLeaveTheBoardUnchanged) {
    BoardProcess& board = start();
    const std::string firstTicket = ticket(board);
    const MadeRound first = makeRound(facts("Petr", firstTicket));
    const Answer kept = httpPost(board.origin, "/api/rounds", first.bytes);
    ASSERT_EQ(kept.status, 200);
    const std::string before = httpGet(board.origin, "/api/days/" + dayName(today)).body;
    const auto send = [&](const std::string& bytes, const std::vector<std::string>& headers = {}) {
        return httpPost(board.origin, "/api/rounds", bytes, headers);
    };
    const auto round = [&](SentRound made) {
        if (made.ticket.empty()) made.ticket = ticket(board);
        return makeRound(made).bytes;
    };

    expectRefused(send("hello"), 400, "no recording");
    std::string damaged = round(facts("Jana"));
    damaged[damaged.size() / 2] ^= 0x10;
    expectRefused(send(damaged), 400, "damaged");
    expectRefused(send(round(facts("Jana", "", [](SentRound& f) { f.kind = 0; }))), 422, "a free round");
    // The reader itself refuses a round of today's laid out otherwise.
    expectRefused(send(round(facts("Jana", "", [](SentRound& f) { f.bottles = 4; }))), 400, "not the day's bottles");
    expectRefused(send(round(facts("Jana", "", [](SentRound& f) { f.day -= 2; }))), 422, "the round of two days ago");
    expectRefused(send(round(facts("Jana", std::string(43, 'A')))), 422, "a ticket not the board's");
    expectRefused(send(round(facts("Petr"))), 403, "a claimed name without its secret");
    expectRefused(send(round(facts("Petr")), {"Korvada-Secret: " + std::string(43, 'x')}), 403,
                  "a claimed name with another secret");
    expectRefused(send(round(facts("Petr")), {"Korvada-Secret: short"}), 400, "not a secret");
    expectRefused(send(round(facts("Jana", "", [](SentRound& f) { f.escape = false; }))), 422, "stopped before its end");
    expectRefused(send(round(facts(""))), 400, "no name");
    expectRefused(send(round(facts("<img src=x onerror=alert(1)>"))), 400, "a name the game refuses");
    // A clock run fast: 10 s of frames a moment after the ticket.
    expectRefused(send(round(facts("Jana", "", [](SentRound& f) { f.steps = 200, f.dt = 0.05; }))), 422, "frames longer than the wall time");
    // The first round's ticket with another round.
    {
        expectRefused(send(makeRound(facts("Petr", firstTicket, [](SentRound& f) { f.steps = 31; })).bytes, {"Korvada-Secret: " + jsonField(kept.body, "secret")}), 409,
                      "a used ticket");
    }

    // A body longer than any recording: refused as its length is read, before one byte of it is sent.
    {
        const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(board.port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        const std::string head = "POST /api/rounds HTTP/1.1\r\nHost: x\r\nContent-Length: 50000000\r\n\r\n";
        ASSERT_EQ(write(socket, head.data(), head.size()), static_cast<ssize_t>(head.size()));
        timeval wait{30, 0};
        setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        char answer[512] = {};
        ASSERT_GT(read(socket, answer, sizeof answer - 1), 0);
        EXPECT_EQ(std::string(answer).rfind("HTTP/1.1 413", 0), 0u) << answer;
        close(socket);
    }
    EXPECT_EQ(httpGet(board.origin, "/api/days/" + dayName(today)).body, before);
    EXPECT_EQ(httpGet(board.origin, "/api/rounds/" + std::string(16, 'A') + ".kvr").status, 404);
}

// The game's files, and nothing beside them, whatever the path's dots and escapes.
TEST_P(BoardTest, GameFilesAndNothingElse) {
    if (GetParam() != "sqlite") GTEST_SKIP() << "the files do not depend on the database";
    const std::filesystem::path web = std::filesystem::path(database[1]) / "web";
    std::filesystem::create_directories(web);
    std::ofstream(web / "index.html") << "<!doctype html><title>Korvada</title>";
    std::ofstream(web / "korvada.js") << "console.log('plain');";
    std::ofstream(web / "korvada.js.gz") << "gzip's bytes";
    std::ofstream(web / "notes.txt") << "not the game's";
    BoardProcess& board = start({"--web", web.string()});
    EXPECT_EQ(httpGet(board.origin, "/").body, "<!doctype html><title>Korvada</title>");
    Answer zipped = httpGet(board.origin, "/korvada.js", {"Accept-Encoding: gzip"});
    EXPECT_EQ(zipped.body, "gzip's bytes");
    EXPECT_EQ(zipped.headers["content-encoding"], "gzip");
    EXPECT_EQ(httpGet(board.origin, "/korvada.js").body, "console.log('plain');");
    for (const std::string path :
         {"/notes.txt", "/../board.sqlite", "/web/../board.sqlite", "/%2e%2e/board.sqlite", "/%2E%2E%2Fboard.sqlite",
          "/..%2f..%2f..%2fetc%2fpasswd", "/%252e%252e/board.sqlite", "/..\\board.sqlite", "/./../board.sqlite",
          "/index.html/../../board.sqlite", "//etc/passwd", "/%00index.html"}) {
        const Answer answer = httpGet(board.origin, path);
        EXPECT_GE(answer.status, 400) << path;
        EXPECT_EQ(answer.body.find("SQLite format"), std::string::npos) << path;
        EXPECT_EQ(answer.body.find("root:"), std::string::npos) << path;
        EXPECT_EQ(answer.body.find("not the game's"), std::string::npos) << path;
    }
}

TEST_P(BoardTest, TooManyFromOneAddress) {
    if (GetParam() != "sqlite") GTEST_SKIP() << "the limits do not depend on the database";
    BoardProcess& board = start({"--rounds-per-minute", "3"});
    for (int i = 0; i < 3; ++i) EXPECT_EQ(httpPost(board.origin, "/api/rounds", "x").status, 400);
    expectRefused(httpPost(board.origin, "/api/rounds", "x"), 429, "a fourth round in a minute");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(httpPost(board.origin, "/api/tickets", "").status, 200);
    expectRefused(httpPost(board.origin, "/api/tickets", ""), 429, "a fourth ticket in a minute");
}

// A whole round, landed: kept with the bubbles the game counted as it was
// played. Its ticket is dated back by the time the round took, signed with
// the board's own key, so that the test need not wait it out.
TEST_P(BoardTest, LandedRoundScoredByTheBoard) {
    if (GetParam() != "sqlite") GTEST_SKIP() << "the score does not depend on the database";
    BoardProcess& board = start();
    // Of a few ways to steer, the one that catches most of today's bubbles,
    // so that the score the board counts is one to tell apart.
    std::string keys;
    MadeRound round;
    for (const char* candidate : {"1-100:LEFT", "1-100:UP", "1-100:RIGHT", "1-100:DOWN", "1-300:LEFT,1-300:UP",
                                  "1-300:RIGHT,1-300:DOWN", "1-50:UP,200-260:LEFT", "1-50:DOWN,200-260:RIGHT"}) {
        const MadeRound tried = makeRound(facts("Eva", std::string(43, 'A'), [&](SentRound& f) {
            f.steps = 100000, f.dt = 0.05, f.keys = candidate;
        }));
        if (keys.empty() || tried.score > round.score) keys = candidate, round = tried;
    }
    ASSERT_GT(round.seconds, 40);
    std::printf("steered %s: %d bubbles\n", keys.c_str(), round.score);
    const int64_t now = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::system_clock::now().time_since_epoch()).count();
    const std::string backdated = makeTicket(ticketKey(database), now - static_cast<int64_t>(round.seconds * 1000) - 2000);
    round = makeRound(facts("Eva", backdated, [&](SentRound& f) {
        f.steps = 100000, f.dt = 0.05, f.keys = keys;
        f.realMs = static_cast<int64_t>(round.seconds * 1000) + 1500;
    }));
    const Answer kept = httpPost(board.origin, "/api/rounds", round.bytes);
    ASSERT_EQ(kept.status, 200) << kept.body;
    EXPECT_EQ(jsonField(kept.body, "score"), std::to_string(round.score));
    // The same round, slowed to half speed: sent when twice its time has passed.
    const std::string slowed = makeTicket(ticketKey(database), now - static_cast<int64_t>(round.seconds * 2000));
    const MadeRound slow = makeRound(facts("Eva", slowed, [&](SentRound& f) {
        f.steps = 100000, f.dt = 0.05, f.keys = keys;
        f.realMs = static_cast<int64_t>(round.seconds * 1000) + 1;
    }));
    expectRefused(httpPost(board.origin, "/api/rounds", slow.bytes, {"Korvada-Secret: " + jsonField(kept.body, "secret")}),
                  422, "a round at half speed");
}

TEST_P(BoardTest, KilledBoardKeepsWhatItAcknowledged) {
    std::vector<std::string> args = {"--rounds-per-minute", "0"};
    BoardProcess& board = start(args);
    std::vector<std::pair<std::string, std::string>> acknowledged;  // id, bytes
    std::atomic<int> count{0};
    std::atomic<bool> stop{false};
    std::thread sender([&] {
        for (int i = 0; i < 400 && !stop; ++i) {
            const Answer ticketed = httpPost(board.origin, "/api/tickets", "");
            if (ticketed.status != 200) break;
            const MadeRound round = makeRound(facts("Kill " + std::to_string(i), jsonField(ticketed.body, "ticket")));
            const Answer kept = httpPost(board.origin, "/api/rounds", round.bytes);
            if (kept.status != 200) break;
            acknowledged.emplace_back(jsonField(kept.body, "id"), round.bytes);
            ++count;
        }
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (count < 15 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_GE(count, 15) << "the board acknowledged too few rounds to be killed among them";
    EXPECT_EQ(stopBoard(board, SIGKILL), 128 + SIGKILL);
    stop = true;
    sender.join();
    boards.clear();
    BoardProcess& again = start(args);
    for (const auto& [id, bytes] : acknowledged) {
        const Answer recording = httpGet(again.origin, "/api/rounds/" + id + ".kvr");
        EXPECT_EQ(recording.status, 200) << id;
        EXPECT_TRUE(recording.body == bytes) << id;
    }
}

TEST_P(BoardTest, TwoProcessesOnOneDatabase) {
    if (GetParam() != "postgresql") GTEST_SKIP() << "SQLite is one process's";
    BoardProcess first = start();
    BoardProcess second = start();
    constexpr int kEach = 15;
    std::atomic<int> kept{0};
    const auto sendAll = [&](const BoardProcess& board, const std::string& prefix) {
        for (int i = 0; i < kEach; ++i) {
            const MadeRound round = makeRound(facts(prefix + std::to_string(i), ticket(board)));
            if (httpPost(board.origin, "/api/rounds", round.bytes).status == 200) ++kept;
        }
    };
    std::thread a([&] { sendAll(first, "A "); });
    std::thread b([&] { sendAll(second, "B "); });
    // One round sent to both at once, and one name claimed on both at once.
    const MadeRound both = makeRound(facts("Both", ticket(first)));
    const MadeRound claimFirst = makeRound(facts("Claim", ticket(first)));
    const MadeRound claimSecond = makeRound(facts("Claim", ticket(second), [](SentRound& f) { f.steps = 31; }));
    Answer bothFirst, bothSecond, claimedFirst, claimedSecond;
    std::thread c([&] {
        bothFirst = httpPost(first.origin, "/api/rounds", both.bytes);
        claimedFirst = httpPost(first.origin, "/api/rounds", claimFirst.bytes);
    });
    bothSecond = httpPost(second.origin, "/api/rounds", both.bytes);
    claimedSecond = httpPost(second.origin, "/api/rounds", claimSecond.bytes);
    a.join();
    b.join();
    c.join();
    EXPECT_EQ(kept, 2 * kEach);
    EXPECT_EQ(bothFirst.status, 200);
    EXPECT_EQ(bothSecond.status, 200);
    EXPECT_EQ(jsonField(bothFirst.body, "id"), jsonField(bothSecond.body, "id"));
    EXPECT_EQ((claimedFirst.status == 200) + (claimedSecond.status == 200), 1);
    EXPECT_EQ((claimedFirst.status == 403) + (claimedSecond.status == 403), 1);
    const std::string day = httpGet(first.origin, "/api/days/" + dayName(today)).body;
    EXPECT_EQ(httpGet(second.origin, "/api/days/" + dayName(today)).body, day);
    size_t listed = 0;
    for (size_t at = 0; (at = day.find("\"id\":", at)) != std::string::npos; ++at) ++listed;
    EXPECT_EQ(listed, static_cast<size_t>(2 * kEach + 2)) << day;
    for (const std::string prefix : {"A ", "B "})
        for (int i = 0; i < kEach; ++i) {
            const std::string name = "\"name\":\"" + prefix + std::to_string(i) + "\"";
            EXPECT_NE(day.find(name), std::string::npos) << name;
            EXPECT_EQ(day.find(name), day.rfind(name)) << name;
        }
}

INSTANTIATE_TEST_SUITE_P(Backends, BoardTest, testing::Values("sqlite", "postgresql"),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
