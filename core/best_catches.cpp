#include "core/best_catches.h"

#include <cstdio>

#include "core/game.h"

namespace {
constexpr const char* kFirstLine = "korvada best catches";

bool isDate(const std::string& date) {
    int year = 0, month = 0, day = 0;
    char end = 0;
    if (date.size() != 10 || date[4] != '-' || date[7] != '-') return false;
    for (int i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (date[i] < '0' || date[i] > '9') return false;
    return std::sscanf(date.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &end) == 3 && month >= 1 &&
           month <= 12 && day >= 1 && day <= 31;
}

// A count as the table writes it: digits only, no sign, no leading zero.
bool readCount(const std::string& word, int low, int high, int* value) {
    if (word.empty() || word.size() > 3 || (word.size() > 1 && word[0] == '0')) return false;
    int number = 0;
    for (char c : word) {
        if (c < '0' || c > '9') return false;
        number = number * 10 + (c - '0');
    }
    *value = number;
    return number >= low && number <= high;
}
}  // namespace

std::string bestCatchesText(const BestCatches& table) {
    std::string text = std::string(kFirstLine) + '\n';
    for (int bottles = 1; bottles <= kMaxBottles; ++bottles) {
        const BestCatch& best = table[bottles];
        if (best.kept) text += std::to_string(bottles) + ' ' + std::to_string(best.bubbles) + ' ' + best.date + '\n';
    }
    return text;
}

bool readBestCatches(const std::string& text, BestCatches* table) {
    *table = BestCatches();
    if (text.empty() || text.back() != '\n') return false;
    // Split by hand: a string stream would bring the C++ streams' locales
    // into the browser's download.
    BestCatches read;
    std::string::size_type start = text.find('\n') + 1;
    if (text.compare(0, start - 1, kFirstLine) != 0) return false;
    int last = 0;
    while (start < text.size()) {
        const std::string::size_type end = text.find('\n', start);
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        const std::string::size_type first = line.find(' '), second = line.find(' ', first + 1);
        if (first == std::string::npos || second == std::string::npos) return false;
        int bottles = 0, bubbles = 0;
        const std::string date = line.substr(second + 1);
        if (!readCount(line.substr(0, first), last + 1, kMaxBottles, &bottles) ||
            !readCount(line.substr(first + 1, second - first - 1), 0, kRoundBubbles, &bubbles) || !isDate(date))
            return false;
        read[bottles] = {true, bubbles, date};
        last = bottles;
    }
    *table = read;
    return true;
}

bool keepBestCatch(BestCatches* table, int bottles, int bubbles, const std::string& date) {
    if (bottles < 1 || bottles > kMaxBottles || bubbles < 0 || bubbles > kRoundBubbles || !isDate(date)) return false;
    BestCatch& best = (*table)[bottles];
    if (best.kept && bubbles <= best.bubbles) return false;
    best = {true, bubbles, date};
    return true;
}

std::string dateOf(std::time_t moment) {
    const std::tm* local = std::localtime(&moment);
    char date[16] = "";
    if (local == nullptr || std::strftime(date, sizeof date, "%Y-%m-%d", local) != 10) return "";
    return date;
}

StoredCatches readBestCatchesFile(const std::filesystem::path& file) {
    StoredCatches stored;
    std::string text;
    switch (readSmallFile(file, kLongestBestCatches, &text)) {
    case SmallFile::Missing:
        break;
    case SmallFile::Unreadable:
        stored.trouble = "cannot read " + file.u8string() + ": it is replaced at the next record";
        break;
    case SmallFile::TooLarge:
    case SmallFile::Read:
        if (!readBestCatches(text, &stored.table))
            stored.trouble = file.u8string() + " holds no table of best catches: it is replaced at the next record";
        break;
    }
    return stored;
}

std::string keepRoundsCatch(const Game& game, CatchStore* store) {
    if (!game.gameOver || store->offered) return "";
    store->offered = true;
    if (store->file.empty()) return "";
    StoredCatches stored = readBestCatchesFile(store->file);
    std::string said = stored.trouble;
    if (!keepBestCatch(&stored.table, bottlesToLay(game.settings), game.bottles[0].score, dateOf(std::time(nullptr))))
        return said;
    std::string error;
    if (!replaceFile(store->file, bestCatchesText(stored.table), store->flush, &error))
        said = "the best catch is not kept: " + error;
    return said;
}
