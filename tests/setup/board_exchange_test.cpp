// The Linux client against the real korvada-board on a loopback port:
// libcurl's exchanges within their bounds, the worker's answer on GLib's
// loop while the loop goes on, and the waiting rounds' pass when the board
// is away, back, and past its clock.

#include <arpa/inet.h>
#include <glib.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "board/board_rules.h"
#include "core/recording.h"
#include "linux/linux_places.h"
#include "setup/board_texts.h"
#include "setup/gtk/board_curl.h"
#include "setup/waiting_rounds.h"
#include "tests/board/board_harness.h"

namespace fs = std::filesystem;

namespace {

const std::string kSecret = "AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8";

// A loopback port that takes connections into its backlog and never answers.
struct SilentPort {
    int socket = -1;
    int port = 0;
    SilentPort() {
        socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (bind(socket, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(socket, 8) != 0 ||
            getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            ADD_FAILURE() << "no silent port";
        port = ntohs(address.sin_port);
    }
    ~SilentPort() { close(socket); }
};

std::string today() { return dayText(todayUtc()); }

// A round of today's with a ticket of `origin`'s board.
MadeRound ticketedRound(const std::string& origin, const std::string& name) {
    const BoardTicket ticket = readTicketAnswer(exchangeWithCurl(ticketRequest(origin)));
    EXPECT_TRUE(ticket.given) << ticket.trouble;
    SentRound facts;
    facts.day = todayUtc();
    facts.name = name;
    facts.ticket = ticket.ticket;
    return makeRound(facts);
}

TEST(CurlExchange, TheBoardsAnswersComeBackWithinTheirBounds) {
    const std::string secret = makeBoardSecret();
    EXPECT_TRUE(wellFormedBoardSecret(secret)) << secret;
    EXPECT_NE(secret, makeBoardSecret());
    BoardProcess board = startBoard(freshDatabase("sqlite"));
    ASSERT_GT(board.port, 0);
    const MadeRound made = ticketedRound(board.origin, "Jana");
    const RoundAnswer sent = readRoundAnswer(exchangeWithCurl(roundRequest(board.origin, made.bytes, kSecret)));
    ASSERT_EQ(sent.fate, RoundFate::Kept) << sent.reason;
    EXPECT_EQ(sent.score, made.score);

    const DayRounds list = readDayAnswer(exchangeWithCurl(dayRequest(board.origin, today())), today());
    ASSERT_TRUE(list.read) << list.trouble;
    ASSERT_EQ(list.rounds.size(), 1u);
    EXPECT_EQ(list.rounds[0].id, sent.id);
    EXPECT_EQ(list.rounds[0].name, "Jana");
    EXPECT_EQ(list.rounds[0].bubbles, made.score);

    BoardRequest download = recordingRequest(board.origin, sent.id);
    const BoardAnswer whole = exchangeWithCurl(download);
    ASSERT_TRUE(whole.answered) << whole.trouble;
    EXPECT_EQ(whole.body, made.bytes);
    RoundRecording watched;
    std::string trouble;
    ASSERT_TRUE(readRecordingAnswer(whole, &watched, &trouble)) << trouble;
    EXPECT_EQ(watched.name, "Jana");
    download.longestAnswer = made.bytes.size() - 1;
    const BoardAnswer cut = exchangeWithCurl(download);
    EXPECT_FALSE(cut.answered);
    EXPECT_TRUE(cut.body.empty());
    EXPECT_NE(cut.trouble.find("longer than " + std::to_string(made.bytes.size() - 1) + " bytes"), std::string::npos)
        << cut.trouble;

    // The name is Jana's secret's now: another one is refused for good.
    const MadeRound again = ticketedRound(board.origin, "Jana");
    const RoundAnswer taken =
        readRoundAnswer(exchangeWithCurl(roundRequest(board.origin, again.bytes, std::string(42, 'B') + "A")));
    EXPECT_EQ(taken.fate, RoundFate::Refused);
    EXPECT_TRUE(taken.nameTaken) << taken.reason;
    stopBoard(board, SIGTERM);

    const BoardAnswer gone = exchangeWithCurl(dayRequest(board.origin, today()));
    EXPECT_FALSE(gone.answered);
    EXPECT_NE(gone.trouble.find("no answer"), std::string::npos) << gone.trouble;
}

TEST(CurlExchange, TheDialogsLoopGoesOnWhileABoardKeepsItWaiting) {
    SilentPort silent;
    BoardRequest request = dayRequest("http://127.0.0.1:" + std::to_string(silent.port), today());
    request.seconds = 2;
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    struct Seen {
        GMainLoop* loop;
        int ticks = 0;
        bool done = false;
        bool onLoopThread = false;
        BoardAnswer answer;
    } seen{loop, 0, false, false, {}};
    const std::thread::id loopThread = std::this_thread::get_id();
    const auto started = std::chrono::steady_clock::now();
    startBoardExchange(request, [&seen, loopThread](const BoardAnswer& answer) {
        seen.done = true;
        seen.onLoopThread = std::this_thread::get_id() == loopThread;
        seen.answer = answer;
        g_main_loop_quit(seen.loop);
    });
    g_timeout_add(50, [](gpointer data) -> gboolean { return ++static_cast<Seen*>(data)->ticks, G_SOURCE_CONTINUE; },
                  &seen);
    // The test's own bound: far past the request's.
    g_timeout_add_seconds(30, [](gpointer data) -> gboolean { return g_main_loop_quit(static_cast<GMainLoop*>(data)), G_SOURCE_REMOVE; },
                          loop);
    g_main_loop_run(loop);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    g_main_loop_unref(loop);
    ASSERT_TRUE(seen.done);
    EXPECT_TRUE(seen.onLoopThread);
    EXPECT_FALSE(seen.answer.answered);
    EXPECT_EQ(seen.answer.trouble, "no answer within 2 s");
    EXPECT_GE(seconds, 1.9);
    EXPECT_LT(seconds, 10);
    // A 50 ms tick all along: the loop never waited on the exchange. (Half
    // of them is plenty on a busy machine; one blocked loop gives 0 or 1.)
    EXPECT_GE(seen.ticks, 20);
}

struct PassFixture : ::testing::Test {
    fs::path folder;
    WaitingFolder place;
    RoundSending sending;
    void SetUp() override {
        char pattern[] = "/tmp/korvada-pass-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        place = WaitingFolder{folder, diskSteps()};
        sending.store = waitingStoreIn(&place);
        sending.secret = kSecret;
    }
    void TearDown() override { fs::remove_all(folder); }
    // A pass as the dialogs make it, each exchange in turn; its line.
    std::string pass() {
        BoardRequest request;
        if (beginSending(&sending, false))
            while (nextRound(&sending, &request)) takeRoundAnswer(&sending, exchangeWithCurl(request), std::time(nullptr));
        return sendingLine(setupTexts(languageOf("en")), boardTexts("en"), &sending);
    }
};

TEST_F(PassFixture, ARoundLeftWhileTheBoardIsAwayGoesWithTheNextStartAndALateOneIsSaidToBe) {
    const std::vector<std::string> database = freshDatabase("sqlite");
    BoardProcess board = startBoard(database);
    sending.origin = board.origin;
    const MadeRound made = ticketedRound(board.origin, "Petr");
    stopBoard(board, SIGTERM);
    ASSERT_EQ(leaveWaiting(sending.store, made.bytes, std::time(nullptr)), "");

    const std::string away = pass();
    EXPECT_NE(away.find("The board does not answer (no answer: "), std::string::npos) << away;
    EXPECT_NE(away.find("the round waits and goes with the next start"), std::string::npos) << away;
    ASSERT_EQ(sending.store.names(sending.store.place).size(), 1u);

    // The next start, the board back on its database (at another port).
    board = startBoard(database);
    sending.origin = board.origin;
    EXPECT_EQ(pass(), "Sent to the board: " + bubblesText(setupTexts(languageOf("en")), made.score) + ".");
    EXPECT_TRUE(sending.store.names(sending.store.place).empty());

    // A round whose ticket is a minute old, left as long ago: the board's
    // clock rule refuses it, and the line says it was kept back too long.
    const int64_t minuteAgo = (std::time(nullptr) - 60) * 1000LL;
    SentRound facts;
    facts.day = todayUtc();
    facts.name = "Petr";
    facts.ticket = makeTicket(ticketKey(database), minuteAgo);
    const MadeRound late = makeRound(facts);
    ASSERT_EQ(leaveWaiting(sending.store, late.bytes, minuteAgo / 1000), "");
    const std::string refused = pass();
    EXPECT_NE(refused.find("The board refused the round kept back since " + clockText(minuteAgo / 1000)),
              std::string::npos)
        << refused;
    EXPECT_TRUE(sending.store.names(sending.store.place).empty());
    const DayRounds list = readDayAnswer(exchangeWithCurl(dayRequest(board.origin, today())), today());
    ASSERT_TRUE(list.read) << list.trouble;
    EXPECT_EQ(list.rounds.size(), 1u);
    stopBoard(board, SIGTERM);
}

}  // namespace
