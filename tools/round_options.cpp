#include "tools/round_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "core/game.h"
#include "core/daily_round.h"
#include "core/player_name.h"
#include "core/random.h"
#include "core/round_driver.h"
#include "shell/headless/headless_platform.h"

namespace {
bool parseNumber(const char* text, long long low, long long high, long long& out) {
    if (*text == '\0') return false;
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text, &end, 10);
    if (errno != 0 || *end != '\0' || value < low || value > high) return false;
    out = value;
    return true;
}

int keyNamed(const std::string& name) {
    if (name == "LEFT") return kKeyLeft;
    if (name == "RIGHT") return kKeyRight;
    if (name == "UP") return kKeyUp;
    if (name == "DOWN") return kKeyDown;
    return 0;
}

// FIRST-LAST:KEY[,FIRST-LAST:KEY...]
bool parseKeys(const std::string& text, std::vector<KeySpan>& spans) {
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string::npos) comma = text.size();
        const std::string item = text.substr(start, comma - start);
        const size_t dash = item.find('-');
        const size_t colon = item.find(':');
        if (dash == std::string::npos || colon == std::string::npos || colon < dash) return false;
        KeySpan span{};
        if (!parseNumber(item.substr(0, dash).c_str(), 1, 1LL << 40, span.first) ||
            !parseNumber(item.substr(dash + 1, colon - dash - 1).c_str(), 1, 1LL << 40, span.last) ||
            span.last < span.first || (span.key = keyNamed(item.substr(colon + 1))) == 0)
            return false;
        spans.push_back(span);
        start = comma + 1;
    }
    return true;
}
}  // namespace

int parseRoundOption(int argc, char** argv, int& i, RoundOptions& options, std::string& error) {
    const std::string name = argv[i];
    static const char* const kNames[] = {"--seed", "--bottles", "--bubbles", "--sound", "--steps", "--dt",
                                         "--keys", "--every", "--daily", "--day", "--name", "--ticket"};
    bool known = false;
    for (const char* known_name : kNames) known = known || name == known_name;
    if (!known) return 0;
    if (i + 1 >= argc) {
        error = name + " needs a value";
        return -1;
    }
    const char* value = argv[++i];
    long long number = 0;
    bool ok = true;
    if (name == "--seed") {
        ok = parseNumber(value, 0, 4294967295LL, number);
        options.seed = static_cast<uint32_t>(number);
    } else if (name == "--bottles") {
        ok = parseNumber(value, 1, kMaxBottles, number);
        options.bottles = static_cast<int>(number);
    } else if (name == "--bubbles") {
        ok = parseNumber(value, 0, kMaxBubbles, number);
        options.bubbles = static_cast<int>(number);
    } else if (name == "--sound") {
        ok = parseNumber(value, 0, 1, number);
        options.sound = static_cast<int>(number);
    } else if (name == "--steps") {
        ok = parseNumber(value, 0, 1LL << 40, options.steps);
    } else if (name == "--every") {
        ok = parseNumber(value, 0, 1LL << 40, options.every);
    } else if (name == "--dt") {
        char* end = nullptr;
        options.dt = std::strtod(value, &end);
        ok = *value != '\0' && *end == '\0' && std::isfinite(options.dt) && options.dt >= 0 && options.dt <= 1e6;
    } else if (name == "--keys") {
        options.keys.clear();
        ok = parseKeys(value, options.keys);
    } else if (name == "--daily" || name == "--day") {
        ok = readDay(value, &options.day);
        options.daily = options.daily || name == "--daily";
    } else if (name == "--name") {
        std::string why;
        ok = checkPlayerName(value, &why);
        options.name = value;
    } else if (name == "--ticket") {
        ok = isTicket(value);
        options.ticket = value;
    }
    options.layoutGiven = options.layoutGiven || name == "--seed" || name == "--bottles" || name == "--bubbles";
    if (!ok) {
        error = "bad value for " + name + ": '" + value + "'";
        return -1;
    }
    if (options.daily && options.layoutGiven) {
        error = "--daily lays out the day's round: no --seed, --bottles or --bubbles with it";
        return -1;
    }
    return 1;
}

void layOutRound(RoundDriver& driver, Game& game, const RoundOptions& options, int blending) {
    seedRandom(options.seed);
    GameSettings settings;
    settings.bottleCount = options.bottles;
    settings.sound = options.sound;
    settings.blending = blending;
    RoundFacts facts = options.daily ? dailyRound(options.day) : RoundFacts();
    facts.day = options.day;
    facts.name = options.name;
    facts.ticket = options.ticket;
    if (!options.daily) facts.bubbles = options.bubbles;
    startLiveRound(driver, game, settings, facts);
}

void playStep(RoundDriver& driver, Game& game, const RoundOptions& options, long long step) {
    // Only the keys whose state changes are pressed or let go, as a player's
    // are: the round's recording holds its changes, not every step's keys.
    for (int key : {kKeyLeft, kKeyRight, kKeyUp, kKeyDown}) {
        bool held = false;
        for (const KeySpan& span : options.keys)
            held = held || (span.key == key && step >= span.first && step <= span.last);
        if (held != (game.sourceKeyDown[KeyboardInput][key] != 0)) {
            if (held)
                pressKey(game, KeyboardInput, key);
            else
                releaseKey(game, KeyboardInput, key);
        }
    }
    headless().advance(options.dt);
    updateFrame(driver, game);
}
