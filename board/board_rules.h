#pragma once
// What the board decides about a round before it keeps it, apart from the
// server and the database, so that each rule is tested alone: the day rule,
// the clock rule, its tickets, and the tokens it hands out.

#include <cstdint>
#include <string>

#include "core/daily_round.h"  // dayText and readDay: "2026-12-10" and back

// --- Days: days since 1970-01-01, UTC -------------------------------------

int32_t utcDay(int64_t unixMs);
std::string utcTimeText(int64_t unixMs);  // "2026-12-10T14:03:22Z"

// The day rule: a round of today's is kept when its day is the board's UTC
// day at its ticket, or the day before (a round begun just before midnight,
// or a game whose day turned a little late). Empty when it may be kept,
// else why not.
std::string dayTrouble(int32_t roundDay, int64_t ticketMs);

// --- The clock rule -----------------------------------------------------------

// A round's times: the board's own clock at its ticket and at its arrival,
// the round's frames added up, and the round's real time on the player's
// counter from the layout to its end, pauses and time away included.
struct RoundTimes {
    int64_t ticketMs = 0;
    int64_t arrivedMs = 0;
    double recordedSeconds = 0;
    int64_t realMs = 0;
};

// What the board allows beyond the round's own real time: starting the game
// after the ticket and sending the round when it ends. A round played with
// its clock slowed to half speed takes at least 45 s more than it says (the
// shortest fall), and is refused.
constexpr int64_t kClockSlackMs = 20000;
// Two counters never tick quite alike: the frames may add up to this much
// more than the board's clock saw.
constexpr double kClockDrift = 0.005;
constexpr int64_t kClockDriftMs = 250;
// A ticket older than this is no longer taken.
constexpr int64_t kTicketLifetimeMs = 30 * 60 * 1000;

// Empty when the times agree, else why not, in one line:
// - the frames add up to more than the wall time since the ticket (a clock
//   run fast), or to more than the round's own real time;
// - the wall time exceeds the round's real time (its frames plus its
//   pauses) by more than kClockSlackMs (a clock run slow, or a round
//   sent late);
// - the ticket is older than kTicketLifetimeMs, or from the future.
std::string clockTrouble(const RoundTimes& times);

// --- Tickets -------------------------------------------------------------------

// A ticket is the board's own signed note of when it was asked for: the
// time, a random part and an HMAC-SHA256 of both under the board's key
// (shared through the database by all its processes), 43 characters of
// base64url. Nothing is stored for it; one round per ticket is kept.
std::string makeTicket(const std::string& key, int64_t issuedMs);
// The time a ticket of this key was issued at; false for anything else.
bool readTicket(const std::string& key, const std::string& ticket, int64_t* issuedMs);

// --- Tokens ---------------------------------------------------------------------

// `bytes` random bytes from the system's generator, as base64url without padding.
std::string randomToken(size_t bytes);
std::string sha256Hex(const std::string& bytes);
// A name's secret as the board hands it out: 32 random bytes, 43 characters.
constexpr size_t kSecretBytes = 32;
bool wellFormedSecret(const std::string& secret);
// A round's id: 12 random bytes, 16 characters.
constexpr size_t kRoundIdBytes = 12;
bool wellFormedRoundId(const std::string& id);
