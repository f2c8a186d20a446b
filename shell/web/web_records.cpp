// The best catches in the browser: the same table as on the desktop
// (core/best_catches.h), kept in the page's storage under "korvada.best"
// instead of a file (a damaged one kept aside under "korvada.best.damaged"),
// and the best rounds' recordings beside it, "korvada.round.4" for 4
// bottles, in base64; the page's form shows the best for its number of
// bottles, offers its round to watch, and after a round says whether it set
// a new one.

#include <emscripten.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "core/daily_round.h"

#include "core/best_catches.h"
#include "core/recording.h"
#include "setup/best_round.h"
#include "setup/setup_texts.h"
#include "shell/web/web_shell.h"

namespace {
constexpr const char* kTableKey = "korvada.best";
constexpr const char* kAsideKey = "korvada.best.damaged";

// A stored text, or null when there is none (or no storage at all).
EM_JS(char*, loadStoredText, (const char* key), {
    try {
        var text = localStorage.getItem(UTF8ToString(key));
        return text === null ? 0 : allocateUTF8(text);
    } catch (e) {
        return 0;
    }
});

// One step, as a file's rename is: the old text stays until the new one is whole.
EM_JS(int, storeText, (const char* key, const char* text), {
    try {
        localStorage.setItem(UTF8ToString(key), UTF8ToString(text));
        return 1;
    } catch (e) {
        return 0;
    }
});

// Bytes as base64, the page's storage holding text; false when it refuses
// them (full) or has none.
EM_JS(int, storeBytes, (const char* key, const char* bytes, int size), {
    try {
        var text = "";
        for (var i = 0; i < size; i += 0x8000)
            text += String.fromCharCode.apply(null, HEAPU8.subarray(bytes + i, bytes + Math.min(size, i + 0x8000)));
        localStorage.setItem(UTF8ToString(key), btoa(text));
        return 1;
    } catch (e) {
        return 0;
    }
});

// Stored bytes in memory of the program's (std::free), their count in
// *size; null when none are stored. A text that is no base64 comes as it
// is: the recording's reader refuses it.
EM_JS(char*, loadStoredBytes, (const char* key, int* size), {
    var text;
    try {
        text = localStorage.getItem(UTF8ToString(key));
    } catch (e) {
        return 0;
    }
    if (text === null) return 0;
    try {
        text = atob(text);
    } catch (e) {
    }
    var bytes = _malloc(Math.max(1, text.length));
    for (var i = 0; i < text.length; i++) HEAPU8[bytes + i] = text.charCodeAt(i) & 0xFF;
    HEAP32[size >> 2] = text.length;
    return bytes;
});

EM_JS(void, removeStored, (const char* key), {
    try {
        localStorage.removeItem(UTF8ToString(key));
    } catch (e) {
    }
});

// A row's recording by its round's name (roundName): "korvada.round.4" is the
// first of 4 bottles, as the page kept its one best round before.
std::string roundKey(const std::string& round) { return "korvada.round." + round; }
std::string roundKey(int bottles, int round = 0) { return roundKey(roundName(bottles, round)); }

SmallFile readStored(const char* key, std::string* text) {
    char* stored = loadStoredText(key);
    if (stored == nullptr) return SmallFile::Missing;
    *text = stored;
    std::free(stored);
    if (text->size() <= kLongestBestCatches) return SmallFile::Read;
    text->resize(kLongestBestCatches);
    return SmallFile::TooLarge;
}

// The form only reads: what it cannot read is said once, by the round
// whose catch mends the table (offerRoundsCatch).
StoredCatches storedCatches() { return readStoredCatches(pageCatchStore()); }

const BestCatch& bestFor(const BestCatches& table, int bottles) {
    return table[bottles >= 1 && bottles <= kMaxBottles ? bottles : 0];
}
}  // namespace

CatchStore pageCatchStore() {
    CatchStore store;
    store.where = std::string("the page's storage (") + kTableKey + ")";
    store.read = [](void*, std::string* text) { return readStored(kTableKey, text); };
    // The page's script runs alone: nothing in this page changes the storage
    // between the read and the write. (Two tabs ending a round in the same
    // instant could still cross: a page has no lock to take.)
    store.begin = [](void*, std::string*) { return true; };
    store.keepAside = [](void*, std::string* said) {
        char* damaged = loadStoredText(kTableKey);
        const bool kept = damaged != nullptr && storeText(kAsideKey, damaged);
        std::free(damaged);
        *said = kept ? std::string(kAsideKey) : "the page's storage refused a copy";
        return kept;
    };
    store.write = [](void*, const std::string& text, std::string* error) {
        if (storeText(kTableKey, text.c_str())) return true;
        *error = "the page's storage refused it";
        return false;
    };
    store.end = [](void*) {};
    store.keepRound = [](void*, const std::string& round, const std::string& bytes, std::string* error) {
        const std::string key = roundKey(round);
        if (!bytes.empty() && storeBytes(key.c_str(), bytes.data(), static_cast<int>(bytes.size()))) return true;
        // No recording of this best: none of another round's either.
        removeStored(key.c_str());
        if (!bytes.empty()) *error = "the page's storage refused it";
        return bytes.empty();
    };
    return store;
}

bool storedBestRound(int bottles, RoundRecording* recording, std::string* trouble, int place) {
    const BestCatches table = storedCatches().table;
    const bool listed = bottles >= 1 && bottles <= kMaxBottles && place >= 0 &&
                        place < static_cast<int>(table.rows[bottles].size());
    // A best round kept without its row (the table lost) is still the count's first.
    const int round = listed ? table.rows[bottles][place].round : place == 0 ? 0 : -1;
    int size = 0;
    char* stored = round >= 0 ? loadStoredBytes(roundKey(bottles, round).c_str(), &size) : nullptr;
    if (stored == nullptr) {
        *trouble = "no round with " + std::to_string(bottles) + " bottles is kept";
        return false;
    }
    const std::string bytes(stored, static_cast<std::size_t>(size));
    std::free(stored);
    return readRecording(bytes, recording, trouble);
}

// The ten best for a number of bottles, the best first, as the form's list
// shows them in the language: [{"place":"1.","bubbles":"23 bubbles","day":
// "9 Dec 2026","name":"Jana","watch":1,"key":"korvada.round.4","file":"korvada-2026-12-09-23.kvr"}]
// ("key" empty when there is no recording to save). A name holds no quote (core/player_name.h).
extern "C" EMSCRIPTEN_KEEPALIVE const char* korvadaBestTen(const char* languageTag, int bottles) {
    static std::string json;
    json = "[";
    const SetupTexts& texts = setupTexts(languageOf(languageTag));
    const BestCatches table = storedCatches().table;
    const std::vector<BestCatch> none;
    const std::vector<BestCatch>& rows = bottles >= 1 && bottles <= kMaxBottles ? table.rows[bottles] : none;
    for (std::size_t place = 0; place < rows.size(); ++place) {
        const BestTenRow row = bestTenRow(texts, rows[place], static_cast<int>(place));
        RoundRecording recording;
        std::string trouble;
        const bool watchable = storedBestRound(bottles, &recording, &trouble, static_cast<int>(place));
        // Save round… offers the stored recording under its own name.
        const std::string save = watchable ? roundKey(bottles, rows[place].round) : "";
        json += std::string(place ? "," : "") + "{\"place\":\"" + row.place + "\",\"bubbles\":\"" + row.bubbles +
                "\",\"day\":\"" + row.day + "\",\"name\":\"" + row.name + "\",\"watch\":" + (watchable ? "1" : "0") +
                ",\"key\":\"" + save + "\",\"file\":\"" + savedRoundName(rows[place]) + "\"}";
    }
    json += "]";
    return json.c_str();
}

// The list's line when no round with this many bottles is kept.
extern "C" EMSCRIPTEN_KEEPALIVE const char* korvadaNoRounds(const char* languageTag) {
    return setupTexts(languageOf(languageTag)).noRounds;
}

// Whether a best round with this many bottles is kept to be watched.
extern "C" EMSCRIPTEN_KEEPALIVE int korvadaHasBestRound(int bottles) {
    char* stored = loadStoredText(roundKey(bottles, bestFor(storedCatches().table, bottles).round).c_str());
    std::free(stored);
    return stored != nullptr;
}

// The best for a number of bottles: its bubbles, or -1 when none is kept.
extern "C" EMSCRIPTEN_KEEPALIVE int korvadaBest(int bottles) {
    const BestCatch& best = bestFor(storedCatches().table, bottles);
    return best.kept ? best.bubbles : -1;
}

// The form's line beside the bottles, in the language of the browser's tag.
extern "C" EMSCRIPTEN_KEEPALIVE const char* korvadaBestLine(const char* languageTag, int bottles) {
    static std::string line;
    line = bestCatchLine(setupTexts(languageOf(languageTag)), bestFor(storedCatches().table, bottles));
    return line.c_str();
}

// After a round with `bottles` whose best before it was `before` (-1: none):
// the line naming its new best, or "".
extern "C" EMSCRIPTEN_KEEPALIVE const char* korvadaNewBestLine(const char* languageTag, int bottles, int before) {
    static std::string line;
    const BestCatch earlier = before >= 0 ? BestCatch{true, before, "", "", 0} : BestCatch();
    line = newBestLine(setupTexts(languageOf(languageTag)), earlier, bestFor(storedCatches().table, bottles));
    return line.c_str();
}

// Beside Today's round: the best of today's round on this UTC day, from the
// table's day row, in the language of the browser's tag.
extern "C" EMSCRIPTEN_KEEPALIVE const char* korvadaTodayLine(const char* languageTag) {
    static std::string line;
    line = todayLine(setupTexts(languageOf(languageTag)), dayBest(storedCatches().table, todayUtc(std::time(nullptr))));
    return line.c_str();
}
