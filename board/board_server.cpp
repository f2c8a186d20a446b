#include "board/board_server.h"

#include <httplib.h>
#include <nlohmann/json.hpp>
#include <signal.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "board/board_pages.h"
#include "board/board_rules.h"
#include "board/board_store.h"
#include "board/rate_limit.h"
#include "board/round_reading.h"
#include "board/store_postgres.h"
#include "board/store_sqlite.h"
#include "board/web_files.h"
#include "korvada_version.h"

namespace {

struct Board {
    BoardStore store;
    std::string ticketKey;
    RateLimit tickets;
    RateLimit rounds;
    WebFiles web;
    bool behindProxy = false;
};

constexpr int32_t kListedRounds = 100;

int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

void answerJson(httplib::Response& response, int status, const nlohmann::json& body) {
    response.status = status;
    response.set_content(body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace), "application/json");
}

// A refusal: its status and one line, and the line on stderr (without the
// sender's address).
void refuse(httplib::Response& response, int status, const std::string& why) {
    std::fprintf(stderr, "korvada-board: refused (%d): %s\n", status, why.c_str());
    answerJson(response, status, {{"error", why}});
}

void page(httplib::Response& response, int status, const std::string& html) {
    response.status = status;
    response.set_header("Content-Security-Policy", "default-src 'none'; style-src 'unsafe-inline'");
    response.set_header("Vary", "Accept-Language");
    response.set_content(html, "text/html; charset=utf-8");
}

const Language& languageAsked(const httplib::Request& request) {
    return pageLanguage(request.get_header_value("Accept-Language"));
}

// The sender, for the rate limits alone: behind a proxy on this machine,
// the last address the proxy put in X-Forwarded-For.
std::string sender(const Board& board, const httplib::Request& request) {
    const bool local = request.remote_addr == "127.0.0.1" || request.remote_addr == "::1";
    const std::string forwarded = request.get_header_value("X-Forwarded-For");
    if (!board.behindProxy || !local || forwarded.empty()) return request.remote_addr;
    std::string last = forwarded.substr(forwarded.rfind(',') == std::string::npos ? 0 : forwarded.rfind(',') + 1);
    while (!last.empty() && last.front() == ' ') last.erase(0, 1);
    return last;
}

void giveTicket(Board& board, const httplib::Request& request, httplib::Response& response) {
    const int64_t now = nowMs();
    if (!allowRequest(board.tickets, sender(board, request), now))
        return refuse(response, 429, "too many tickets from one address in a minute");
    answerJson(response, 200, {{"ticket", makeTicket(board.ticketKey, now)}, {"day", dayText(static_cast<uint32_t>(utcDay(now)))}});
}

// Everything that can be refused before the round is played, cheapest first.
bool admissible(Board& board, const SubmittedRound& round, int64_t arrived, int64_t* ticketMs,
                httplib::Response& response) {
    std::string why;
    const RoundRecording& recording = round.recording;
    if (!round.todaysLayout) {
        refuse(response, 422, "not a round of today's: the board keeps only the day's round");
        return false;
    }
    if (recording.name.empty()) {
        refuse(response, 400, "the round has no player's name");
        return false;
    }
    if (!checkSubmittedName(recording.name, &why)) {
        refuse(response, 400, "the player's name is refused: " + why);
        return false;
    }
    if (!readTicket(board.ticketKey, recording.ticket, ticketMs)) {
        refuse(response, 422, "the round's ticket is not one of this board's");
        return false;
    }
    if (!(why = dayTrouble(static_cast<int32_t>(recording.day), *ticketMs)).empty()) {
        refuse(response, 422, why);
        return false;
    }
    double recorded = 0;
    for (float seconds : recording.frameSeconds) recorded += seconds;
    if (!(why = clockTrouble({*ticketMs, arrived, recorded, recording.realMilliseconds})).empty()) {
        refuse(response, 422, why);
        return false;
    }
    return true;
}

// A body longer than any recording is refused unread: at once when its
// length says so, else as soon as it grows past the bounds (chunked). The
// connection then closes, with the rest of the body unread.
bool readBody(const httplib::Request& request, const httplib::ContentReader& reader, std::string* body,
              httplib::Response& response) {
    const size_t longest = longestSubmission();
    const auto tooLong = [&] {
        response.set_header("Connection", "close");
        refuse(response, 413, "the body is longer than any recording (" + std::to_string(longest) + " bytes)");
        return false;
    };
    if (request.has_header("Content-Length")) {
        const std::string length = request.get_header_value("Content-Length");
        if (length.size() > 18 || std::strtoull(length.c_str(), nullptr, 10) > longest) return tooLong();
    }
    bool overflowed = false;
    reader([&](const char* data, size_t length) {
        if (body->size() + length > longest) return !(overflowed = true);
        body->append(data, length);
        return true;
    });
    return overflowed ? tooLong() : true;
}

void takeRound(Board& board, const httplib::Request& request, httplib::Response& response,
               const httplib::ContentReader& reader) {
    const int64_t arrived = nowMs();
    if (!allowRequest(board.rounds, sender(board, request), arrived))
        return refuse(response, 429, "too many rounds from one address in a minute");
    const std::string secret = request.get_header_value("Korvada-Secret");
    if (request.has_header("Korvada-Secret") && !wellFormedSecret(secret))
        return refuse(response, 400, "the Korvada-Secret header is not a secret this board hands out");
    std::string body;
    if (!readBody(request, reader, &body, response)) return;
    SubmittedRound round;
    std::string trouble;
    if (!readSubmittedRound(body, &round, &trouble)) return refuse(response, 400, trouble);
    int64_t ticketMs = 0;
    if (!admissible(board, round, arrived, &ticketMs, response)) return;
    playSubmittedRound(&round);
    const CheckedRound& checked = round.checked;
    if (!checked.played) return refuse(response, 422, "the round does not play to its end: " + checked.trouble);

    NewRound kept;
    kept.id = randomToken(kRoundIdBytes);
    kept.ticket = round.recording.ticket;
    kept.digest = sha256Hex(body);
    kept.day = static_cast<int32_t>(round.recording.day);
    kept.name = round.recording.name;
    const std::string given = secret.empty() ? randomToken(kSecretBytes) : secret;
    kept.secretHash = sha256Hex(given);
    kept.bubbles = checked.score;
    kept.frames = checked.frames;
    kept.recordedMs = std::llround(checked.recordedSeconds * 1000);
    kept.realMs = round.recording.realMilliseconds;
    kept.receivedMs = arrived;
    kept.gameVersion = round.recording.gameVersion;
    kept.recording = std::move(body);
    std::string id;
    switch (board.store.addRound(board.store.db, kept, &id, &trouble)) {
        case AddOutcome::Added: {
            nlohmann::json answer = {{"id", kept.id}, {"score", checked.score}, {"url", "/r/" + kept.id}};
            if (secret.empty()) answer["secret"] = given;
            return answerJson(response, 200, answer);
        }
        case AddOutcome::Again:
            return answerJson(response, 200, {{"id", id}, {"score", checked.score}, {"url", "/r/" + id}});
        case AddOutcome::TicketUsed:
            return refuse(response, 409, "another round was sent with this ticket");
        case AddOutcome::NameTaken:
            return refuse(response, 403, "the name " + round.recording.name + " belongs to another player (no or another secret)");
        case AddOutcome::Failed:
            return refuse(response, 503, "the board cannot keep rounds now: " + trouble);
    }
}

// The day a request's address names, or today for none; false (answered)
// for a day that is not a date.
bool requestedDay(const httplib::Request& request, httplib::Response& response, int32_t* day, bool json) {
    *day = utcDay(nowMs());
    if (request.matches.size() < 2) return true;
    uint32_t named = 0;
    if (readDay(request.matches[1], &named) && named <= 0x7FFFFFFF) {
        *day = static_cast<int32_t>(named);
        return true;
    }
    if (json)
        refuse(response, 404, "no such day");
    else
        page(response, 404, notFoundPage(languageAsked(request)));
    return false;
}

bool listDay(Board& board, int32_t day, std::vector<ListedRound>* rounds, httplib::Response& response) {
    std::string trouble;
    if (board.store.dayRounds(board.store.db, day, kListedRounds, rounds, &trouble)) return true;
    refuse(response, 503, "the board cannot read its rounds now: " + trouble);
    return false;
}

void dayBoard(Board& board, const httplib::Request& request, httplib::Response& response) {
    int32_t day;
    std::vector<ListedRound> rounds;
    if (!requestedDay(request, response, &day, false) || !listDay(board, day, &rounds, response)) return;
    page(response, 200, dayPage(languageAsked(request), day, utcDay(nowMs()), rounds));
}

void dayData(Board& board, const httplib::Request& request, httplib::Response& response) {
    int32_t day;
    std::vector<ListedRound> rounds;
    if (!requestedDay(request, response, &day, true) || !listDay(board, day, &rounds, response)) return;
    response.set_content(dayJson(day, rounds), "application/json");
}

// The round the address names; false (answered) when there is none.
bool findRound(Board& board, const std::string& id, StoredRound* round, httplib::Response& response) {
    std::string trouble;
    if (wellFormedRoundId(id) && board.store.round(board.store.db, id, round, &trouble)) return true;
    if (!trouble.empty())
        refuse(response, 503, "the board cannot read its rounds now: " + trouble);
    else
        refuse(response, 404, "no such round");
    return false;
}

void roundRecording(Board& board, const httplib::Request& request, httplib::Response& response) {
    StoredRound round;
    if (!findRound(board, request.matches[1], &round, response)) return;
    response.set_header("Content-Disposition", "attachment; filename=\"korvada-" + dayText(static_cast<uint32_t>(round.day)) + "-" +
                                                   round.listed.id + ".kvr\"");
    response.set_header("Cache-Control", "public, max-age=31536000, immutable");
    response.set_content(round.recording, "application/octet-stream");
}

void roundShown(Board& board, const httplib::Request& request, httplib::Response& response) {
    StoredRound round;
    std::string trouble;
    const std::string id = request.matches[1];
    if (wellFormedRoundId(id) && board.store.round(board.store.db, id, &round, &trouble))
        return page(response, 200, roundPage(languageAsked(request), round));
    if (!trouble.empty()) return refuse(response, 503, "the board cannot read its rounds now: " + trouble);
    page(response, 404, notFoundPage(languageAsked(request)));
}

// A file of the game's page; nothing else.
void webFile(Board& board, const httplib::Request& request, httplib::Response& response) {
    const std::string name = request.path == "/" ? "index.html" : request.path.substr(1);
    const auto found = board.web.find(name);
    if (found == board.web.end()) return page(response, 404, notFoundPage(languageAsked(request)));
    const WebFile& file = found->second;
    const std::string accepted = request.get_header_value("Accept-Encoding");
    const std::string* body = &file.bytes;
    if (!file.brotli.empty() && accepted.find("br") != std::string::npos) {
        body = &file.brotli;
        response.set_header("Content-Encoding", "br");
    } else if (!file.gzip.empty() && accepted.find("gzip") != std::string::npos) {
        body = &file.gzip;
        response.set_header("Content-Encoding", "gzip");
    }
    response.set_header("Vary", "Accept-Encoding");
    response.set_header("Cache-Control", "no-cache");
    // The page learns it is a board's from its own load, with no request
    // that a page served elsewhere would see fail.
    response.set_header("Server-Timing", "korvada-board");
    // A body of known length from a provider: the library compresses the
    // bodies it is handed whole, which would compress a copy twice.
    response.set_content_provider(body->size(), file.type,
                                  [body](size_t offset, size_t length, httplib::DataSink& sink) {
                                      return sink.write(body->data() + offset, length);
                                  });
}

void route(httplib::Server& server, Board& board) {
    const std::string day = R"((\d{4}-\d{2}-\d{2}))";
    const std::string id = R"(([A-Za-z0-9_-]{16}))";
    server.Post("/api/tickets", [&](const httplib::Request& q, httplib::Response& a) { giveTicket(board, q, a); });
    server.Post("/api/rounds", [&](const httplib::Request& q, httplib::Response& a, const httplib::ContentReader& r) {
        takeRound(board, q, a, r);
    });
    server.Get("/api/days/" + day, [&](const httplib::Request& q, httplib::Response& a) { dayData(board, q, a); });
    server.Get("/api/rounds/" + id + R"(\.kvr)",
               [&](const httplib::Request& q, httplib::Response& a) { roundRecording(board, q, a); });
    server.Get("/r/" + id, [&](const httplib::Request& q, httplib::Response& a) { roundShown(board, q, a); });
    server.Get("/board", [&](const httplib::Request& q, httplib::Response& a) { dayBoard(board, q, a); });
    server.Get("/board/" + day, [&](const httplib::Request& q, httplib::Response& a) { dayBoard(board, q, a); });
    server.Get(".*", [&](const httplib::Request& q, httplib::Response& a) { webFile(board, q, a); });
    server.set_post_routing_handler([](const httplib::Request&, httplib::Response& a) {
        a.set_header("X-Content-Type-Options", "nosniff");
        a.set_header("Referrer-Policy", "no-referrer");
    });
    // What the library refuses itself (a body past the bounds, a method
    // with no route), in one line.
    server.set_error_handler([](const httplib::Request& q, httplib::Response& a) {
        if (!a.body.empty()) return;
        if (a.status == 413)
            refuse(a, 413, "the body is longer than any recording (" + std::to_string(longestSubmission()) + " bytes)");
        else if (a.status == 404 && q.path.rfind("/api/", 0) == 0)
            refuse(a, 404, "no such thing here");
        else if (a.status != 404)
            refuse(a, a.status, "the request is refused");
        else
            page(a, 404, notFoundPage(languageAsked(q)));
    });
}

bool openStore(const BoardConfig& config, BoardStore* store, std::string* trouble, std::string* where) {
    if (!config.database.empty()) {
        *where = "PostgreSQL";
        return openPostgresStore(config.database, store, trouble);
    }
    std::error_code error;
    std::filesystem::create_directories(config.state, error);
    const std::filesystem::path file = config.state / "board.sqlite";
    *where = file.string();
    return openSqliteStore(file, store, trouble);
}

}  // namespace

int runBoard(const BoardConfig& config) {
    // SIGTERM and SIGINT end the serving: blocked in every thread started
    // from here on, and waited for by one.
    sigset_t stopping;
    sigemptyset(&stopping);
    sigaddset(&stopping, SIGTERM);
    sigaddset(&stopping, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopping, nullptr);
    Board board;
    board.behindProxy = config.behindProxy;
    board.tickets.perMinute = board.rounds.perMinute = config.roundsPerMinute;
    std::string trouble, where;
    if (!openStore(config, &board.store, &trouble, &where)) {
        std::fprintf(stderr, "korvada-board: cannot open the rounds' database (%s): %s\n", where.c_str(),
                     trouble.c_str());
        return 1;
    }
    if (!board.store.sharedValue(board.store.db, "ticket-key", randomToken(32), &board.ticketKey, &trouble)) {
        std::fprintf(stderr, "korvada-board: cannot read the ticket key: %s\n", trouble.c_str());
        board.store.close(board.store.db);
        return 1;
    }
    if (!config.web.empty() && !readWebFiles(config.web, &board.web, &trouble)) {
        std::fprintf(stderr, "korvada-board: %s\n", trouble.c_str());
        board.store.close(board.store.db);
        return 1;
    }

    httplib::Server server;
    const int threads = config.threads;
    server.new_task_queue = [threads] { return new httplib::ThreadPool(static_cast<size_t>(threads)); };
    // Rounds read their bodies themselves (readBody); other bodies are
    // bounded by the same length.
    server.set_payload_max_length(longestSubmission());
    // Each open connection holds a thread of the pool: an idle one lets go soon.
    server.set_keep_alive_timeout(2);
    server.set_read_timeout(10);
    server.set_write_timeout(10);
    // An answer goes out as its headers and then its body: with Nagle's
    // rule the body waited for the client's delayed acknowledgement, 40 ms
    // a read of the day on a kept connection.
    server.set_tcp_nodelay(true);
    route(server, board);
    const int port = config.port == 0 ? server.bind_to_any_port(config.address)
                                      : (server.bind_to_port(config.address, config.port) ? config.port : -1);
    if (port <= 0) {
        std::fprintf(stderr, "korvada-board: cannot listen on %s port %d\n", config.address.c_str(), config.port);
        board.store.close(board.store.db);
        return 1;
    }

    std::thread stopper([&] {
        int signal = 0;
        sigwait(&stopping, &signal);
        server.stop();
    });
    const std::string host = config.address.find(':') != std::string::npos ? "[" + config.address + "]" : config.address;
    std::printf("korvada-board %s: http://%s:%d/ rounds in %s, %s\n", KORVADA_VERSION_STRING, host.c_str(), port,
                where.c_str(),
                board.web.empty() ? "no game files" : ("the game from " + config.web.string()).c_str());
    std::fflush(stdout);
    const bool served = server.listen_after_bind();
    pthread_kill(stopper.native_handle(), SIGTERM);  // ends the stopper when the server ended on its own
    stopper.join();
    board.store.close(board.store.db);
    return served ? 0 : 1;
}
