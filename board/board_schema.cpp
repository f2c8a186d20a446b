#include "board/board_schema.h"

const char* const kMigrationsTable =
    "CREATE TABLE IF NOT EXISTS schema_migrations (version INTEGER PRIMARY KEY, applied BIGINT NOT NULL)";

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
    };
}
