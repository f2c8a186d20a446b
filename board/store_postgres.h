#pragma once
// The board's rounds in PostgreSQL, through libpq with every value bound
// (PQexecParams): for boards that outgrow one machine, several processes
// sharing one database and holding no state of their own.

#include <string>

#include "board/board_store.h"

// Connects with `url` (postgresql://... or "host=... dbname=..."), brings
// the tables to the newest migration (one process at a time: an advisory
// lock) and keeps the connection for the pool; false with the reason.
bool openPostgresStore(const std::string& url, BoardStore* store, std::string* trouble);
