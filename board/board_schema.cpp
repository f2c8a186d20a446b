#include "board/board_schema.h"

const char* const kMigrationsTable =
    "CREATE TABLE IF NOT EXISTS schema_migrations (version INTEGER PRIMARY KEY, applied BIGINT NOT NULL)";

// A round kept: its name's best of its day, if it is better than the one
// kept (more bubbles, then the earlier, then the smaller id). Bound values:
// day, name, id, bubbles, received, in the dialect's placeholders.
std::string keepDayBest(SqlDialect dialect) {
    const char* values = dialect == SqlDialect::Sqlite ? "(?1, ?2, ?3, ?4, ?5)" : "($1, $2, $3, $4, $5)";
    return std::string("INSERT INTO day_best (day, name, id, bubbles, received) VALUES ") + values +
           " ON CONFLICT (day, name) DO UPDATE SET id = excluded.id, bubbles = excluded.bubbles,"
           " received = excluded.received WHERE excluded.bubbles > day_best.bubbles OR"
           " (excluded.bubbles = day_best.bubbles AND (excluded.received < day_best.received OR"
           " (excluded.received = day_best.received AND excluded.id < day_best.id)))";
}

const char* const kDayBoardQuery[2] = {
    "SELECT id, name, bubbles, received FROM day_best WHERE day = ?1 ORDER BY bubbles DESC, received, id LIMIT ?2",
    "SELECT id, name, bubbles, received FROM day_best WHERE day = $1 ORDER BY bubbles DESC, received, id LIMIT $2",
};

std::vector<Migration> boardMigrations(SqlDialect dialect) {
    // The only difference between the dialects: the type of raw bytes.
    const std::string bytes = dialect == SqlDialect::Sqlite ? "BLOB" : "BYTEA";
    return {
        {1,
         {
             // What several processes share: the key tickets are signed with.
             "CREATE TABLE board_settings (key TEXT PRIMARY KEY, value TEXT NOT NULL)",
             // A name is whoever claimed it first; the board keeps only a
             // hash of the secret it gave back then.
             "CREATE TABLE names (name TEXT PRIMARY KEY, secret_hash TEXT NOT NULL, claimed BIGINT NOT NULL)",
             "CREATE TABLE rounds ("
             " id TEXT PRIMARY KEY,"
             " ticket TEXT NOT NULL UNIQUE,"
             " digest TEXT NOT NULL,"
             " day INTEGER NOT NULL,"
             " name TEXT NOT NULL REFERENCES names (name),"
             " bubbles INTEGER NOT NULL,"
             " frames INTEGER NOT NULL,"
             " recorded_ms BIGINT NOT NULL,"
             " real_ms BIGINT NOT NULL,"
             " received BIGINT NOT NULL,"
             " game_version TEXT NOT NULL,"
             " recording " + bytes + " NOT NULL)",
             "CREATE INDEX rounds_by_day ON rounds (day, name, bubbles DESC, received)",
         }},
        {2,
         {
             // Each name's best round of each day, kept as rounds come, so
             // that a day's board is read from an index, not ranked anew
             // from every round of the day (200 ms for 20 000 of them).
             "CREATE TABLE day_best ("
             " day INTEGER NOT NULL,"
             " name TEXT NOT NULL REFERENCES names (name),"
             " id TEXT NOT NULL REFERENCES rounds (id),"
             " bubbles INTEGER NOT NULL,"
             " received BIGINT NOT NULL,"
             " PRIMARY KEY (day, name))",
             "CREATE INDEX day_best_by_place ON day_best (day, bubbles DESC, received, id)",
             "INSERT INTO day_best (day, name, id, bubbles, received)"
             " SELECT day, name, id, bubbles, received FROM ("
             " SELECT day, name, id, bubbles, received, ROW_NUMBER() OVER"
             " (PARTITION BY day, name ORDER BY bubbles DESC, received, id) AS place FROM rounds) AS ranked"
             " WHERE place = 1",
             "DROP INDEX rounds_by_day",
         }},
    };
}
