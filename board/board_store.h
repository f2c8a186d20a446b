#pragma once
// Where the board keeps its rounds: a record of functions over one
// database, so that the server neither knows nor cares which one it is.
// Two backends fill it in, each in a file pair of its own: SQLite
// (store_sqlite.h, one file in the state folder) and PostgreSQL
// (store_postgres.h, for several board processes sharing one database).
// Both apply the same migrations (board_schema.h) and keep the same tables.
//
// Every function may be called from any of the server's threads at once;
// each backend keeps its own connections. A function that fails says why
// in one line in *trouble and has changed nothing.

#include <cstdint>
#include <string>
#include <vector>

// A verified round, as the board keeps it.
struct NewRound {
    std::string id;          // the board's own, random
    std::string ticket;      // at most one round per ticket
    std::string digest;      // SHA-256 of the recording, hex: a resend is the same round
    int32_t day = 0;         // days since 1970-01-01, UTC: the day's round it is
    std::string name;        // the player's, checked
    std::string secretHash;  // SHA-256 of the secret that claims the name, hex
    int32_t bubbles = 0;     // the board's own count
    int32_t frames = 0;
    int64_t recordedMs = 0;  // the frames' time
    int64_t realMs = 0;      // the round's time on the player's counter, pauses included
    int64_t receivedMs = 0;  // the board's clock, milliseconds since 1970
    std::string gameVersion;
    std::string recording;   // the bytes as sent
};

enum class AddOutcome {
    Added,       // kept now
    Again,       // this very recording was kept before (a resend): *existingId
    TicketUsed,  // another recording was kept with this ticket
    NameTaken,   // the name is claimed with another secret
    Failed,      // the database did not take it: *trouble
};

// One line of a day's board.
struct ListedRound {
    std::string id;
    std::string name;
    int32_t bubbles = 0;
    int64_t receivedMs = 0;
};

struct StoredRound {
    ListedRound listed;
    int32_t day = 0;
    std::string recording;
};

struct BoardStore {
    void* db = nullptr;
    const char* kind = "";  // "sqlite" or "postgresql", for the start line

    // In one transaction: claims the name for `secretHash` when nobody has
    // it, or checks that `secretHash` is the one it was claimed with (a name
    // claimed before needs its own), and keeps the round unless its ticket
    // was used already.
    AddOutcome (*addRound)(void* db, const NewRound& round, std::string* existingId, std::string* trouble) = nullptr;
    // The day's best round of each name, best first (most bubbles, then the
    // earliest), at most `limit`.
    bool (*dayRounds)(void* db, int32_t day, int32_t limit, std::vector<ListedRound>* rounds,
                      std::string* trouble) = nullptr;
    // The round with this id; false with an empty *trouble when there is none.
    bool (*round)(void* db, const std::string& id, StoredRound* round, std::string* trouble) = nullptr;
    // The value kept under `key`, or `proposed` kept under it when there was
    // none: what several processes on one database agree on (the ticket key).
    bool (*sharedValue)(void* db, const std::string& key, const std::string& proposed, std::string* value,
                        std::string* trouble) = nullptr;
    void (*close)(void* db) = nullptr;
};
