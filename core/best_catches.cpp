#include "core/best_catches.h"

#include "core/game.h"
#include "core/round_driver.h"

namespace {
constexpr const char* kFirstLine = "korvada best catches";
constexpr std::size_t kNamedSkips = 3;
constexpr std::size_t kShownLine = 40;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// The words of a line, split at runs of blanks.
std::vector<std::string> wordsOf(const std::string& line) {
    std::vector<std::string> words;
    for (std::size_t at = 0; at < line.size();) {
        while (at < line.size() && isBlank(line[at])) ++at;
        const std::size_t start = at;
        while (at < line.size() && !isBlank(line[at])) ++at;
        if (at > start) words.push_back(line.substr(start, at - start));
    }
    return words;
}

// A count of up to three digits, within [low, high].
bool readCount(const std::string& word, int low, int high, int* value) {
    if (word.empty() || word.size() > 3) return false;
    int number = 0;
    for (char c : word) {
        if (c < '0' || c > '9') return false;
        number = number * 10 + (c - '0');
    }
    *value = number;
    return number >= low && number <= high;
}

int digitsAt(const std::string& text, std::size_t at, std::size_t count) {
    int number = 0;
    for (std::size_t i = at; i < at + count; ++i) number = number * 10 + (text[i] - '0');
    return number;
}

int daysIn(int month, int year) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

// A line as a message shows it: printable ASCII, cut short.
std::string shown(const std::string& line) {
    std::string text;
    for (char c : line.substr(0, kShownLine)) text += c >= ' ' && c <= '~' ? c : '?';
    return line.size() > kShownLine ? text + "..." : text;
}

// A line by its number and its words, without the blanks around them.
std::string named(std::size_t number, const std::string& line) {
    std::size_t first = 0, last = line.size();
    while (first < last && isBlank(line[first])) ++first;
    while (last > first && isBlank(line[last - 1])) --last;
    return "line " + std::to_string(number) + " \"" + shown(line.substr(first, last - first)) + "\"";
}

// A table's text as a store gave it: a text cut at the limit loses its last,
// unfinished line, which could read as a row it never was.
ReadCatches readKept(SmallFile state, std::string text) {
    if (state != SmallFile::TooLarge) return readBestCatches(text);
    text.erase(text.rfind('\n') == std::string::npos ? 0 : text.rfind('\n') + 1);
    ReadCatches read = readBestCatches(text);
    read.skipped.push_back("what lies past its first " + std::to_string(kLongestBestCatches) + " bytes");
    return read;
}

std::string joined(const std::string& first, const std::string& second) {
    return first.empty() ? second : second.empty() ? first : first + "; " + second;
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

bool isDate(const std::string& date) {
    if (date.size() != 10 || date[4] != '-' || date[7] != '-') return false;
    for (int i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (date[i] < '0' || date[i] > '9') return false;
    const int year = digitsAt(date, 0, 4), month = digitsAt(date, 5, 2), day = digitsAt(date, 8, 2);
    return year >= 1 && month >= 1 && month <= 12 && day >= 1 && day <= daysIn(month, year);
}

ReadCatches readBestCatches(const std::string& text) {
    // Split by hand: a string stream would bring the C++ streams' locales
    // into the browser's download.
    ReadCatches read;
    std::size_t number = 0;
    bool headed = false, anything = false;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t newline = text.find('\n', start);
        const std::size_t end = newline == std::string::npos ? text.size() : newline;
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        const std::vector<std::string> words = wordsOf(line);
        if (words.empty()) continue;
        const bool first = !anything;
        anything = true;
        if (first && words.size() == 3 && words[0] + ' ' + words[1] + ' ' + words[2] == kFirstLine) {
            headed = true;
            continue;
        }
        int bottles = 0, bubbles = 0;
        if (words.size() != 3 || !readCount(words[0], 1, kMaxBottles, &bottles) ||
            !readCount(words[1], 0, kRoundBubbles, &bubbles) || !isDate(words[2])) {
            read.skipped.push_back(named(number, line));
            continue;
        }
        BestCatch& best = read.table[bottles];
        if (best.kept) {
            read.skipped.push_back(named(number, line) + " (a second row for " + std::to_string(bottles) +
                                   " bottles: the better one stays)");
            if (bubbles < best.bubbles || (bubbles == best.bubbles && words[2] >= best.date)) continue;
        }
        best = {true, bubbles, words[2]};
    }
    // A text with nothing in it loses nothing; one with rows but no first
    // line of ours may be another program's.
    if (anything && !headed) read.skipped.insert(read.skipped.begin(), "no first line \"" + std::string(kFirstLine) + "\"");
    return read;
}

std::string skippedLines(const std::vector<std::string>& skipped) {
    std::string phrase;
    for (std::size_t i = 0; i < skipped.size() && i < kNamedSkips; ++i) phrase += (i ? ", " : "") + skipped[i];
    if (skipped.size() > kNamedSkips) phrase += " and " + std::to_string(skipped.size() - kNamedSkips) + " more";
    return phrase;
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
    if (local == nullptr || std::strftime(date, sizeof date, "%Y-%m-%d", local) != 10 || !isDate(date)) return "";
    return date;
}

// --- Where a program keeps its table -----------------------------------------

CatchStore catchStoreIn(FileChange* file) {
    CatchStore store;
    store.place = file;
    store.where = file->file.u8string();
    store.read = [](void* place, std::string* text) {
        return readSmallFile(static_cast<FileChange*>(place)->file, kLongestBestCatches, text);
    };
    store.begin = [](void* place, std::string* error) { return beginChange(static_cast<FileChange*>(place), error); };
    store.keepAside = [](void* place, std::string* said) {
        const FileChange& change = *static_cast<FileChange*>(place);
        std::filesystem::path aside = change.file;
        aside += ".damaged";
        const bool kept = copyAside(change, aside, said);
        if (kept) *said = aside.u8string();
        return kept;
    };
    store.write = [](void* place, const std::string& text, std::string* error) {
        return writeChange(*static_cast<FileChange*>(place), text, error);
    };
    store.end = [](void* place) { endChange(static_cast<FileChange*>(place)); };
    store.keepRound = [](void* place, int bottles, const std::string& bytes, std::string* error) {
        const FileChange& table = *static_cast<FileChange*>(place);
        // The table's lock is held: the recording's own change takes none.
        FileChange round{bestRoundFile(table.file, bottles), table.disk};
        round.disk.lock = nullptr;
        if (!bytes.empty() && beginChange(&round, error) && writeChange(round, bytes, error)) return true;
        // No recording of this best: none of another round's either.
        std::error_code failure;
        std::filesystem::remove(round.file, failure);
        if (failure)
            *error = (bytes.empty() ? "" : *error + "; ") + "cannot remove " + round.file.u8string() + ": " +
                     failure.message();
        return bytes.empty() && !failure;
    };
    return store;
}

std::filesystem::path bestRoundFile(const std::filesystem::path& catchesFile, int bottles) {
    return catchesFile.parent_path() / ("best-round-" + std::to_string(bottles) + ".kvr");
}

StoredCatches readStoredCatches(const CatchStore& store) {
    StoredCatches stored;
    if (store.read == nullptr) return stored;
    std::string text;
    const SmallFile state = store.read(store.place, &text);
    if (state == SmallFile::Missing) return stored;
    if (state == SmallFile::Unreadable) {
        stored.trouble = "cannot read " + store.where;
        return stored;
    }
    const ReadCatches read = readKept(state, text);
    stored.table = read.table;
    if (!read.skipped.empty()) stored.trouble = store.where + ": passed over " + skippedLines(read.skipped);
    return stored;
}

std::string keepCatch(const CatchStore& store, int bottles, int bubbles, const std::string& date,
                      const std::string& round) {
    if (store.read == nullptr) return "";
    std::string error;
    if (!store.begin(store.place, &error)) return "the best catch is not kept: " + error;
    std::string text, said;
    const SmallFile state = store.read(store.place, &text);
    ReadCatches read;
    if (state == SmallFile::Unreadable) {
        said = "the best catch is not kept: cannot read " + store.where;
    } else {
        if (state != SmallFile::Missing) read = readKept(state, text);
        const bool damaged = !read.skipped.empty();
        if (damaged) said = store.where + ": passed over " + skippedLines(read.skipped);
        const bool better = keepBestCatch(&read.table, bottles, bubbles, date);
        std::string aside;
        if (damaged && !store.keepAside(store.place, &aside)) {
            said = joined(said, "left as it is (" + aside + ")" + (better ? ": the best catch is not kept" : ""));
        } else if (damaged || better) {
            if (damaged) said += "; kept as " + aside;
            if (!store.write(store.place, bestCatchesText(read.table), &error))
                said = joined(said, (better ? "the best catch is not kept: " : "") + error);
            else if (better && store.keepRound != nullptr && !store.keepRound(store.place, bottles, round, &error))
                said = joined(said, "the round's recording is not kept: " + error);
        }
    }
    store.end(store.place);
    return said;
}

std::string offerRoundsCatch(const Game& game, RoundDriver& driver, CatchKeeper* keeper, std::time_t now) {
    if (!game.gameOver || keeper->offered) return "";
    keeper->offered = true;
    if (roundWatched(driver)) return "";
    const std::string round =
        roundRecorded(driver, game) ? recordingBytes(driver.recorder.recording) : std::string();
    // The bottles the round laid out: today's round has its own, whatever the code said.
    return keepCatch(keeper->store, game.bottleCount, game.bottles[0].score, dateOf(now), round);
}
