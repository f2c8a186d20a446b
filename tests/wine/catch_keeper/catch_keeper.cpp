// catch_keeper.exe FIRST LAST GO: waits until the file GO is there, then
// keeps a catch of 1 bubble for each number of bottles from FIRST to LAST in
// the game's table of best catches (%APPDATA%\Korvada\best-catches.txt), as
// games with those bottles ending one after another would: through the
// game's own keeper, lock and disk steps. Says on stderr what the keeper
// said; exit 0 when it said nothing.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/best_catches.h"
#include "win32/win32_places.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: catch_keeper FIRST LAST GO\n");
        return 2;
    }
    const int first = std::atoi(argv[1]), last = std::atoi(argv[2]);
    while (GetFileAttributesA(argv[3]) == INVALID_FILE_ATTRIBUTES) Sleep(1);
    FileChange file{bestCatchesFile(), diskSteps()};
    const CatchStore store = catchStoreIn(&file);
    int said = 0;
    for (int bottles = first; bottles <= last; ++bottles) {
        const std::string line = keepCatch(store, bottles, 1, "2026-12-13");
        if (!line.empty()) std::fprintf(stderr, "catch_keeper: %s\n", line.c_str());
        said += line.empty() ? 0 : 1;
    }
    return said == 0 ? 0 : 1;
}
