#include "core/best_catches.h"

#include <algorithm>

#include "core/daily_round.h"
#include "core/game.h"
#include "core/player_name.h"
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

// Best first; of two equal, the earlier day.
bool before(const BestCatch& a, const BestCatch& b) {
    return a.bubbles != b.bubbles ? a.bubbles > b.bubbles : a.date < b.date;
}

// The words from `first` on as a player's name: "" when there are none, false
// for one the rule refuses.
bool readName(const std::vector<std::string>& words, std::size_t first, std::string* name) {
    name->clear();
    for (std::size_t i = first; i < words.size(); ++i) *name += (i > first ? " " : "") + words[i];
    return name->empty() || checkPlayerName(*name, nullptr);
}

std::string withName(std::string line, const std::string& name) { return name.empty() ? line : line + ' ' + name; }

std::string joined(const std::string& first, const std::string& second) {
    return first.empty() ? second : second.empty() ? first : first + "; " + second;
}
}  // namespace

const BestCatch& BestCatches::operator[](int bottles) const {
    static const BestCatch none;
    return bottles >= 0 && bottles <= kMaxBottles && !rows[bottles].empty() ? rows[bottles].front() : none;
}

BestCatch dayBest(const BestCatches& table, uint32_t day) {
    const std::string date = dayText(day);
    for (const BestCatch& row : table.days)
        if (row.date == date) return row;
    return BestCatch();
}

std::string roundName(int bottles, int round) {
    return std::to_string(bottles) + (round > 0 ? "-" + std::to_string(round) : "");
}

std::string dayRoundName(const std::string& date) { return "day-" + date; }

std::string bestCatchesText(const BestCatches& table) {
    std::string text = std::string(kFirstLine) + '\n';
    for (int bottles = 1; bottles <= kMaxBottles; ++bottles)
        for (const BestCatch& row : table.rows[bottles]) {
            // The first round of a count without a name is written as the
            // table always wrote it: an older game reads it still.
            std::string line = std::to_string(bottles) + ' ' + std::to_string(row.bubbles) + ' ' + row.date;
            if (row.round > 0 || !row.name.empty()) line = withName(line + ' ' + std::to_string(row.round), row.name);
            text += line + '\n';
        }
    for (const BestCatch& day : table.days)
        text += withName("day " + day.date + ' ' + std::to_string(day.bubbles), day.name) + '\n';
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
    // Each count's rows with the lines they came from, cut to the ten best
    // once every line is read: the ten best do not depend on the lines' order.
    std::array<std::vector<std::pair<BestCatch, std::string>>, kMaxBottles + 1> rows;
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
        BestCatch row{true, 0, "", "", 0};
        uint32_t day = 0;
        if (words.size() >= 3 && words[0] == "day") {
            if (!isDate(words[1]) || !readDay(words[1], &day) || !readCount(words[2], 0, kRoundBubbles, &row.bubbles) ||
                !readName(words, 3, &row.name)) {
                read.skipped.push_back(named(number, line));
                continue;
            }
            row.date = words[1];
            auto same = std::find_if(read.table.days.begin(), read.table.days.end(),
                                     [&](const BestCatch& d) { return d.date == row.date; });
            if (same == read.table.days.end()) {
                read.table.days.insert(std::upper_bound(read.table.days.begin(), read.table.days.end(), row,
                                                        [](const BestCatch& a, const BestCatch& b) { return a.date < b.date; }),
                                       row);
                continue;
            }
            read.skipped.push_back(named(number, line) + " (a second row for " + row.date + ": the better one stays)");
            if (row.bubbles > same->bubbles) *same = row;
            continue;
        }
        int bottles = 0;
        if (words.size() < 3 || !readCount(words[0], 1, kMaxBottles, &bottles) ||
            !readCount(words[1], 0, kRoundBubbles, &row.bubbles) || !isDate(words[2]) ||
            (words.size() > 3 && (!readCount(words[3], 0, kKeptRounds - 1, &row.round) || !readName(words, 4, &row.name)))) {
            read.skipped.push_back(named(number, line));
            continue;
        }
        row.date = words[2];
        auto& count = rows[bottles];
        auto same = std::find_if(count.begin(), count.end(), [&](const auto& r) { return r.first.round == row.round; });
        if (same == count.end()) {
            count.push_back({row, named(number, line)});
            continue;
        }
        read.skipped.push_back(named(number, line) + " (a second row for " + std::to_string(bottles) + " bottles" +
                               (row.round > 0 ? " and round " + std::to_string(row.round) : "") +
                               ": the better one stays)");
        if (before(row, same->first)) same->first = row;
    }
    for (int bottles = 1; bottles <= kMaxBottles; ++bottles) {
        auto& count = rows[bottles];
        std::stable_sort(count.begin(), count.end(), [](const auto& a, const auto& b) { return before(a.first, b.first); });
        for (std::size_t i = 0; i < count.size(); ++i) {
            if (i < kKeptRounds)
                read.table.rows[bottles].push_back(count[i].first);
            else
                read.skipped.push_back(count[i].second + " (past the " + std::to_string(kKeptRounds) + " best for " +
                                       std::to_string(bottles) + " bottles)");
        }
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

int keepRow(BestCatches* table, int bottles, int bubbles, const std::string& date, const std::string& name,
            BestCatch* kept) {
    if (bottles < 1 || bottles > kMaxBottles || bubbles < 0 || bubbles > kRoundBubbles || !isDate(date) ||
        (!name.empty() && !checkPlayerName(name, nullptr)))
        return -1;
    std::vector<BestCatch>& count = table->rows[bottles];
    BestCatch row{true, bubbles, date, name, 0};
    // After every row as good: of a day, the one kept first stays ahead.
    const auto at = std::upper_bound(count.begin(), count.end(), row, before);
    const int place = static_cast<int>(at - count.begin());
    if (place >= kKeptRounds) return -1;
    if (count.size() >= static_cast<std::size_t>(kKeptRounds)) {
        row.round = count.back().round;  // its recording gives way to this one's
        count.pop_back();
    } else {
        while (std::any_of(count.begin(), count.end(), [&](const BestCatch& r) { return r.round == row.round; }))
            ++row.round;
    }
    count.insert(count.begin() + place, row);
    if (kept != nullptr) *kept = row;
    return place;
}

bool keepBestCatch(BestCatches* table, int bottles, int bubbles, const std::string& date) {
    return keepRow(table, bottles, bubbles, date) == 0;
}

bool keepDayBest(BestCatches* table, const std::string& date, int bubbles, const std::string& name,
                 std::vector<std::string>* pruned) {
    uint32_t day = 0;
    if (!isDate(date) || !readDay(date, &day) || bubbles < 0 || bubbles > kRoundBubbles ||
        (!name.empty() && !checkPlayerName(name, nullptr)))
        return false;
    std::vector<BestCatch>& days = table->days;
    auto at = std::lower_bound(days.begin(), days.end(), date,
                               [](const BestCatch& d, const std::string& text) { return d.date < text; });
    bool better = false;
    if (at == days.end() || at->date != date) {
        days.insert(at, BestCatch{true, bubbles, date, name, 0});
        better = true;
    } else if (bubbles > at->bubbles) {
        *at = BestCatch{true, bubbles, date, name, 0};
        better = true;
    }
    // The latest kKeptDays days, counted back from the newest kept: a day
    // nobody played is one of them too.
    uint32_t newest = 0;
    readDay(days.back().date, &newest);
    while (!days.empty()) {
        uint32_t oldest = 0;
        readDay(days.front().date, &oldest);
        if (newest - oldest < static_cast<uint32_t>(kKeptDays)) break;
        if (pruned != nullptr) pruned->push_back(days.front().date);
        days.erase(days.begin());
    }
    return better && std::any_of(days.begin(), days.end(), [&](const BestCatch& d) { return d.date == date; });
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
    store.keepRound = [](void* place, const std::string& name, const std::string& bytes, std::string* error) {
        const FileChange& table = *static_cast<FileChange*>(place);
        // The table's lock is held: the recording's own change takes none.
        FileChange round{roundFile(table.file, name), table.disk};
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

std::filesystem::path roundFile(const std::filesystem::path& catchesFile, const std::string& round) {
    return catchesFile.parent_path() / ("best-round-" + round + ".kvr");
}

std::filesystem::path bestRoundFile(const std::filesystem::path& catchesFile, int bottles, int round) {
    return roundFile(catchesFile, roundName(bottles, round));
}

std::filesystem::path dayRoundFile(const std::filesystem::path& catchesFile, const std::string& date) {
    return roundFile(catchesFile, dayRoundName(date));
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

std::string keepCatch(const CatchStore& store, const CaughtRound& caught, bool* newBest) {
    if (newBest != nullptr) *newBest = false;
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
        BestCatch row;
        const int place = keepRow(&read.table, caught.bottles, caught.bubbles, caught.date, caught.name, &row);
        const bool kept = place >= 0;
        std::vector<std::string> pruned;
        const std::string day = caught.daily ? dayText(caught.day) : std::string();
        const bool dayKept = caught.daily && keepDayBest(&read.table, day, caught.bubbles, caught.name, &pruned);
        const bool changed = kept || dayKept || !pruned.empty();
        std::string aside;
        if (damaged && !store.keepAside(store.place, &aside)) {
            said = joined(said, "left as it is (" + aside + ")" + (changed ? ": the best catch is not kept" : ""));
        } else if (damaged || changed) {
            if (damaged) said += "; kept as " + aside;
            const bool written = store.write(store.place, bestCatchesText(read.table), &error);
            if (newBest != nullptr) *newBest = written && kept && place == 0;
            if (!written) {
                said = joined(said, (changed ? "the best catch is not kept: " : "") + error);
            } else if (store.keepRound != nullptr) {
                std::vector<std::pair<std::string, std::string>> rounds;  // name, bytes
                if (kept) rounds.push_back({roundName(caught.bottles, row.round), caught.round});
                if (dayKept) rounds.push_back({dayRoundName(day), caught.round});
                for (const std::string& gone : pruned) rounds.push_back({dayRoundName(gone), std::string()});
                for (const auto& [name, bytes] : rounds)
                    if (!store.keepRound(store.place, name, bytes, &error)) {
                        said = joined(said, "the round's recording is not kept: " + error);
                        break;
                    }
            }
        }
    }
    store.end(store.place);
    return said;
}

std::string keepCatch(const CatchStore& store, int bottles, int bubbles, const std::string& date,
                      const std::string& round) {
    CaughtRound caught;
    caught.bottles = bottles;
    caught.bubbles = bubbles;
    caught.date = date;
    caught.round = round;
    return keepCatch(store, caught);
}

std::string offerRoundsCatch(const Game& game, RoundDriver& driver, CatchKeeper* keeper, std::time_t now) {
    if (!game.gameOver || keeper->offered) return "";
    keeper->offered = true;
    if (roundWatched(driver)) return "";
    const RoundRecording& recording = driver.recorder.recording;
    CaughtRound caught;
    // The bottles the round laid out: today's round has its own, whatever the code said.
    caught.bottles = game.bottleCount;
    caught.bubbles = game.bottles[0].score;
    caught.date = dateOf(now);
    caught.name = recording.name;
    caught.daily = recording.kind == DailyRound;
    caught.day = recording.day;
    caught.round = roundRecorded(driver, game) ? recordingBytes(recording) : std::string();
    return keepCatch(keeper->store, caught, &keeper->newBest);
}
