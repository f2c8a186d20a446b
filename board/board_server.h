#pragma once
// The board's HTTP server (docs/board.md): the game's web files, the day's
// board as a page and as JSON, each round's recording and page, tickets
// and submissions. Runs until SIGTERM or SIGINT.

#include <cstdint>
#include <filesystem>
#include <string>

struct BoardConfig {
    std::string address = "0.0.0.0";
    int port = 8080;
    std::filesystem::path state;   // the SQLite file's folder
    std::string database;          // a PostgreSQL connection string instead
    std::filesystem::path web;     // the game's web files; empty: none served
    int32_t roundsPerMinute = 10;  // per address, for tickets and for rounds each; 0: no limit
    bool behindProxy = false;      // the address is X-Forwarded-For's last one, from a proxy on loopback
    int threads = 64;  // a kept-alive connection holds one while it is open
};

// Serves until asked to stop; the exit code: 0, or 1 when it could not
// start (the reason on stderr).
int runBoard(const BoardConfig& config);
