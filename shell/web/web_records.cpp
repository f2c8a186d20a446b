// The best catches in the browser: the same table as on the desktop
// (core/best_catches.h), kept in the page's storage under "korvada.best"
// instead of a file; the page's form shows the best for its number of
// bottles, and after a round whether it set a new one.

#include <emscripten.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "core/best_catches.h"
#include "core/game.h"
#include "setup/setup_texts.h"
#include "shell/web/web_shell.h"

namespace {
// The stored text, or null when there is none (or no storage at all).
EM_JS(char*, loadStoredCatches, (), {
    try {
        var text = localStorage.getItem('korvada.best');
        return text === null ? 0 : allocateUTF8(text);
    } catch (e) {
        return 0;
    }
});

// One step, as a file's rename is: the old text stays until the new one is whole.
EM_JS(int, storeCatches, (const char* text), {
    try {
        localStorage.setItem('korvada.best', UTF8ToString(text));
        return 1;
    } catch (e) {
        return 0;
    }
});

// A text that is no table is said in the console and replaced at the next record.
BestCatches storedCatches() {
    BestCatches table;
    char* text = loadStoredCatches();
    if (text == nullptr) return table;
    if (!readBestCatches(text, &table))
        std::fprintf(stderr, "korvada: the page's storage holds no table of best catches under korvada.best: it is "
                             "replaced at the next record\n");
    std::free(text);
    return table;
}

const BestCatch& bestFor(const BestCatches& table, int bottles) {
    return table[bottles >= 1 && bottles <= kMaxBottles ? bottles : 0];
}
}  // namespace

void keepWebCatch(const Game& game, bool* offered) {
    if (!game.gameOver || *offered) return;
    *offered = true;
    BestCatches table = storedCatches();
    if (keepBestCatch(&table, bottlesToLay(game.settings), game.bottles[0].score, dateOf(std::time(nullptr))) &&
        !storeCatches(bestCatchesText(table).c_str()))
        std::fprintf(stderr, "korvada: the best catch is not kept: the page's storage refused it\n");
}

// The best for a number of bottles: its bubbles, or -1 when none is kept.
extern "C" EMSCRIPTEN_KEEPALIVE int korvadaBest(int bottles) {
    const BestCatch& best = bestFor(storedCatches(), bottles);
    return best.kept ? best.bubbles : -1;
}

// The form's line beside the bottles, in the language of the browser's tag.
extern "C" EMSCRIPTEN_KEEPALIVE const char* korvadaBestLine(const char* languageTag, int bottles) {
    static std::string line;
    line = bestCatchLine(setupTexts(languageOf(languageTag)), bestFor(storedCatches(), bottles));
    return line.c_str();
}

// After a round with `bottles` whose best before it was `before` (-1: none):
// the line naming its new best, or "".
extern "C" EMSCRIPTEN_KEEPALIVE const char* korvadaNewBestLine(const char* languageTag, int bottles, int before) {
    static std::string line;
    const BestCatch earlier = before >= 0 ? BestCatch{true, before, ""} : BestCatch();
    line = newBestLine(setupTexts(languageOf(languageTag)), earlier, bestFor(storedCatches(), bottles));
    return line.c_str();
}
