// The page's side of a board: today's rounds waiting in the page's storage
// ("korvada.waiting.NAME", the recording in base64, as the desktop keeps
// them in a folder: setup/waiting_rounds.h), and the exchanges through fetch.

#include "shell/web/web_board.h"

#include <emscripten.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>

#include "core/recording.h"
#include "setup/board_texts.h"
#include "setup/setup_texts.h"
#include "shell/web/web_shell.h"

namespace {
// The waiting rounds' names, one a line (std::free), or null without storage.
EM_JS(char*, waitingNames, (), {
    try {
        var names = [];
        for (var i = 0; i < localStorage.length; i++) {
            var key = localStorage.key(i);
            if (key.indexOf('korvada.waiting.') === 0) names.push(key.substring(16));
        }
        return allocateUTF8(names.join('\n'));
    } catch (e) {
        return 0;
    }
});

// A waiting round's bytes (std::free), their count in *size: -1 past
// `limit` (nothing read), -2 for none.
EM_JS(char*, waitingBytes, (const char* name, int limit, int* size), {
    var text;
    try {
        text = localStorage.getItem('korvada.waiting.' + UTF8ToString(name));
        text = text === null ? null : atob(text);
    } catch (e) {
        text = null;
    }
    HEAP32[size >> 2] = text === null ? -2 : text.length > limit ? -1 : text.length;
    if (text === null || text.length > limit) return 0;
    var bytes = _malloc(Math.max(1, text.length));
    for (var i = 0; i < text.length; i++) HEAPU8[bytes + i] = text.charCodeAt(i) & 0xFF;
    return bytes;
});

EM_JS(int, keepWaiting, (const char* name, const char* bytes, int size), {
    try {
        var text = "";
        for (var i = 0; i < size; i += 0x8000)
            text += String.fromCharCode.apply(null, HEAPU8.subarray(bytes + i, bytes + Math.min(size, i + 0x8000)));
        localStorage.setItem('korvada.waiting.' + UTF8ToString(name), btoa(text));
        return 1;
    } catch (e) {
        return 0;
    }
});

EM_JS(void, removeWaiting, (const char* name), {
    try {
        localStorage.removeItem('korvada.waiting.' + UTF8ToString(name));
    } catch (e) {
    }
});

// The exchange; its end calls korvadaBoardAnswered(id, ...) once. The body
// is counted as it comes and dropped past `longest`; the time limit aborts
// whatever is under way.
EM_JS(void, fetchFromBoard, (int id, const char* address, int post, const char* body, int length,
                             const char* secret, double longest, int seconds), {
    var url = UTF8ToString(address);
    var controller = new AbortController();
    var over = false, timedOut = false;
    var timer = setTimeout(function() { timedOut = true; controller.abort(); }, seconds * 1000);
    var finish = function(answered, status, bytes, trouble) {
        if (over) return;
        over = true;
        clearTimeout(timer);
        var size = bytes ? bytes.length : 0;
        var at = _malloc(Math.max(1, size));
        if (bytes) HEAPU8.set(bytes, at);
        Module['_korvadaBoardAnswered'](id, answered, status, at, size, allocateUTF8(trouble));
    };
    var tooLong = function() {
        controller.abort();
        finish(0, 0, null, "the board's answer is longer than " + longest + " bytes");
    };
    var headers = {};
    if (post) headers['Content-Type'] = 'application/octet-stream';
    var key = UTF8ToString(secret);
    if (key) headers['Korvada-Secret'] = key;
    var init = {method: post ? 'POST' : 'GET', headers: headers, redirect: 'error', cache: 'no-store',
                credentials: 'omit', signal: controller.signal};
    if (post) init.body = HEAPU8.slice(body, body + length);
    fetch(url, init).then(function(response) {
        if (Number(response.headers.get('Content-Length')) > longest) return tooLong();
        var reader = response.body.getReader();
        var parts = [], total = 0;
        var next = function() {
            return reader.read().then(function(part) {
                if (over) return;
                if (part.done) {
                    var whole = new Uint8Array(total), at = 0;
                    parts.forEach(function(p) { whole.set(p, at); at += p.length; });
                    return finish(1, response.status, whole, "");
                }
                total += part.value.length;
                if (total > longest) return tooLong();
                parts.push(part.value);
                return next();
            });
        };
        return next();
    }).catch(function(error) {
        finish(0, 0, null, timedOut ? 'no answer within ' + seconds + ' s'
                                     : 'no answer: ' + (error && error.message ? error.message : String(error)));
    });
});

std::map<int, BoardAnswered>& awaited() {
    static std::map<int, BoardAnswered> answers;
    return answers;
}
}  // namespace

WaitingStore pageWaitingStore() {
    WaitingStore store;
    store.where = "the page's storage (korvada.waiting)";
    store.names = [](void*) {
        std::vector<std::string> names;
        char* listed = waitingNames();
        if (listed == nullptr) return names;
        const std::string lines = listed;
        std::free(listed);
        std::time_t left;
        for (std::size_t at = 0; at < lines.size();) {
            std::size_t end = lines.find('\n', at);
            if (end == std::string::npos) end = lines.size();
            const std::string name = lines.substr(at, end - at);
            if (readWaitingName(name, &left)) names.push_back(name);
            at = end + 1;
        }
        return names;
    };
    store.read = [](void*, const std::string& name, std::size_t limit, std::string* bytes) {
        int size = 0;
        char* stored = waitingBytes(name.c_str(), static_cast<int>(limit), &size);
        if (size == -2) return SmallFile::Missing;
        if (size == -1) return SmallFile::TooLarge;
        bytes->assign(stored, static_cast<std::size_t>(size));
        std::free(stored);
        return SmallFile::Read;
    };
    store.keep = [](void*, const std::string& name, const std::string& bytes, std::string* error) {
        if (keepWaiting(name.c_str(), bytes.data(), static_cast<int>(bytes.size()))) return true;
        *error = "the page's storage refused it";
        return false;
    };
    store.remove = [](void*, const std::string& name) { removeWaiting(name.c_str()); };
    return store;
}

void startBoardExchange(const BoardRequest& request, BoardAnswered done) {
    static int next = 0;
    const int id = ++next;
    awaited()[id] = std::move(done);
    fetchFromBoard(id, request.url.c_str(), request.post ? 1 : 0, request.body.data(),
                   static_cast<int>(request.body.size()), request.secret.c_str(),
                   static_cast<double>(request.longestAnswer), request.seconds);
}

// The end of an exchange that fetchFromBoard started: its memory is the
// program's to free.
extern "C" EMSCRIPTEN_KEEPALIVE void korvadaBoardAnswered(int id, int answered, int status, char* body, int length,
                                                           char* trouble) {
    BoardAnswer answer;
    answer.answered = answered != 0;
    answer.status = status;
    answer.body.assign(body, static_cast<std::size_t>(length));
    answer.trouble = trouble;
    std::free(body);
    std::free(trouble);
    const auto found = awaited().find(id);
    if (found == awaited().end()) return;
    const BoardAnswered done = std::move(found->second);
    awaited().erase(found);
    done(answer);
}

// --- What the page's form asks of a board ------------------------------------
//
// The page served by a board talks to it (its own origin); the board sends
// no CORS headers, so no other page can. Each answer goes to the page's
// Module.page.board(what, data): "line" {line, trouble} for the form's line,
// "ticket" {ticket} (or a "line" saying why none came), "day" {read,
// heading, rows: [{place, name, bubbles, id}], line} (read false: no
// board's list came, so a page served elsewhere shows no board), and
// "recording" {file} once a listed round is downloaded and read.

namespace {
struct PageBoard {
    std::string language;  // the browser's tag, for the texts
    RoundSending sending;
};

PageBoard& board() {
    static PageBoard page;
    return page;
}

const SetupTexts& pageSetupTexts() { return setupTexts(languageOf(board().language)); }
const BoardClientTexts& pageBoardTexts() { return boardTextsOf(board().language); }

// A JSON string of UTF-8 text.
std::string jsonText(const std::string& text) {
    std::string json = "\"";
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            json += escaped;
        } else {
            json += c;
        }
    }
    return json + "\"";
}

EM_JS(void, tellPage, (const char* what, const char* json), {
    var page = Module['page'];
    if (page && page['board']) page['board'](UTF8ToString(what), JSON.parse(UTF8ToString(json)));
});

void tellLine(const std::string& line, bool trouble) {
    if (line.empty()) return;
    tellPage("line", ("{\"line\":" + jsonText(line) + ",\"trouble\":" + (trouble ? "true" : "false") + "}").c_str());
}

// The secret the page keeps for the player's name ("korvada.board.secret"),
// made from the browser's random bytes the first time; "" without storage.
EM_JS(char*, keptSecret, (), {
    try {
        var secret = localStorage.getItem('korvada.board.secret');
        return secret === null ? 0 : allocateUTF8(secret);
    } catch (e) {
        return 0;
    }
});
EM_JS(void, keepSecret, (const char* secret), {
    try {
        localStorage.setItem('korvada.board.secret', UTF8ToString(secret));
    } catch (e) {
    }
});
EM_JS(void, randomBytes, (unsigned char* bytes, int count), {
    crypto.getRandomValues(HEAPU8.subarray(bytes, bytes + count));
});

std::string pageSecret() {
    char* kept = keptSecret();
    std::string secret = kept != nullptr ? kept : "";
    std::free(kept);
    if (wellFormedBoardSecret(secret)) return secret;
    unsigned char random[kBoardSecretBytes];
    randomBytes(random, static_cast<int>(kBoardSecretBytes));
    secret = boardSecretOf(random);
    keepSecret(secret.c_str());
    return secret;
}

// The answer, only while the page still talks to the board that was asked:
// one for a board before the last korvadaBoardStart is not this one's.
BoardAnswered forThisBoard(BoardAnswered then) {
    const std::string origin = board().sending.origin;
    return [origin, then](const BoardAnswer& answer) {
        if (origin == board().sending.origin) then(answer);
    };
}

// One round at a time until the pass is over; then its line.
void sendNext() {
    RoundSending& sending = board().sending;
    BoardRequest request;
    if (nextRound(&sending, &request)) {
        startBoardExchange(request, forThisBoard([](const BoardAnswer& answer) {
            takeRoundAnswer(&board().sending, answer, std::time(nullptr));
            sendNext();
        }));
        return;
    }
    const SendingTally tally = sending.tally;
    tellLine(sendingLine(pageSetupTexts(), pageBoardTexts(), &sending),
             tally.refused > 0 || tally.unanswered || tally.dropped > 0);
    // The day's list changed: the form asks for it again.
    if (tally.kept > 0) tellPage("kept", "{}");
}
}  // namespace

// The board the page talks to, its origin as readBoardAddress gives it
// ("" or an address it refuses: none), and the browser's language tag; then
// what waits goes. Returns whether a board is set.
extern "C" EMSCRIPTEN_KEEPALIVE int korvadaBoardStart(const char* origin, const char* languageTag) {
    PageBoard& page = board();
    page.language = languageTag;
    page.sending.store = pageWaitingStore();
    page.sending.origin.clear();
    // What was under way for the board before is forgotten with it.
    page.sending.tried.clear();
    page.sending.left.clear();
    page.sending.sending.clear();
    std::string why;
    if (*origin != '\0' && !readBoardAddress(origin, &page.sending.origin, &why))
        tellLine(filledIn(pageBoardTexts().badAddress, why), true);
    if (page.sending.origin.empty()) return 0;
    page.sending.secret = pageSecret();
    if (beginSending(&page.sending, false)) sendNext();
    return 1;
}

// After a round: what waits now goes (today's round just left).
extern "C" EMSCRIPTEN_KEEPALIVE void korvadaBoardSend() {
    if (beginSending(&board().sending, false)) sendNext();
}

// A ticket for a round of today's, before it starts.
extern "C" EMSCRIPTEN_KEEPALIVE void korvadaBoardTicket() {
    if (board().sending.origin.empty()) return;
    tellLine(pageBoardTexts().asking, false);
    startBoardExchange(ticketRequest(board().sending.origin), forThisBoard([](const BoardAnswer& answer) {
        const BoardTicket ticket = readTicketAnswer(answer);
        if (!ticket.given) {
            tellLine(filledIn(pageBoardTexts().noTicket, ticket.trouble), true);
            tellPage("ticket", "{\"ticket\":\"\"}");
            return;
        }
        tellPage("ticket", ("{\"ticket\":" + jsonText(ticket.ticket) + "}").c_str());
    }));
}

// The best ten of `day` ("2026-12-10").
extern "C" EMSCRIPTEN_KEEPALIVE void korvadaBoardDay(const char* day) {
    if (board().sending.origin.empty()) return;
    const std::string date = day;
    startBoardExchange(dayRequest(board().sending.origin, date), forThisBoard([date](const BoardAnswer& answer) {
        const DayRounds day = readDayAnswer(answer, date);
        const ShownDay shown = shownDay(pageSetupTexts(), pageBoardTexts(), date, day);
        std::string rows;
        for (const ShownRow& row : shown.rows)
            rows += std::string(rows.empty() ? "" : ",") + "{\"place\":" + std::to_string(row.place) +
                    ",\"name\":" + jsonText(row.name) + ",\"bubbles\":" + jsonText(row.bubbles) +
                    ",\"id\":" + jsonText(row.id) + "}";
        tellPage("day", ("{\"read\":" + std::string(day.read ? "true" : "false") + ",\"heading\":" + jsonText(shown.heading) + ",\"rows\":[" + rows +
                         "],\"line\":" + jsonText(shown.line) + "}").c_str());
    }));
}

// A listed round (its id as the day's list gave it) downloaded to be
// watched: into the game's file system once the reader takes it.
extern "C" EMSCRIPTEN_KEEPALIVE void korvadaBoardWatch(const char* id) {
    if (board().sending.origin.empty() || !wellFormedListedId(id)) return;
    tellLine(pageBoardTexts().downloading, false);
    startBoardExchange(recordingRequest(board().sending.origin, id), forThisBoard([](const BoardAnswer& answer) {
        RoundRecording recording;
        std::string trouble;
        const char* file = "/board-round.kvr";
        if (readRecordingAnswer(answer, &recording, &trouble)) {
            std::FILE* out = std::fopen(file, "wb");
            const bool written = out != nullptr && std::fwrite(answer.body.data(), 1, answer.body.size(), out) ==
                                                       answer.body.size();
            if (out != nullptr && std::fclose(out) != 0) trouble = "cannot write the round";
            if (written && trouble.empty()) {
                tellPage("recording", ("{\"file\":" + jsonText(file) + "}").c_str());
                return;
            }
            if (trouble.empty()) trouble = "cannot write the round";
        }
        tellLine(filledIn(pageBoardTexts().cannotWatch, trouble), true);
    }));
}
