#pragma once
// The best round kept for a number of bottles, as the setup dialogs offer it
// to be watched again: read and checked with the game's own reader, so that
// Watch best is offered only for a recording the game would play, and one
// damaged since is refused on the dialog's line, in its language. No
// platform header here.

#include <filesystem>
#include <string>

#include "core/saved_file.h"
#include "setup/setup_texts.h"

struct KeptRound {
    std::filesystem::path file;  // beside the table of best catches (core/best_catches.h)
    bool playable = false;
    std::string trouble;         // why not, in English, as stderr says it; "" when playable
};

// The round of a row (its `round`, core/best_catches.h) kept beside the
// table in `catchesFile` for `bottles` bottles.
KeptRound keptRound(const std::filesystem::path& catchesFile, int bottles, int round = 0);

// Watch best is offered for a round the game would play, while the dialog
// has a row to see it in (Play is offered).
bool offersWatch(const KeptRound& round, bool playOffered);

// The dialog's line for a round that cannot be watched, in the language.
std::string watchRefusal(const SetupTexts& texts, const KeptRound& round);

// --- Save round… -------------------------------------------------------------

// The name a row's round is offered to be saved under: its day and its
// bubbles, "korvada-2026-12-10-14.kvr" ("korvada-14.kvr" without a day).
std::string savedRoundName(const BestCatch& row);

// A copy of the round's recording in `to`, in one step (core/saved_file.h):
// the bytes read again and checked by the game's reader first, so that a
// recording damaged since it was offered is refused, not copied. False with
// the reason in English.
bool saveRoundCopy(const KeptRound& round, const std::filesystem::path& to, const DiskSteps& disk, std::string* error);

// The dialog's line after Save round: where the round went, or why not.
RoundEnd savedRoundLine(const SetupTexts& texts, const std::filesystem::path& to, bool saved, const std::string& error);
