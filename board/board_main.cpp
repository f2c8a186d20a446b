// korvada-board: the game's board server (docs/board.md, man 8 korvada-board).
//   korvada-board [--address A] [--port N] [--state DIR] [--database URL] [--web DIR]
//                 [--rounds-per-minute N] [--behind-proxy] [--threads N]
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "board/board_server.h"
#include "korvada_version.h"

namespace {

const char kUsage[] =
    "Usage: korvada-board [OPTION]...\n"
    "Keeps the verified rounds of the day's Korvada round and serves the game's\n"
    "web page, the day's board and every round kept (docs/board.md).\n"
    "\n"
    "  --address ADDRESS       listen here (default 0.0.0.0, every IPv4 address;\n"
    "                          127.0.0.1 for this machine only, :: for IPv6 too)\n"
    "  --port N                the TCP port (default 8080; 0 picks a free one)\n"
    "  --state DIR             the folder of the SQLite database board.sqlite\n"
    "                          (default: the current folder)\n"
    "  --database URL          a PostgreSQL connection string instead of SQLite\n"
    "                          (postgresql://user@host/db or \"host=... dbname=...\")\n"
    "  --web DIR               the game's web files (default: the installed ones)\n"
    "  --no-web                serve no game, only the board\n"
    "  --rounds-per-minute N   tickets and rounds per address and minute, each\n"
    "                          (default 10; 0: no limit)\n"
    "  --behind-proxy          a proxy on this machine forwards the requests: the\n"
    "                          sender is the last address of X-Forwarded-For\n"
    "  --threads N             connections served at once (default 64)\n"
    "  --help, --version\n";

// The game's web files: installed beside the program, or the build tree's.
std::filesystem::path defaultWeb() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    for (const char* relative : {"../share/korvada-board/web", "../build-web"}) {
        const std::filesystem::path web = program.parent_path() / relative;
        if (std::filesystem::is_regular_file(web / "index.html", error)) return web.lexically_normal();
    }
    return {};
}

bool number(const char* text, int low, int high, int* value) {
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    if (!*text || *end || parsed < low || parsed > high) return false;
    *value = static_cast<int>(parsed);
    return true;
}

int usageError(const std::string& why) {
    std::fprintf(stderr, "korvada-board: %s\nTry 'korvada-board --help'.\n", why.c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    BoardConfig config;
    config.state = ".";
    bool web = true;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        auto needs = [&](bool valid) {
            if (!value || !valid) return false;
            ++i;
            return true;
        };
        if (option == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (option == "--version") {
            std::printf("korvada-board %s\n", KORVADA_VERSION_STRING);
            return 0;
        } else if (option == "--no-web") {
            web = false;
        } else if (option == "--behind-proxy") {
            config.behindProxy = true;
        } else if (option == "--address") {
            if (!needs(value && *value)) return usageError("--address needs an address");
            config.address = value;
        } else if (option == "--port") {
            if (!needs(value && number(value, 0, 65535, &config.port))) return usageError("--port needs 0 to 65535");
        } else if (option == "--state") {
            if (!needs(value && *value)) return usageError("--state needs a folder");
            config.state = value;
        } else if (option == "--database") {
            if (!needs(value && *value)) return usageError("--database needs a connection string");
            config.database = value;
        } else if (option == "--web") {
            if (!needs(value && *value)) return usageError("--web needs a folder");
            config.web = value;
        } else if (option == "--rounds-per-minute") {
            if (!needs(value && number(value, 0, 1000000, &config.roundsPerMinute)))
                return usageError("--rounds-per-minute needs a count");
        } else if (option == "--threads") {
            if (!needs(value && number(value, 1, 1024, &config.threads))) return usageError("--threads needs 1 to 1024");
        } else {
            return usageError("unknown option " + option);
        }
    }
    if (!web)
        config.web.clear();
    else if (config.web.empty())
        config.web = defaultWeb();
    return runBoard(config);
}
