// The table of best catches as the programs read it: from a real file
// through the store the desktop programs use (readStoredCatches), and into
// the table through keepCatch, the one piece every program keeps its
// round's catch with. The reader's own promise is the oracle: a table read,
// written and read again is the same table, read whole; and keeping a catch
// never loses a row that could be read.

#include <string>

#include "core/best_catches.h"
#include "fuzz/fuzz_input.h"

namespace {
// A table kept in memory, as the page keeps it in its storage.
struct Kept {
    bool there = false;
    std::string text;
    std::string aside;
};

CatchStore storeIn(Kept* kept) {
    CatchStore store;
    store.place = kept;
    store.where = "memory";
    store.read = [](void* place, std::string* text) {
        const Kept& k = *static_cast<Kept*>(place);
        if (!k.there) return SmallFile::Missing;
        *text = k.text.substr(0, kLongestBestCatches);
        return k.text.size() > kLongestBestCatches ? SmallFile::TooLarge : SmallFile::Read;
    };
    store.begin = [](void*, std::string*) { return true; };
    store.keepAside = [](void* place, std::string* said) {
        Kept& k = *static_cast<Kept*>(place);
        k.aside = k.text;
        *said = "aside";
        return true;
    };
    store.write = [](void* place, const std::string& text, std::string*) {
        static_cast<Kept*>(place)->text = text;
        return true;
    };
    store.end = [](void*) {};
    return store;
}

bool sameTables(const BestCatches& a, const BestCatches& b) { return bestCatchesText(a) == bestCatchesText(b); }

void checkRows(const BestCatches& table) {
    check(table.rows[0].empty());
    for (const auto& count : table.rows) {
        check(count.size() <= static_cast<std::size_t>(kKeptRounds));
        for (std::size_t i = 0; i < count.size(); ++i) {
            const BestCatch& row = count[i];
            check(row.kept && row.bubbles >= 0 && row.bubbles <= kRoundBubbles && isDate(row.date));
            check(row.round >= 0 && row.round < kKeptRounds);
            if (i > 0) check(count[i - 1].bubbles >= row.bubbles);
        }
    }
    for (const BestCatch& day : table.days) check(day.bubbles >= 0 && day.bubbles <= kRoundBubbles && isDate(day.date));
}

void checkShown(const std::string& message) {
    for (char c : message) check(c >= ' ' && c <= '~');
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);

    // Read, written, read again: the same table, and nothing passed over.
    const ReadCatches first = readBestCatches(input);
    checkRows(first.table);
    checkShown(skippedLines(first.skipped));
    const std::string written = bestCatchesText(first.table);
    const ReadCatches again = readBestCatches(written);
    check(again.skipped.empty());
    check(sameTables(first.table, again.table));
    check(bestCatchesText(again.table) == written);

    // The same bytes in a file, as the game and its dialog read them.
    FileChange file{inputFile(data, size), DiskSteps{}};
    const StoredCatches stored = readStoredCatches(catchStoreIn(&file));
    checkRows(stored.table);
    if (size <= kLongestBestCatches) {
        check(sameTables(stored.table, first.table));
        check(stored.trouble.empty() == first.skipped.empty());
    }

    // A catch kept into that table: every row there stays at least as good,
    // the catch is in when it beats its row, and a damaged text is kept aside.
    unsigned hash = 0;
    for (uint8_t byte : input) hash = hash * 31 + byte;
    const int bottles = 1 + static_cast<int>(hash % kMaxBottles), bubbles = static_cast<int>((hash / 64) % 31);
    Kept kept{size > 0, input, ""};
    keepCatch(storeIn(&kept), bottles, bubbles, "2026-12-13");
    const ReadCatches after = readBestCatches(kept.text);
    check(after.skipped.empty() || kept.text == input);
    for (int b = 1; b <= kMaxBottles; ++b) {
        const BestCatch& before = stored.table[b];
        if (before.kept) check(after.table[b].kept && after.table[b].bubbles >= before.bubbles);
    }
    const BestCatch& row = after.table[bottles];
    check(row.kept && row.bubbles >= bubbles);
    if (!stored.trouble.empty()) check(kept.aside == input);
    return 0;
}
