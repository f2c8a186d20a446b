#include "board/store_sqlite.h"

#include <sqlite3.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <vector>

#include "board/board_schema.h"

namespace {

// Readers run beside each other and beside the one writer (WAL); each
// thread takes a connection of its own from here and gives it back.
struct SqliteStore {
    std::string file;
    std::mutex mutex;
    std::vector<sqlite3*> idle;
};

std::string lastError(sqlite3* db) { return std::string("SQLite: ") + sqlite3_errmsg(db); }

bool exec(sqlite3* db, const char* sql, std::string* trouble) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
    *trouble = std::string("SQLite: ") + (message ? message : "failed");
    sqlite3_free(message);
    return false;
}

sqlite3* openConnection(const std::string& file, std::string* trouble) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        *trouble = db ? lastError(db) : "SQLite: out of memory";
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, 10000);
    // FULL: a commit is on the disk before the round is acknowledged, so
    // neither a killed board nor a lost power supply loses one.
    if (!exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; PRAGMA foreign_keys=ON", trouble)) {
        sqlite3_close(db);
        return nullptr;
    }
    return db;
}

// A statement with its values bound, finalized when it goes.
struct Statement {
    sqlite3_stmt* stmt = nullptr;
    Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr); }
    ~Statement() { sqlite3_finalize(stmt); }
    Statement& text(int index, const std::string& value) {
        sqlite3_bind_text(stmt, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& blob(int index, const std::string& value) {
        sqlite3_bind_blob(stmt, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& number(int index, int64_t value) {
        sqlite3_bind_int64(stmt, index, value);
        return *this;
    }
    int step() { return stmt ? sqlite3_step(stmt) : SQLITE_ERROR; }
    std::string column(int index) {
        const void* data = sqlite3_column_blob(stmt, index);
        return data ? std::string(static_cast<const char*>(data), sqlite3_column_bytes(stmt, index)) : std::string();
    }
    int64_t columnNumber(int index) { return sqlite3_column_int64(stmt, index); }
};

// A connection of the pool for the length of one call.
struct Connection {
    SqliteStore* store;
    sqlite3* db;
    Connection(SqliteStore* owner, std::string* trouble) : store(owner), db(nullptr) {
        {
            std::lock_guard<std::mutex> lock(store->mutex);
            if (!store->idle.empty()) {
                db = store->idle.back();
                store->idle.pop_back();
                return;
            }
        }
        db = openConnection(store->file, trouble);
    }
    ~Connection() {
        if (!db) return;
        std::lock_guard<std::mutex> lock(store->mutex);
        store->idle.push_back(db);
    }
};

int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// Ends the transaction `db` is in: committed when `keep`, else rolled back.
bool finish(sqlite3* db, bool keep, std::string* trouble) {
    if (keep && exec(db, "COMMIT", trouble)) return true;
    std::string ignored;
    exec(db, "ROLLBACK", &ignored);
    return false;
}

AddOutcome addRound(void* handle, const NewRound& round, std::string* existingId, std::string* trouble) {
    Connection connection(static_cast<SqliteStore*>(handle), trouble);
    sqlite3* db = connection.db;
    if (!db) return AddOutcome::Failed;
    // IMMEDIATE: the write lock from the start, so no other writer slips in
    // between the checks and the insert.
    if (!exec(db, "BEGIN IMMEDIATE", trouble)) return AddOutcome::Failed;
    {
        Statement kept(db, "SELECT id, digest FROM rounds WHERE ticket = ?1");
        kept.text(1, round.ticket);
        const int stepped = kept.step();
        if (stepped == SQLITE_ROW) {
            const bool same = kept.column(1) == round.digest;
            if (same) *existingId = kept.column(0);
            finish(db, false, trouble);
            return same ? AddOutcome::Again : AddOutcome::TicketUsed;
        }
        if (stepped != SQLITE_DONE) {
            *trouble = lastError(db);
            finish(db, false, trouble);
            return AddOutcome::Failed;
        }
    }
    {
        Statement claim(db, "INSERT INTO names (name, secret_hash, claimed) VALUES (?1, ?2, ?3) ON CONFLICT DO NOTHING");
        claim.text(1, round.name).text(2, round.secretHash).number(3, nowMs());
        if (claim.step() != SQLITE_DONE) {
            *trouble = lastError(db);
            finish(db, false, trouble);
            return AddOutcome::Failed;
        }
        Statement owner(db, "SELECT secret_hash FROM names WHERE name = ?1");
        owner.text(1, round.name);
        if (owner.step() != SQLITE_ROW || owner.column(0) != round.secretHash) {
            finish(db, false, trouble);
            return AddOutcome::NameTaken;
        }
    }
    Statement insert(db,
                     "INSERT INTO rounds (id, ticket, digest, day, name, bubbles, frames, recorded_ms, real_ms,"
                     " received, game_version, recording) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12)");
    insert.text(1, round.id).text(2, round.ticket).text(3, round.digest).number(4, round.day).text(5, round.name);
    insert.number(6, round.bubbles).number(7, round.frames).number(8, round.recordedMs).number(9, round.realMs);
    insert.number(10, round.receivedMs).text(11, round.gameVersion).blob(12, round.recording);
    if (insert.step() != SQLITE_DONE) {
        *trouble = lastError(db);
        finish(db, false, trouble);
        return AddOutcome::Failed;
    }
    const std::string offer = keepDayBest(SqlDialect::Sqlite);
    Statement best(db, offer.c_str());
    best.number(1, round.day).text(2, round.name).text(3, round.id).number(4, round.bubbles).number(5, round.receivedMs);
    if (best.step() != SQLITE_DONE) {
        *trouble = lastError(db);
        finish(db, false, trouble);
        return AddOutcome::Failed;
    }
    return finish(db, true, trouble) ? AddOutcome::Added : AddOutcome::Failed;
}

bool dayRounds(void* handle, int32_t day, int32_t limit, std::vector<ListedRound>* rounds, std::string* trouble) {
    Connection connection(static_cast<SqliteStore*>(handle), trouble);
    if (!connection.db) return false;
    Statement best(connection.db, kDayBoardQuery[0]);
    best.number(1, day).number(2, limit);
    rounds->clear();
    int stepped;
    while ((stepped = best.step()) == SQLITE_ROW)
        rounds->push_back({best.column(0), best.column(1), static_cast<int32_t>(best.columnNumber(2)),
                           best.columnNumber(3)});
    if (stepped == SQLITE_DONE) return true;
    *trouble = lastError(connection.db);
    return false;
}

bool findRound(void* handle, const std::string& id, StoredRound* round, std::string* trouble) {
    trouble->clear();
    Connection connection(static_cast<SqliteStore*>(handle), trouble);
    if (!connection.db) return false;
    Statement find(connection.db, "SELECT id, name, bubbles, received, day, recording FROM rounds WHERE id = ?1");
    find.text(1, id);
    const int stepped = find.step();
    if (stepped == SQLITE_ROW) {
        round->listed = {find.column(0), find.column(1), static_cast<int32_t>(find.columnNumber(2)),
                         find.columnNumber(3)};
        round->day = static_cast<int32_t>(find.columnNumber(4));
        round->recording = find.column(5);
        return true;
    }
    if (stepped != SQLITE_DONE) *trouble = lastError(connection.db);
    return false;
}

bool sharedValue(void* handle, const std::string& key, const std::string& proposed, std::string* value,
                 std::string* trouble) {
    Connection connection(static_cast<SqliteStore*>(handle), trouble);
    if (!connection.db) return false;
    Statement keep(connection.db, "INSERT INTO board_settings (key, value) VALUES (?1, ?2) ON CONFLICT DO NOTHING");
    keep.text(1, key).text(2, proposed);
    Statement read(connection.db, "SELECT value FROM board_settings WHERE key = ?1");
    read.text(1, key);
    if (keep.step() != SQLITE_DONE || read.step() != SQLITE_ROW) {
        *trouble = lastError(connection.db);
        return false;
    }
    *value = read.column(0);
    return true;
}

void closeStore(void* handle) {
    auto* store = static_cast<SqliteStore*>(handle);
    for (sqlite3* db : store->idle) sqlite3_close(db);
    delete store;
}

bool migrate(sqlite3* db, std::string* trouble) {
    if (!exec(db, kMigrationsTable, trouble) || !exec(db, "BEGIN IMMEDIATE", trouble)) return false;
    int64_t version = 0;
    {
        Statement current(db, "SELECT COALESCE(MAX(version), 0) FROM schema_migrations");
        if (current.step() != SQLITE_ROW) {
            *trouble = lastError(db);
            return finish(db, false, trouble);
        }
        version = current.columnNumber(0);
    }
    const std::vector<Migration> migrations = boardMigrations(SqlDialect::Sqlite);
    if (version > migrations.back().version) {
        *trouble = "the database is of a newer board (schema version " + std::to_string(version) + ")";
        return finish(db, false, trouble);
    }
    for (const Migration& migration : migrations) {
        if (migration.version <= version) continue;
        for (const std::string& statement : migration.statements)
            if (!exec(db, statement.c_str(), trouble)) return finish(db, false, trouble);
        Statement note(db, "INSERT INTO schema_migrations (version, applied) VALUES (?1, ?2)");
        note.number(1, migration.version).number(2, nowMs());
        if (note.step() != SQLITE_DONE) {
            *trouble = lastError(db);
            return finish(db, false, trouble);
        }
    }
    return finish(db, true, trouble);
}

}  // namespace

bool openSqliteStore(const std::filesystem::path& file, BoardStore* store, std::string* trouble) {
    auto owned = std::make_unique<SqliteStore>();
    owned->file = file.string();
    sqlite3* db = openConnection(owned->file, trouble);
    if (!db) return false;
    if (!migrate(db, trouble)) {
        sqlite3_close(db);
        return false;
    }
    owned->idle.push_back(db);
    store->db = owned.release();
    store->kind = "sqlite";
    store->addRound = addRound;
    store->dayRounds = dayRounds;
    store->round = findRound;
    store->sharedValue = sharedValue;
    store->close = closeStore;
    return true;
}
