#include "board/board_pages.h"

#include <nlohmann/json.hpp>

#include <cstdlib>

#include "board/board_rules.h"

namespace {

std::string head(const Language& language, const std::string& title) {
    return "<!doctype html>\n<html lang=\"" + std::string(language.code) +
           "\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
           escapeHtml(title) +
           "</title>\n<style>\n"
           "body { margin: 0 auto; max-width: 40em; padding: 1em; background: #0d1230; color: #e6eaff;"
           " font: 17px/1.4 system-ui, sans-serif; }\n"
           "a { color: #9fb4ff; } table { width: 100%; border-collapse: collapse; }\n"
           "th, td { padding: 0.35em 0.5em; text-align: left; border-bottom: 1px solid #2b3673; }\n"
           "td.n { text-align: right; } nav { display: flex; gap: 1em; flex-wrap: wrap; margin: 1em 0; }\n"
           // A phone held upright: the five columns in its width, the names wrapping.
           "@media (max-width: 30em) { body { padding: 0.6em; font-size: 15px; }"
           " th, td { padding: 0.35em 0.3em; } }\n"
           "</style>\n</head>\n<body>\n";
}

// "10. 12. 2026", "10 Dec 2026".
std::string shownDay(const Language& language, int32_t day) {
    return dayText(language.setup, dayText(static_cast<uint32_t>(day)));
}

std::string clock(int64_t unixMs) { return utcTimeText(unixMs).substr(11, 5); }

}  // namespace

const Language& pageLanguage(const std::string& acceptLanguage) {
    // The entry liked best: the highest q of a range naming it ("cs",
    // "cs-CZ"), the earlier range of two alike; none liked (no header, no
    // language of ours, q=0): the table's first.
    const Language* best = nullptr;
    double bestQuality = 0;
    size_t start = 0;
    while (start <= acceptLanguage.size()) {
        size_t end = acceptLanguage.find(',', start);
        if (end == std::string::npos) end = acceptLanguage.size();
        std::string item = acceptLanguage.substr(start, end - start);
        start = end + 1;
        double quality = 1;
        const size_t semicolon = item.find(';');
        if (semicolon != std::string::npos) {
            const size_t q = item.find("q=", semicolon);
            quality = q == std::string::npos ? 1 : std::strtod(item.c_str() + q + 2, nullptr);
            item.resize(semicolon);
        }
        while (!item.empty() && item.front() == ' ') item.erase(0, 1);
        while (!item.empty() && item.back() == ' ') item.pop_back();
        const Language* named = languageCoded(item.substr(0, item.find('-')));
        if (named != nullptr && quality > bestQuality) best = named, bestQuality = quality;
    }
    return best != nullptr ? *best : kLanguages[0];
}

std::string escapeHtml(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
            case '&': escaped += "&amp;"; break;
            case '<': escaped += "&lt;"; break;
            case '>': escaped += "&gt;"; break;
            case '"': escaped += "&quot;"; break;
            case '\'': escaped += "&#39;"; break;
            default: escaped += c;
        }
    }
    return escaped;
}

std::string watchAddress(const std::string& id) { return "/?round=%2Fapi%2Frounds%2F" + id + ".kvr"; }

std::string dayPage(const Language& language, int32_t day, int32_t today, const std::vector<ListedRound>& rounds) {
    const BoardPageTexts& texts = language.boardPage;
    const SetupTexts& words = language.setup;
    std::string page = head(language, std::string(texts.title) + ", " + shownDay(language, day));
    page += "<h1>" + escapeHtml(texts.title) + "</h1>\n<p>" + escapeHtml(shownDay(language, day)) + "</p>\n";
    if (rounds.empty()) {
        page += "<p id=\"nobody\">" + escapeHtml(texts.nobody) + "</p>\n";
    } else {
        page += "<table id=\"rounds\">\n<tr><th>#</th><th>" + escapeHtml(texts.player) + "</th><th>" +
                escapeHtml(texts.bubbles) + "</th><th>" + escapeHtml(texts.when) + "</th><th></th></tr>\n";
        int place = 0;
        for (const ListedRound& round : rounds) {
            page += "<tr><td class=\"n\">" + std::to_string(++place) + "</td><td class=\"name\">" +
                    escapeHtml(round.name) + "</td><td class=\"n\" title=\"" +
                    escapeHtml(bubblesText(words, round.bubbles)) + "\">" + std::to_string(round.bubbles) +
                    "</td><td>" + clock(round.receivedMs) + "</td><td><a href=\"/r/" + escapeHtml(round.id) +
                    "\">" + escapeHtml(texts.watch) + "</a></td></tr>\n";
        }
        page += "</table>\n";
    }
    page += "<nav><a href=\"/board/" + dayText(static_cast<uint32_t>(day - 1)) + "\">" + escapeHtml(texts.previous) + "</a>";
    if (day < today) page += "<a href=\"/board/" + dayText(static_cast<uint32_t>(day + 1)) + "\">" + escapeHtml(texts.next) + "</a>";
    if (day != today) page += "<a href=\"/board\">" + escapeHtml(texts.today) + "</a>";
    page += "<a href=\"/\">" + escapeHtml(texts.play) + "</a><a href=\"/api/days/" + dayText(static_cast<uint32_t>(day)) +
            "\">JSON</a></nav>\n</body>\n</html>\n";
    return page;
}

std::string roundPage(const Language& language, const StoredRound& round) {
    const BoardPageTexts& texts = language.boardPage;
    const SetupTexts& words = language.setup;
    const std::string title = std::string(texts.roundOf) + " " + round.listed.name;
    std::string page = head(language, "Korvada: " + title);
    page += "<h1>" + escapeHtml(title) + "</h1>\n<p><span id=\"bubbles\">" +
            escapeHtml(bubblesText(words, round.listed.bubbles)) + "</span>, " +
            escapeHtml(shownDay(language, round.day)) + ", " + clock(round.listed.receivedMs) + " UTC</p>\n";
    page += "<nav><a id=\"watch\" href=\"" + escapeHtml(watchAddress(round.listed.id)) + "\">" +
            escapeHtml(texts.watch) + "</a><a href=\"/api/rounds/" + escapeHtml(round.listed.id) +
            ".kvr\" download>" + escapeHtml(texts.download) + "</a><a href=\"/board/" + dayText(static_cast<uint32_t>(round.day)) + "\">" +
            escapeHtml(texts.dayBoard) + "</a></nav>\n</body>\n</html>\n";
    return page;
}

std::string notFoundPage(const Language& language) {
    const BoardPageTexts& texts = language.boardPage;
    return head(language, "Korvada") + "<p>" + escapeHtml(texts.notFound) + "</p>\n<nav><a href=\"/board\">" +
           escapeHtml(texts.dayBoard) + "</a></nav>\n</body>\n</html>\n";
}

std::string dayJson(int32_t day, const std::vector<ListedRound>& rounds) {
    nlohmann::json listed = nlohmann::json::array();
    for (const ListedRound& round : rounds)
        listed.push_back(
            {{"id", round.id}, {"name", round.name}, {"bubbles", round.bubbles}, {"when", utcTimeText(round.receivedMs)}});
    return nlohmann::json{{"day", dayText(static_cast<uint32_t>(day))}, {"rounds", listed}}.dump(-1, ' ', false,
                                                                           nlohmann::json::error_handler_t::replace);
}
