// The board under load: N clients send real rounds of today's to a real
// korvada-board on loopback for a fixed time, and the same rounds are
// played in this process with no HTTP, the limit. Prints rounds verified a
// second, p50 and p99 of a submission and of a board read, and the errors:
//   1. the limit: the rounds read and played one after another, as the
//      board plays them (one at a time: the game's generator is the process's);
//   2. saturation: N clients send as fast as they are answered;
//   3. half the saturation rate, with a reader asking for the day's board;
//   4. with --memory K: K submissions more, the board's resident memory
//      after the first tenth of them and after all.
// Not a test: its figures depend on the machine.
//   korvada-board-load --board PROGRAM --replay PROGRAM [--clients N] [--seconds S]
//                      [--rounds K] [--memory K] [--database URL]

#include <curl/curl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "board/board_rules.h"
#include "board/round_reading.h"
#include "board/store_postgres.h"
#include "board/store_sqlite.h"
#include "core/daily_round.h"
#include "core/recording.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    std::string board, replay, database;
    int clients = 8;
    double seconds = 20;
    int rounds = 12;
    int memory = 0;
};

// --- Recordings ----------------------------------------------------------------

// A whole round by korvada-replay, its frames `dt` long, steered by `keys`:
// today's round, or with other bottles a free round of as many laid out
// from the day's state (for what playing it costs).
struct Played {
    RoundRecording recording;
    double seconds = 0;
};

Played playRound(const Options& options, int32_t day, int bottles, double dt, const std::string& keys) {
    const std::string file = std::filesystem::temp_directory_path() / ("korvada-load-" + std::to_string(getpid()) + ".kvr");
    const std::string layout = bottles == kDailyBottles
                                   ? " --daily " + dayText(static_cast<uint32_t>(day))
                                   : " --seed " + std::to_string(dailyRandomState(static_cast<uint32_t>(day))) +
                                         " --bottles " + std::to_string(bottles);
    const std::string command = options.replay + layout + " --steps 1000000 --dt " + std::to_string(dt) + " --keys " +
                                keys + " --record " + file + " >/dev/null";
    Played played;
    std::string trouble;
    if (std::system(command.c_str()) == 0 && readRecordingFile(file, &played.recording, &trouble))
        for (float seconds : played.recording.frameSeconds) played.seconds += seconds;
    std::filesystem::remove(file);
    return played;
}

// The round's bytes as its player sends them, with its ticket and name.
std::string submission(const Played& played, const std::string& name, const std::string& ticket, int64_t realMs) {
    RoundRecording recording = played.recording;
    recording.name = name;
    recording.ticket = ticket;
    recording.realMilliseconds = static_cast<uint32_t>(realMs);
    return recordingBytes(recording);
}

// --- HTTP ------------------------------------------------------------------------

size_t collect(char* data, size_t size, size_t count, void* into) {
    static_cast<std::string*>(into)->append(data, size * count);
    return size * count;
}

// One client's connection, kept alive from request to request.
struct Client {
    CURL* curl = curl_easy_init();
    ~Client() { curl_easy_cleanup(curl); }
    long send(const std::string& url, const std::string* body, std::string* answer) {
        answer->clear();
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collect);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, answer);
        curl_easy_setopt(curl, CURLOPT_TIMEOUT, 60L);
        if (body) {
            curl_easy_setopt(curl, CURLOPT_POST, 1L);
            curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body->data());
            curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body->size()));
        } else {
            curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
        }
        long status = 0;
        if (curl_easy_perform(curl) == CURLE_OK) curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        return status;
    }
};

// --- The board -----------------------------------------------------------------------

struct Board {
    pid_t pid = -1;
    std::string origin;
};

Board startBoard(const Options& options, const std::string& state) {
    Board board;
    int out[2];
    if (pipe(out) != 0) return board;
    std::vector<std::string> args = {options.board, "--address", "127.0.0.1", "--port", "0", "--no-web",
                                     "--rounds-per-minute", "0"};
    if (options.database.empty()) args.insert(args.end(), {"--state", state});
    else args.insert(args.end(), {"--database", options.database});
    board.pid = fork();
    if (board.pid == 0) {
        dup2(out[1], 1);
        close(out[0]);
        if (!freopen("/dev/null", "w", stderr)) _exit(127);
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    std::string line;
    char c;
    while (read(out[0], &c, 1) == 1 && c != '\n') line += c;
    close(out[0]);
    const size_t at = line.find("http://127.0.0.1:");
    if (at != std::string::npos) board.origin = "http://127.0.0.1:" + std::to_string(std::atoi(line.c_str() + at + 17));
    return board;
}

long residentKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

// --- Measuring ------------------------------------------------------------------------

double percentile(std::vector<double> values, double share) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<size_t>(share * static_cast<double>(values.size())))];
}

// A round's ticket as the board would have given it when the round began,
// signed with the board's key from its database: the clients need not wait
// out a round's time before sending it.
struct Signer {
    std::string key;
    std::atomic<int64_t> count{0};
    int64_t limit = 0;  // no more tickets after this many (0: none)
};

int64_t wallMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::string boardKey(const Options& options, const std::string& state) {
    BoardStore store;
    std::string trouble, key;
    const bool opened = options.database.empty()
                            ? openSqliteStore(std::filesystem::path(state) / "board.sqlite", &store, &trouble)
                            : openPostgresStore(options.database, &store, &trouble);
    if (!opened || !store.sharedValue(store.db, "ticket-key", "", &key, &trouble)) {
        std::fprintf(stderr, "no ticket key: %s\n", trouble.c_str());
        return "";
    }
    store.close(store.db);
    return key;
}

struct Results {
    std::mutex mutex;
    std::vector<double> submitMs, readMs;
    int kept = 0, errors = 0, reads = 0, readErrors = 0;
};

// Sends rounds until `end`, each with the next ticket, at most one every
// `spacing` over all clients (0: as fast as answered).
// Sends rounds until `end` (or the signer's limit), at most one every
// `spacing` over all clients (0: as fast as answered).
void sendRounds(const Board& board, const std::vector<Played>& rounds, Signer& signer, Results& results,
                Clock::time_point end, double spacing, std::atomic<int64_t>& sent) {
    Client client;
    std::string answer;
    const Clock::time_point start = Clock::now();
    while (Clock::now() < end) {
        if (spacing > 0) {
            const int64_t mine = sent++;
            std::this_thread::sleep_until(start + std::chrono::duration_cast<Clock::duration>(
                                                      std::chrono::duration<double>(spacing * static_cast<double>(mine))));
            if (Clock::now() >= end) break;
        }
        const int64_t index = signer.count++;
        if (signer.limit > 0 && index >= signer.limit) break;
        const Played& played = rounds[static_cast<size_t>(index) % rounds.size()];
        // Begun a second before its frames' time, sent as it ended.
        const int64_t realMs = static_cast<int64_t>(played.seconds * 1000) + 500;
        const std::string ticket = makeTicket(signer.key, wallMs() - realMs - 500);
        const std::string body = submission(played, "Load " + std::to_string(index), ticket, realMs);
        const Clock::time_point asked = Clock::now();
        const long status = client.send(board.origin + "/api/rounds", &body, &answer);
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - asked).count();
        std::lock_guard<std::mutex> lock(results.mutex);
        results.submitMs.push_back(ms);
        if (status == 200) ++results.kept;
        else if (++results.errors <= 3) std::fprintf(stderr, "refused (%ld): %s\n", status, answer.c_str());
    }
}

void readBoard(const Board& board, Results& results, Clock::time_point end, int32_t day) {
    Client client;
    std::string answer;
    while (Clock::now() < end) {
        const Clock::time_point asked = Clock::now();
        const long status = client.send(board.origin + "/api/days/" + dayText(static_cast<uint32_t>(day)), nullptr, &answer);
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - asked).count();
        std::lock_guard<std::mutex> lock(results.mutex);
        results.readMs.push_back(ms);
        ++results.reads;
        if (status != 200) ++results.readErrors;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// The limit: the rounds read and played here, one after another, for `seconds`.
double limitRate(const std::vector<Played>& rounds, double seconds) {
    std::vector<std::string> bodies;
    for (size_t i = 0; i < rounds.size(); ++i)
        bodies.push_back(submission(rounds[i], "Load", std::string(43, 'A'), 0));
    const Clock::time_point start = Clock::now();
    int played = 0;
    while (std::chrono::duration<double>(Clock::now() - start).count() < seconds) {
        SubmittedRound round;
        std::string trouble;
        if (!readSubmittedRound(bodies[played % bodies.size()], &round, &trouble)) return 0;
        playSubmittedRound(&round);
        if (!round.checked.played) return 0;
        ++played;
    }
    return played / std::chrono::duration<double>(Clock::now() - start).count();
}

double playOnly(const Options& options, int32_t day, int bottles) {
    std::vector<Played> rounds = {playRound(options, day, bottles, 0.01, "1-300:LEFT")};
    if (rounds[0].recording.frameSeconds.empty()) return 0;
    SubmittedRound round;
    std::string trouble;
    // Not the day's layout with other bottles: played all the same, to see what it costs.
    if (!readSubmittedRound(submission(rounds[0], "Load", std::string(43, 'A'), 0), &round, &trouble)) return 0;
    const Clock::time_point start = Clock::now();
    int played = 0;
    while (std::chrono::duration<double>(Clock::now() - start).count() < 2) {
        SubmittedRound copy = round;
        playSubmittedRound(&copy);
        ++played;
    }
    return played / std::chrono::duration<double>(Clock::now() - start).count();
}

int run(const Options& options) {
    const int32_t day = utcDay(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::system_clock::now().time_since_epoch())
                                   .count());
    // Real rounds of today's, their frames from 1/144 s to 1/30 s, each steered its own way.
    const double dts[] = {1.0 / 144, 1.0 / 120, 1.0 / 90, 1.0 / 75, 1.0 / 60, 1.0 / 50, 1.0 / 40, 1.0 / 30};
    std::vector<Played> rounds;
    double longest = 0, frames = 0;
    for (int i = 0; i < options.rounds; ++i) {
        const std::string keys = std::to_string(1 + 37 * i) + "-" + std::to_string(200 + 53 * i) +
                                 (i % 2 ? ":LEFT," : ":RIGHT,") + std::to_string(900 + 11 * i) + "-1400:UP";
        rounds.push_back(playRound(options, day, 8, dts[i % 8], keys));
        if (rounds.back().recording.frameSeconds.empty()) {
            std::fprintf(stderr, "korvada-replay made no round\n");
            return 1;
        }
        longest = std::max(longest, rounds.back().seconds);
        frames += static_cast<double>(rounds.back().recording.frameSeconds.size());
    }
    std::printf("rounds: %d of today's (8 bottles), %.0f frames on average, up to %.1f s of frames\n",
                options.rounds, frames / options.rounds, longest);
    std::printf("playing alone (no HTTP, no database), rounds a second: 4 bottles %.0f, 8 bottles %.0f, 64 bottles %.0f\n",
                playOnly(options, day, 4), playOnly(options, day, 8), playOnly(options, day, 64));
    const double limit = limitRate(rounds, options.seconds / 2);
    std::printf("limit: %.1f rounds a second (read and played one after another in one process)\n", limit);

    const std::string state = std::filesystem::temp_directory_path() / ("korvada-load-" + std::to_string(getpid()));
    std::filesystem::create_directories(state);
    Board board = startBoard(options, state);
    if (board.origin.empty()) {
        std::fprintf(stderr, "korvada-board did not start\n");
        return 1;
    }
    Signer signer;
    signer.key = boardKey(options, state);
    if (signer.key.empty()) return 1;

    // Saturation.
    Results saturated;
    std::atomic<int64_t> sent{0};
    Clock::time_point start = Clock::now(), end = start + std::chrono::duration_cast<Clock::duration>(
                                                              std::chrono::duration<double>(options.seconds));
    std::vector<std::thread> clients;
    for (int i = 0; i < options.clients; ++i)
        clients.emplace_back([&] { sendRounds(board, rounds, signer, saturated, end, 0, sent); });
    for (std::thread& client : clients) client.join();
    clients.clear();
    const double rate = saturated.kept / std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("saturation, %d clients, %.0f s: %.1f rounds verified a second (%.2f of the limit), "
                "submission p50 %.1f ms p99 %.1f ms, %d errors\n",
                options.clients, options.seconds, rate, rate / limit, percentile(saturated.submitMs, 0.5),
                percentile(saturated.submitMs, 0.99), saturated.errors);

    // Half the saturation rate, with a reader.
    Results half;
    sent = 0;
    start = Clock::now();
    end = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(options.seconds));
    for (int i = 0; i < options.clients; ++i)
        clients.emplace_back([&] { sendRounds(board, rounds, signer, half, end, 2 / rate, sent); });
    std::thread reader([&] { readBoard(board, half, end, day); });
    for (std::thread& client : clients) client.join();
    reader.join();
    clients.clear();
    std::printf("half rate, %.0f s: %.1f rounds a second, submission p50 %.1f ms p99 %.1f ms, %d errors; "
                "board read p50 %.2f ms p99 %.2f ms of %d, %d errors\n",
                options.seconds, half.kept / options.seconds, percentile(half.submitMs, 0.5),
                percentile(half.submitMs, 0.99), half.errors, percentile(half.readMs, 0.5),
                percentile(half.readMs, 0.99), half.reads, half.readErrors);

    if (options.memory > 0) {
        Results more;
        long early = 0;
        std::atomic<int64_t> ignored{0};
        signer.limit = signer.count + options.memory;
        const int64_t first = signer.count;
        const Clock::time_point never = Clock::now() + std::chrono::hours(24);
        std::thread watcher([&] {
            while (signer.count < first + options.memory / 10) std::this_thread::sleep_for(std::chrono::milliseconds(10));
            early = residentKb(board.pid);
        });
        for (int i = 0; i < options.clients; ++i)
            clients.emplace_back([&] { sendRounds(board, rounds, signer, more, never, 0, ignored); });
        for (std::thread& client : clients) client.join();
        watcher.join();
        std::printf("memory: %d submissions more (%d errors): the board resident %ld kB after %d, %ld kB after all\n",
                    more.kept + more.errors, more.errors, early, options.memory / 10, residentKb(board.pid));
    }
    kill(board.pid, SIGTERM);
    waitpid(board.pid, nullptr, 0);
    std::filesystem::remove_all(state);
    return saturated.errors + half.errors == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i], value = argv[i + 1];
        if (name == "--board") options.board = value;
        else if (name == "--replay") options.replay = value;
        else if (name == "--database") options.database = value;
        else if (name == "--clients") options.clients = std::atoi(value.c_str());
        else if (name == "--seconds") options.seconds = std::atof(value.c_str());
        else if (name == "--rounds") options.rounds = std::atoi(value.c_str());
        else if (name == "--memory") options.memory = std::atoi(value.c_str());
        else {
            std::fprintf(stderr, "unknown option %s\n", name.c_str());
            return 2;
        }
    }
    if (options.board.empty() || options.replay.empty() || options.clients < 1 || options.rounds < 1) {
        std::fprintf(stderr, "usage: korvada-board-load --board PROGRAM --replay PROGRAM [--clients N] [--seconds S] "
                             "[--rounds K] [--memory K] [--database URL]\n");
        return 2;
    }
    curl_global_init(CURL_GLOBAL_DEFAULT);
    return run(options);
}
