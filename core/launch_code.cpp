#include "core/settings.h"

#include <filesystem>
#include <system_error>

int parseLaunchCode(const std::string& tail, GameSettings* settings) {
    if (tail.size() != 5) return 0;
    // Characters are signed 8-bit values, so anything from 128 up is negative.
    const auto code = [&](int i) { return static_cast<int32_t>(static_cast<signed char>(tail[i])); };

    GameSettings decoded;
    decoded.resolutionIndex = code(0) - '0';
    decoded.colorCode = tail[1] == 'H' ? 'H' : 'T';
    decoded.blending = tail[2] == 'N' ? 0 : 1;
    decoded.bottleCount = code(3) - 'A';
    decoded.sound = tail[4] == 'N' ? 0 : 1;

    // Values no table holds are refused like a malformed code: the setup
    // program never writes them, so they mean the command line was typed wrong.
    if (decoded.resolutionIndex < 0 || decoded.resolutionIndex >= kResolutionCount ||
        decoded.bottleCount < 0 || decoded.bottleCount > kMaxBottles)
        return 0;
    *settings = decoded;
    return 1;
}

int32_t bottlesToLay(const GameSettings& settings) {
    return settings.bottleCount == 0 ? kDefaultBottleCount : settings.bottleCount;
}

namespace {
// A flag option at the tail's front, and the blanks after it.
bool takeFlagOption(std::string* tail, const char* name) {
    const std::string option = name;
    if (tail->compare(0, option.size(), option) != 0 || tail->size() == option.size() ||
        static_cast<unsigned char>((*tail)[option.size()]) > ' ')
        return false;
    std::string::size_type code = option.size();
    while (code < tail->size() && static_cast<unsigned char>((*tail)[code]) <= ' ') ++code;
    tail->erase(0, code);
    return true;
}

bool isBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }
}  // namespace

bool takeWindowOption(std::string* tail) { return takeFlagOption(tail, kWindowOption); }

bool takeWatchOption(std::string* tail, std::string* file) { return takeValueOption(tail, kWatchOption, file); }

bool takeValueOption(std::string* tail, const char* name, std::string* file) {
    const std::string option = name;
    if (tail->compare(0, option.size(), option) != 0 || tail->size() == option.size() || !isBlank((*tail)[option.size()]))
        return false;
    std::string::size_type at = option.size();
    while (at < tail->size() && isBlank((*tail)[at])) ++at;
    const bool quoted = at < tail->size() && (*tail)[at] == '"';
    const std::string::size_type start = quoted ? at + 1 : at;
    std::string::size_type end = start;
    while (end < tail->size() && (quoted ? (*tail)[end] != '"' : !isBlank((*tail)[end]))) ++end;
    // An opening quote never closed names no file.
    *file = quoted && end == tail->size() ? std::string() : tail->substr(start, end - start);
    at = quoted && end < tail->size() ? end + 1 : end;
    while (at < tail->size() && isBlank((*tail)[at])) ++at;
    tail->erase(0, at);
    return true;
}

LaunchOptions takeLaunchOptions(std::string* tail) {
    LaunchOptions options;
    for (;;) {
        if (takeWindowOption(tail))
            options.window = true;
        else if (takeWatchOption(tail, &options.watchFile))
            options.watch = true;
        else if (takeFlagOption(tail, kDailyOption))
            options.daily = true;
        else if (!takeValueOption(tail, kNameOption, &options.name) &&
                 !takeValueOption(tail, kTicketOption, &options.ticket))
            return options;
    }
}

bool takeBareRoundFile(std::string* tail, LaunchOptions* options) {
    GameSettings unused;
    if (options->watch || tail->empty() || parseLaunchCode(*tail, &unused) || (*tail)[0] == '-') return false;
    std::string file = *tail;
    if (file.size() >= 2 && file.front() == '"' && file.back() == '"') file = file.substr(1, file.size() - 2);
    if (file.empty() || file.find('"') != std::string::npos) return false;
    const auto endsKvr = [&] {
        if (file.size() < 4) return false;
        std::string end = file.substr(file.size() - 4);
        for (char& c : end) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        return end == ".kvr";
    };
    std::error_code failed;
    if (!endsKvr() && !std::filesystem::is_regular_file(std::filesystem::u8path(file), failed)) return false;
    options->watch = true;
    options->watchFile = file;
    tail->clear();
    return true;
}
