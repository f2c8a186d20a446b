#include "setup/board_client.h"

#include <nlohmann/json.hpp>

#include "core/best_catches.h"
#include "core/player_name.h"
#include "core/recording.h"
#include "core/settings.h"

using nlohmann::json;

namespace {
const char kBase64Url[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

bool isBase64Url(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

bool allBase64Url(const std::string& text) {
    for (char c : text)
        if (!isBase64Url(c)) return false;
    return true;
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A host name's labels (letters, digits, '-', none empty, none starting or
// ending with '-'), an IPv4 address among them; or an IPv6 address in brackets.
bool wellFormedHost(const std::string& host) {
    if (host.empty() || host.size() > 253) return false;
    if (host.front() == '[') {
        if (host.size() < 4 || host.back() != ']') return false;
        for (std::size_t i = 1; i + 1 < host.size(); ++i) {
            const char c = host[i];
            if (!isDigit(c) && !(c >= 'a' && c <= 'f') && c != ':' && c != '.') return false;
        }
        return host.find(':') != std::string::npos;
    }
    std::size_t start = 0;
    while (start <= host.size()) {
        std::size_t dot = host.find('.', start);
        if (dot == std::string::npos) dot = host.size();
        const std::string label = host.substr(start, dot - start);
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-') return false;
        for (char c : label)
            if (!isDigit(c) && !(c >= 'a' && c <= 'z') && c != '-') return false;
        start = dot + 1;
    }
    return true;
}

// A JSON object's string member, bounded; false when it is missing, no
// string, empty or longer.
bool stringMember(const json& object, const char* name, std::size_t longest, std::string* value) {
    const auto found = object.find(name);
    if (found == object.end() || !found->is_string()) return false;
    *value = found->get_ref<const std::string&>();
    return !value->empty() && value->size() <= longest;
}

bool integerMember(const json& object, const char* name, int64_t least, int64_t most, int64_t* value) {
    const auto found = object.find(name);
    if (found == object.end() || !found->is_number_integer()) return false;
    *value = found->get<int64_t>();
    return *value >= least && *value <= most;
}

// The answer's body as a JSON object; false for anything else.
bool jsonObject(const BoardAnswer& answer, json* object) {
    *object = json::parse(answer.body, nullptr, false);
    return !object->is_discarded() && object->is_object();
}

// Valid UTF-8 with no control character (C0, DEL, C1) nor a mark that
// turns the direction of the text after it (which would make a line say
// what it does not): text a line may show.
bool showableText(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char first = static_cast<unsigned char>(text[i]);
        const int length = first < 0x80 ? 1 : (first >> 5) == 6 ? 2 : (first >> 4) == 14 ? 3 : (first >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > text.size()) return false;
        uint32_t point = length == 1 ? first : first & (0x7F >> length);
        for (int k = 1; k < length; ++k) {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            point = point << 6 | (next & 0x3F);
        }
        const uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (point < least[length] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) return false;
        if (point < 0x20 || (point >= 0x7F && point < 0xA0)) return false;
        if (point == 0x61C || point == 0x200E || point == 0x200F || (point >= 0x202A && point <= 0x202E) ||
            (point >= 0x2066 && point <= 0x2069))
            return false;
        i += static_cast<std::size_t>(length);
    }
    return true;
}

// "2026-12-10T14:03:22Z".
bool wellFormedTime(const std::string& when) {
    if (when.size() != 20 || when[10] != 'T' || when[13] != ':' || when[16] != ':' || when[19] != 'Z') return false;
    if (!isDate(when.substr(0, 10))) return false;
    for (int i : {11, 12, 14, 15, 17, 18})
        if (!isDigit(when[i])) return false;
    return (when[11] - '0') * 10 + (when[12] - '0') < 24 && when[14] < '6' && when[17] < '6';
}

// Stripped of control characters and cut to a line's length, whole
// characters kept.
std::string oneLine(const std::string& text, std::size_t longest = 200) {
    std::string line;
    for (char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) continue;
        if (line.size() >= longest && (byte & 0xC0) != 0x80) {
            line += "…";
            break;
        }
        line += c;
    }
    return showableText(line) ? line : "(unreadable)";
}

std::string statusText(int status) { return "the board answered " + std::to_string(status); }
}  // namespace

bool readBoardAddress(const std::string& typed, std::string* origin, std::string* why) {
    std::string text = typed;
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.erase(0, 1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
    for (char c : text) {
        if (static_cast<unsigned char>(c) <= 0x20 || static_cast<unsigned char>(c) >= 0x7F) {
            *why = "a board's address has no blanks or characters other than ASCII letters, digits and signs";
            return false;
        }
    }
    std::string scheme = "http";
    const std::size_t separator = text.find("://");
    if (separator != std::string::npos) {
        scheme.clear();
        for (char c : text.substr(0, separator)) scheme += lower(c);
        text.erase(0, separator + 3);
        if (scheme != "http" && scheme != "https") {
            *why = "a board's address begins with http:// or https://";
            return false;
        }
    }
    if (!text.empty() && text.back() == '/') text.pop_back();
    if (text.find_first_of("/?#") != std::string::npos) {
        *why = "a board's address is its host and port alone, with no path after them";
        return false;
    }
    if (text.find('@') != std::string::npos) {
        *why = "a board's address holds no user or password";
        return false;
    }
    std::string host = text, port;
    const std::size_t colon = text.rfind(':');
    if (colon != std::string::npos && text.find(']', colon) == std::string::npos) {
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
    }
    for (char& c : host) c = lower(c);
    if (!wellFormedHost(host)) {
        *why = "\"" + host + "\" is no host name or address";
        return false;
    }
    if (colon != std::string::npos && host.size() != text.size()) {
        long number = 0;
        for (char c : port) number = port.size() <= 5 && isDigit(c) ? number * 10 + (c - '0') : -1;
        if (port.empty() || number < 1 || number > 65535 || port.front() == '0') {
            *why = "\"" + port + "\" is no port (1 to 65535)";
            return false;
        }
    }
    *origin = scheme + "://" + host + (port.empty() ? "" : ":" + port);
    return true;
}

std::string boardSecretOf(const unsigned char (&random)[kBoardSecretBytes]) {
    std::string text;
    uint32_t bits = 0;
    int count = 0;
    for (unsigned char byte : random) {
        bits = bits << 8 | byte;
        count += 8;
        while (count >= 6) text += kBase64Url[(bits >> (count -= 6)) & 63];
    }
    if (count > 0) text += kBase64Url[(bits << (6 - count)) & 63];
    return text;
}

bool wellFormedBoardSecret(const std::string& secret) {
    if (secret.size() != (kBoardSecretBytes * 4 + 2) / 3 || !allBase64Url(secret)) return false;
    // 32 bytes are 256 bits: the last character carries 4 of them and two 0s.
    const char* last = std::char_traits<char>::find(kBase64Url, 64, secret.back());
    return ((last - kBase64Url) & 3) == 0;
}

bool wellFormedListedId(const std::string& id) { return id.size() == 16 && allBase64Url(id); }

BoardRequest ticketRequest(const std::string& origin) {
    BoardRequest request;
    request.url = origin + "/api/tickets";
    request.post = true;
    request.seconds = 10;
    return request;
}

BoardRequest roundRequest(const std::string& origin, const std::string& recording, const std::string& secret) {
    BoardRequest request;
    request.url = origin + "/api/rounds";
    request.post = true;
    request.body = recording;
    request.secret = secret;
    // The board plays the round before it answers: milliseconds, but a busy
    // board queues it behind others.
    request.seconds = 30;
    return request;
}

BoardRequest dayRequest(const std::string& origin, const std::string& day) {
    BoardRequest request;
    request.url = origin + "/api/days/" + day;
    return request;
}

BoardRequest recordingRequest(const std::string& origin, const std::string& id) {
    BoardRequest request;
    request.url = origin + "/api/rounds/" + id + ".kvr";
    request.longestAnswer = longestRecording();
    request.seconds = 60;
    return request;
}

std::string refusalReason(const BoardAnswer& answer) {
    if (!answer.answered) return oneLine(answer.trouble);
    json object;
    std::string error;
    if (jsonObject(answer, &object) && stringMember(object, "error", 1000, &error))
        return oneLine(error) + " (" + std::to_string(answer.status) + ")";
    return statusText(answer.status);
}

BoardTicket readTicketAnswer(const BoardAnswer& answer) {
    BoardTicket ticket;
    json object;
    if (!answer.answered || answer.status != 200) {
        ticket.trouble = refusalReason(answer);
    } else if (!jsonObject(answer, &object) || !stringMember(object, "ticket", kLongestTicket, &ticket.ticket) ||
               !allBase64Url(ticket.ticket) || !isTicket(ticket.ticket) || !stringMember(object, "day", 10, &ticket.day) || !isDate(ticket.day)) {
        ticket.trouble = "the board's answer is not a ticket";
    } else {
        ticket.given = true;
    }
    return ticket.given ? ticket : BoardTicket{false, "", "", ticket.trouble};
}

RoundAnswer readRoundAnswer(const BoardAnswer& answer) {
    RoundAnswer sent;
    sent.status = answer.answered ? answer.status : 0;
    json object;
    int64_t score = 0;
    if (answer.answered && answer.status == 200) {
        if (jsonObject(answer, &object) && integerMember(object, "score", 0, kMaxBubbles, &score) &&
            stringMember(object, "id", 16, &sent.id) && wellFormedListedId(sent.id)) {
            sent.fate = RoundFate::Kept;
            sent.score = static_cast<int32_t>(score);
            return sent;
        }
        sent.id.clear();
        sent.reason = "the board's answer is not a kept round's";
        return sent;
    }
    sent.reason = refusalReason(answer);
    const int finals[] = {400, 403, 409, 413, 422};
    for (int status : finals)
        if (answer.answered && answer.status == status) sent.fate = RoundFate::Refused;
    sent.nameTaken = sent.fate == RoundFate::Refused && answer.status == 403;
    return sent;
}

DayRounds readDayAnswer(const BoardAnswer& answer, const std::string& day, std::size_t most) {
    DayRounds list;
    json object;
    std::string said;
    if (!answer.answered || answer.status != 200) {
        list.trouble = refusalReason(answer);
        return list;
    }
    const auto refused = [&](const std::string& why) {
        list.rounds.clear();
        list.trouble = "the board's list of the day is refused: " + why;
        return list;
    };
    if (!jsonObject(answer, &object)) return refused("not JSON");
    if (!stringMember(object, "day", 10, &said) || said != day) return refused("not the day asked for");
    const auto rounds = object.find("rounds");
    if (rounds == object.end() || !rounds->is_array()) return refused("no rounds");
    int64_t before = kMaxBubbles;
    for (const json& row : *rounds) {
        ShownRound round;
        int64_t bubbles = 0;
        if (!row.is_object()) return refused("a round is no object");
        if (!stringMember(row, "id", 16, &round.id) || !wellFormedListedId(round.id)) return refused("a round's id");
        std::string why;
        if (!stringMember(row, "name", kLongestPlayerNameBytes, &round.name) || !checkPlayerName(round.name, &why))
            return refused("a round's name");
        if (!integerMember(row, "bubbles", 0, before, &bubbles)) return refused("a round's bubbles, or their order");
        if (!stringMember(row, "when", 20, &round.when) || !wellFormedTime(round.when)) return refused("a round's time");
        before = bubbles;
        round.bubbles = static_cast<int32_t>(bubbles);
        if (list.rounds.size() < most) list.rounds.push_back(round);
    }
    list.read = true;
    list.day = day;
    return list;
}

bool readRecordingAnswer(const BoardAnswer& answer, RoundRecording* recording, std::string* trouble) {
    if (!answer.answered || answer.status != 200) {
        *trouble = refusalReason(answer);
        return false;
    }
    return readRecording(answer.body, recording, trouble);
}
