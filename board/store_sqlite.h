#pragma once
// The board's rounds in one SQLite file (write-ahead log, every commit
// flushed to the disk before the board answers), the default backend.

#include <filesystem>
#include <string>

#include "board/board_store.h"

// Opens (or makes) the database file and brings its tables to the newest
// migration; false with the reason in *trouble.
bool openSqliteStore(const std::filesystem::path& file, BoardStore* store, std::string* trouble);
