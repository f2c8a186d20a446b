#pragma once
// What the settings programs say to a board (docs/board.md) and how they
// read what it says back, on every platform: the address the player gives,
// the requests, each answer read strictly before anything in it is believed,
// and which answers settle a round for good. No platform header here: each
// platform hands a BoardRequest to its own transport (libcurl, WinHTTP,
// fetch) and brings back a BoardAnswer. Whatever comes from the network is
// hostile until read here: bounded before it is read (the transports stop at
// longestAnswer), then taken only when it is exactly what the board sends.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct RoundRecording;

// --- The address -------------------------------------------------------------

// The board's origin from what the player typed: "http://host[:port]" or
// "https://host[:port]", the scheme and host in lower case, no path (a
// lone "/" goes). "host" or "host:port" alone is taken as http://. False,
// with why in English, for anything else: another scheme, a user or
// password, a path, query or fragment, a host that is no name or address,
// a port out of 1 to 65535, blanks or control characters inside.
bool readBoardAddress(const std::string& typed, std::string* origin, std::string* why);

// --- The name's secret -----------------------------------------------------------

constexpr std::size_t kBoardSecretBytes = 32;

// The secret the client makes for itself, from kBoardSecretBytes random
// bytes of the platform's: base64url without padding, 43 characters. Sent
// with every round, the first included, it claims the player's name on a
// board and proves it is theirs afterwards.
std::string boardSecretOf(const unsigned char (&random)[kBoardSecretBytes]);

// Whether a kept secret is one boardSecretOf makes (43 characters of
// base64url whose last one carries no stray bits).
bool wellFormedBoardSecret(const std::string& secret);

// --- Requests and answers ----------------------------------------------------------

// Bounds of an answer's body: the board's JSON answers, and a round's
// recording (core/recording.h's longestRecording, known only in the .cpp).
constexpr std::size_t kLongestBoardJson = 64 * 1024;

// One exchange, as a transport makes it: GET, or POST of `body` as
// application/octet-stream; `secret` in a Korvada-Secret header when not
// empty. The transport gives up after `seconds` in all (5 of them to
// connect) and as soon as the answer's body would pass `longestAnswer`.
// Redirects are not followed.
struct BoardRequest {
    std::string url;
    bool post = false;
    std::string body;
    std::string secret;
    std::size_t longestAnswer = kLongestBoardJson;
    int seconds = 15;
};

// What came back: an HTTP answer whole within the bounds (`status` and
// `body`), or none, with why in English ("cannot connect to …", "no answer
// within 15 s", "the answer is longer than 65536 bytes").
struct BoardAnswer {
    bool answered = false;
    int status = 0;
    std::string body;
    std::string trouble;
};

BoardRequest ticketRequest(const std::string& origin);
BoardRequest roundRequest(const std::string& origin, const std::string& recording, const std::string& secret);
// The day as "2026-12-10".
BoardRequest dayRequest(const std::string& origin, const std::string& day);
// A round's id as a day's list gives it (wellFormedListedId).
BoardRequest recordingRequest(const std::string& origin, const std::string& id);

// A round's id as the board makes them: 16 characters of base64url.
bool wellFormedListedId(const std::string& id);

// --- What the answers say ------------------------------------------------------------

// A ticket for a round of today's: 1 to 64 characters of base64url (a
// recording's ticket, and one word on the game's command line), and the
// board's UTC day. Else `trouble`, one line.
struct BoardTicket {
    bool given = false;
    std::string ticket;
    std::string day;
    std::string trouble;
};
BoardTicket readTicketAnswer(const BoardAnswer& answer);

// A round sent: kept (the board's score and id), refused for good (the
// board's reason: the round can never be kept, by this board or any other,
// since its ticket is this board's), or not settled (no answer, too many
// rounds this minute, the board's database away, an answer that is not the
// board's): it may go again later.
enum class RoundFate { Kept, Refused, Unsettled };
struct RoundAnswer {
    RoundFate fate = RoundFate::Unsettled;
    int status = 0;          // the HTTP status, 0 for no answer
    int32_t score = 0;       // kept: the bubbles the board counted
    std::string id;          // kept: the round's id on the board
    std::string reason;      // refused or unsettled: why, in English, one line
    bool nameTaken = false;  // refused: the name is another player's there (403)
};
// 200 is kept; 400, 403, 409, 413 and 422 are refused for good (a damaged
// round, the name another's, the ticket used, too long, not the day's round
// or its clock); any other answer, or none, leaves the round unsettled.
RoundAnswer readRoundAnswer(const BoardAnswer& answer);

// One line of a day's list, as the board sends it.
struct ShownRound {
    std::string id;
    std::string name;
    int32_t bubbles = 0;
    std::string when;  // "2026-12-10T14:03:22Z"
};

// The day's best rounds, best first, the first `most` of them.
struct DayRounds {
    bool read = false;
    std::string day;
    std::vector<ShownRound> rounds;
    std::string trouble;
};
// Strictly: the asked day, each row with a well-formed id, a name the game
// takes (core/player_name.h), bubbles from 0 to the most a round has, a
// time, in order of bubbles; anything else refuses the whole answer with
// its line.
DayRounds readDayAnswer(const BoardAnswer& answer, const std::string& day, std::size_t most = 10);

// A refusal's reason as the board gave it ({"error":"…"}), or the status
// alone when its body is not such a line; bounded and stripped of control
// characters, for a dialog's line.
std::string refusalReason(const BoardAnswer& answer);

// A round's recording downloaded to be watched: a 200 whose body is a
// recording the game reads (core/recording.h), in *recording; else false,
// with why in *trouble.
bool readRecordingAnswer(const BoardAnswer& answer, RoundRecording* recording, std::string* trouble);
