#pragma once
// The board's tables, as numbered migrations that both backends apply in
// order, each in the transaction that records it in schema_migrations. A
// database is at the newest version once the board has started on it; a
// database of a newer board than this one is refused. A migration once
// released never changes: a change to the tables is a new one at the end.

#include <string>
#include <vector>

enum class SqlDialect { Sqlite, Postgres };

// The statements of migration `version` (1, 2, ...) in the dialect.
struct Migration {
    int version;
    std::vector<std::string> statements;
};
std::vector<Migration> boardMigrations(SqlDialect dialect);

// The table that records the migrations applied, in both dialects.
extern const char* const kMigrationsTable;

// The statements both backends share beyond the migrations: a kept round
// offered as its name's best of its day (day, name, id, bubbles,
// received), and a day's board (day, limit), by the dialect (Sqlite 0,
// Postgres 1).
std::string keepDayBest(SqlDialect dialect);
extern const char* const kDayBoardQuery[2];
