#include "board/store_postgres.h"

#include <libpq-fe.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "board/board_schema.h"

namespace {

// At most this many connections a process: a server's 100 by default
// serve a dozen boards, and a round's transaction is short.
constexpr size_t kMostConnections = 8;

struct PostgresStore {
    std::string url;
    std::mutex mutex;
    std::condition_variable freed;
    std::vector<PGconn*> idle;
    size_t open = 0;  // idle or in use
};

// The advisory lock that lets one process at a time migrate: "KVRB".
constexpr const char* kMigrationLock = "SELECT pg_advisory_xact_lock(1263948354)";

std::string firstLine(const char* message) {
    std::string line = message ? message : "failed";
    const size_t end = line.find('\n');
    return "PostgreSQL: " + (end == std::string::npos ? line : line.substr(0, end));
}

// A result that is cleared when it goes.
struct Result {
    PGresult* result;
    explicit Result(PGresult* taken) : result(taken) {}
    ~Result() { PQclear(result); }
    bool ok() const {
        const ExecStatusType status = PQresultStatus(result);
        return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
    }
    int rows() const { return PQntuples(result); }
    std::string text(int row, int column) const {
        return std::string(PQgetvalue(result, row, column), PQgetlength(result, row, column));
    }
    int64_t number(int row, int column) const { return std::stoll(text(row, column)); }
    // A unique index refused the row (another process kept it first).
    bool duplicate() const {
        const char* state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
        return state && std::string(state) == "23505";
    }
};

// Runs `sql` with its values bound: texts, or raw bytes where `binary` says.
Result run(PGconn* db, const char* sql, const std::vector<std::string>& values = {},
           const std::vector<bool>& binary = {}, bool binaryResult = false) {
    std::vector<const char*> pointers;
    std::vector<int> lengths, formats;
    for (size_t i = 0; i < values.size(); ++i) {
        pointers.push_back(values[i].data());
        lengths.push_back(static_cast<int>(values[i].size()));
        formats.push_back(i < binary.size() && binary[i] ? 1 : 0);
    }
    return Result(PQexecParams(db, sql, static_cast<int>(values.size()), nullptr, pointers.data(), lengths.data(),
                               formats.data(), binaryResult ? 1 : 0));
}

bool check(PGconn* db, const Result& result, std::string* trouble) {
    if (result.ok()) return true;
    *trouble = firstLine(PQerrorMessage(db));
    return false;
}

PGconn* connect(const std::string& url, std::string* trouble) {
    PGconn* db = PQconnectdb(url.c_str());
    if (PQstatus(db) == CONNECTION_OK) {
        Result quiet = run(db, "SET client_min_messages = warning");
        return db;
    }
    *trouble = firstLine(PQerrorMessage(db));
    PQfinish(db);
    return nullptr;
}

// A connection of the pool for one call, waiting for one when all are in
// use; one found broken (the server restarted) is reset before use.
struct Connection {
    PostgresStore* store;
    PGconn* db = nullptr;
    Connection(PostgresStore* owner, std::string* trouble) : store(owner) {
        {
            std::unique_lock<std::mutex> lock(store->mutex);
            store->freed.wait(lock, [&] { return !store->idle.empty() || store->open < kMostConnections; });
            if (!store->idle.empty()) {
                db = store->idle.back();
                store->idle.pop_back();
            } else {
                ++store->open;
            }
        }
        if (db && PQstatus(db) != CONNECTION_OK) PQreset(db);
        if (db && PQstatus(db) != CONNECTION_OK) {
            PQfinish(db);
            db = nullptr;
        }
        if (!db) db = connect(store->url, trouble);
        if (!db) release(nullptr);
    }
    ~Connection() {
        // One left mid-transaction is not for the next caller.
        if (db && PQtransactionStatus(db) != PQTRANS_IDLE) {
            PQfinish(db);
            db = nullptr;
        }
        if (db) release(db);
        else if (store) release(nullptr);
    }
    // Gives the connection back, or its place when there is none.
    void release(PGconn* kept) {
        {
            std::lock_guard<std::mutex> lock(store->mutex);
            if (kept) store->idle.push_back(kept);
            else --store->open;
        }
        store->freed.notify_one();
        if (!kept) store = nullptr;
    }
};

int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

AddOutcome rollBack(PGconn* db, AddOutcome outcome) {
    Result ended = run(db, "ROLLBACK");
    return outcome;
}

// The round kept with this ticket, if any: Again or TicketUsed, else Added
// (none kept).
AddOutcome keptWithTicket(PGconn* db, const NewRound& round, std::string* existingId, std::string* trouble) {
    Result kept = run(db, "SELECT id, digest FROM rounds WHERE ticket = $1", {round.ticket});
    if (!check(db, kept, trouble)) return AddOutcome::Failed;
    if (kept.rows() == 0) return AddOutcome::Added;
    if (kept.text(0, 1) != round.digest) return AddOutcome::TicketUsed;
    *existingId = kept.text(0, 0);
    return AddOutcome::Again;
}

AddOutcome addRound(void* handle, const NewRound& round, std::string* existingId, std::string* trouble) {
    Connection connection(static_cast<PostgresStore*>(handle), trouble);
    PGconn* db = connection.db;
    if (!db) return AddOutcome::Failed;
    if (!check(db, run(db, "BEGIN"), trouble)) return AddOutcome::Failed;
    AddOutcome before = keptWithTicket(db, round, existingId, trouble);
    if (before != AddOutcome::Added) return rollBack(db, before);
    // Another process claiming the same name at once waits here for the
    // first to commit, then finds its row (READ COMMITTED).
    Result claim = run(db, "INSERT INTO names (name, secret_hash, claimed) VALUES ($1, $2, $3) ON CONFLICT DO NOTHING",
                       {round.name, round.secretHash, std::to_string(nowMs())});
    if (!check(db, claim, trouble)) return rollBack(db, AddOutcome::Failed);
    Result owner = run(db, "SELECT secret_hash FROM names WHERE name = $1", {round.name});
    if (!check(db, owner, trouble)) return rollBack(db, AddOutcome::Failed);
    if (owner.rows() != 1 || owner.text(0, 0) != round.secretHash) {
        // The same round sent to another process at once, which claimed the
        // name with a secret of its own and has committed by now: a resend.
        const AddOutcome meanwhile = keptWithTicket(db, round, existingId, trouble);
        return rollBack(db, meanwhile == AddOutcome::Added ? AddOutcome::NameTaken : meanwhile);
    }
    // The same ticket sent to two processes at once: the unique index lets
    // one in, and the other answers as a resend or a used ticket.
    Result insert = run(db,
                        "INSERT INTO rounds (id, ticket, digest, day, name, bubbles, frames, recorded_ms, real_ms,"
                        " received, game_version, recording) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12)"
                        " ON CONFLICT (ticket) DO NOTHING RETURNING id",
                        {round.id, round.ticket, round.digest, std::to_string(round.day), round.name,
                         std::to_string(round.bubbles), std::to_string(round.frames), std::to_string(round.recordedMs),
                         std::to_string(round.realMs), std::to_string(round.receivedMs), round.gameVersion,
                         round.recording},
                        {false, false, false, false, false, false, false, false, false, false, false, true});
    if (!check(db, insert, trouble)) return rollBack(db, AddOutcome::Failed);
    if (insert.rows() == 0) {
        AddOutcome after = keptWithTicket(db, round, existingId, trouble);
        return rollBack(db, after == AddOutcome::Added ? AddOutcome::Failed : after);
    }
    // Two processes offering the same name's rounds at once: the second
    // waits for the first's row and weighs its offer against it.
    const std::string offer = keepDayBest(SqlDialect::Postgres);
    if (!check(db,
               run(db, offer.c_str(),
                   {std::to_string(round.day), round.name, round.id, std::to_string(round.bubbles),
                    std::to_string(round.receivedMs)}),
               trouble))
        return rollBack(db, AddOutcome::Failed);
    return check(db, run(db, "COMMIT"), trouble) ? AddOutcome::Added : AddOutcome::Failed;
}

bool dayRounds(void* handle, int32_t day, int32_t limit, std::vector<ListedRound>* rounds, std::string* trouble) {
    Connection connection(static_cast<PostgresStore*>(handle), trouble);
    if (!connection.db) return false;
    Result best = run(connection.db, kDayBoardQuery[1], {std::to_string(day), std::to_string(limit)});
    if (!check(connection.db, best, trouble)) return false;
    rounds->clear();
    for (int row = 0; row < best.rows(); ++row)
        rounds->push_back({best.text(row, 0), best.text(row, 1), static_cast<int32_t>(best.number(row, 2)),
                           best.number(row, 3)});
    return true;
}

bool findRound(void* handle, const std::string& id, StoredRound* round, std::string* trouble) {
    trouble->clear();
    Connection connection(static_cast<PostgresStore*>(handle), trouble);
    if (!connection.db) return false;
    // Raw bytes back (binary results): the numbers then come as big-endian
    // integers, so they are sent as text first.
    Result find = run(connection.db,
                      "SELECT id, name, bubbles::text, received::text, day::text, recording FROM rounds WHERE id = $1",
                      {id}, {}, true);
    if (!check(connection.db, find, trouble) || find.rows() == 0) return false;
    round->listed = {find.text(0, 0), find.text(0, 1), static_cast<int32_t>(find.number(0, 2)), find.number(0, 3)};
    round->day = static_cast<int32_t>(find.number(0, 4));
    round->recording = find.text(0, 5);
    return true;
}

bool sharedValue(void* handle, const std::string& key, const std::string& proposed, std::string* value,
                 std::string* trouble) {
    Connection connection(static_cast<PostgresStore*>(handle), trouble);
    if (!connection.db) return false;
    Result keep = run(connection.db, "INSERT INTO board_settings (key, value) VALUES ($1, $2) ON CONFLICT DO NOTHING",
                      {key, proposed});
    if (!check(connection.db, keep, trouble)) return false;
    Result read = run(connection.db, "SELECT value FROM board_settings WHERE key = $1", {key});
    if (!check(connection.db, read, trouble) || read.rows() != 1) return false;
    *value = read.text(0, 0);
    return true;
}

void closeStore(void* handle) {
    auto* store = static_cast<PostgresStore*>(handle);
    for (PGconn* db : store->idle) PQfinish(db);
    delete store;
}

bool migrate(PGconn* db, std::string* trouble) {
    if (!check(db, run(db, "BEGIN"), trouble)) return false;
    auto fail = [&] {
        Result ended = run(db, "ROLLBACK");
        return false;
    };
    // Two processes starting on a new database at once: one makes the
    // tables, the other then finds them made.
    if (!check(db, run(db, kMigrationLock), trouble) || !check(db, run(db, kMigrationsTable), trouble)) return fail();
    Result current = run(db, "SELECT COALESCE(MAX(version), 0) FROM schema_migrations");
    if (!check(db, current, trouble)) return fail();
    const int64_t version = current.number(0, 0);
    const std::vector<Migration> migrations = boardMigrations(SqlDialect::Postgres);
    if (version > migrations.back().version) {
        *trouble = "the database is of a newer board (schema version " + std::to_string(version) + ")";
        return fail();
    }
    for (const Migration& migration : migrations) {
        if (migration.version <= version) continue;
        for (const std::string& statement : migration.statements)
            if (!check(db, run(db, statement.c_str()), trouble)) return fail();
        if (!check(db,
                   run(db, "INSERT INTO schema_migrations (version, applied) VALUES ($1, $2)",
                       {std::to_string(migration.version), std::to_string(nowMs())}),
                   trouble))
            return fail();
    }
    return check(db, run(db, "COMMIT"), trouble);
}

}  // namespace

bool openPostgresStore(const std::string& url, BoardStore* store, std::string* trouble) {
    auto owned = std::make_unique<PostgresStore>();
    owned->url = url;
    PGconn* db = connect(url, trouble);
    if (!db) return false;
    if (!migrate(db, trouble)) {
        PQfinish(db);
        return false;
    }
    owned->idle.push_back(db);
    owned->open = 1;
    store->db = owned.release();
    store->kind = "postgresql";
    store->addRound = addRound;
    store->dayRounds = dayRounds;
    store->round = findRound;
    store->sharedValue = sharedValue;
    store->close = closeStore;
    return true;
}
