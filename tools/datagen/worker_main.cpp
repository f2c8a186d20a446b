// The data generator in the browser: run in a Web Worker by the page on a
// first visit (shell/web/game_data.js). It makes the game's files in its own
// memory file system and hands them to the page with worker.js, telling the
// page how far it is on the way.

#include <emscripten.h>

#include <sys/stat.h>

#include "game_data.h"

int main() {
    mkdir("/data", 0755);
    const bool ok = writeGameData("/data", [](float done) {
        EM_ASM({ postMessage({progress : $0}); }, done);
    });
    if (ok)
        EM_ASM({ handOverGameData('/data'); });
    else
        EM_ASM({ postMessage({error : 'the data could not be written'}); });
    return ok ? 0 : 1;
}
