#pragma once
// The board as its clients meet it: the real korvada-board on a loopback
// port, asked over HTTP with libcurl, and real recordings of the day's
// round to send it.

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// --- The program ------------------------------------------------------------

struct BoardProcess {
    pid_t pid = -1;
    int port = 0;
    std::string origin;  // http://127.0.0.1:PORT
};

// korvada-board with `args` after --address 127.0.0.1 --port 0, started and
// listening (its first line read); its stderr goes to `log` when given.
BoardProcess startBoard(const std::vector<std::string>& args, const std::string& log = "");
// Ends it with `signal` and waits; its exit code, or 128 + the signal.
int stopBoard(BoardProcess& board, int signal);

// The database arguments of a backend: "sqlite" (a new state folder) or
// "postgresql" (a new database in the run's cluster, tests/board/postgres_cluster.sh).
std::vector<std::string> freshDatabase(const std::string& backend);

// The key the board signs its tickets with, from its database (which the
// board made): a test backdates a ticket with it (makeTicket) rather than
// wait out a round's time.
std::string ticketKey(const std::vector<std::string>& database);

// --- HTTP -----------------------------------------------------------------------

struct Answer {
    long status = 0;
    std::string body;
    std::map<std::string, std::string> headers;  // lower-case names
};

// `path` is sent as it is, dots and escapes included.
Answer httpGet(const std::string& origin, const std::string& path,
               const std::vector<std::string>& headers = {});
Answer httpPost(const std::string& origin, const std::string& path, const std::string& body,
                const std::vector<std::string>& headers = {});
// A JSON answer's string field ("" when there is none).
std::string jsonField(const std::string& json, const std::string& field);

// --- Rounds -----------------------------------------------------------------------

int32_t todayUtc();

// A round of the day's to send: korvada-replay's round of `steps` frames of
// `dt` seconds on the day's layout, ended with Esc after its last frame unless
// `steps` lets it land, then its facts.
struct SentRound {
    int32_t day = 0;
    std::string name;
    std::string ticket;
    int64_t realMs = -1;  // -1: the frames' own time
    int kind = 1;
    int bottles = 8;      // the day's round has 8
    int steps = 30;
    double dt = 0.005;    // 30 frames in 0.15 s: no wait for the clock rule
    std::string keys;     // korvada-replay's --keys
    bool escape = true;   // Esc after the last frame of a round that has not landed
};
struct MadeRound {
    std::string bytes;
    int32_t score = 0;       // the player's bubbles at the end, as the round was played
    double seconds = 0;      // its frames' time
};
MadeRound makeRound(const SentRound& facts);
