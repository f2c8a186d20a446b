#pragma once
// korvada-setup's GTK face: the dialog and its message boxes.

#include <glib.h>

#include <filesystem>
#include <functional>
#include <string>

#include "setup/launch_settings.h"
#include "setup/setup_texts.h"

// Saves the choice and starts the game with it, or, with a recording to
// `watch`, plays it back seen with the choice (saving nothing); the game's
// process id, or 0 when it could not be started (the player has been told
// why). A choice that could not be saved still plays: *notSaved says why,
// for the dialog's line once the round is over.
using StartRound = std::function<GPid(const LaunchChoice& choice, const std::filesystem::path& watch, RoundKind kind,
                                      std::string* notSaved)>;

// Shows the settings dialog (gtk_init done) until the player closes it. Play
// starts a round and hides the dialog while it lasts; when the game ends the
// dialog comes back with Play focused, so Enter plays again, and says why a
// round failed, or that it set a new best, or why the choice or the best
// catches could not be written. Beside the number of bottles it shows the
// best catch for that many and its day, from the table in `bestCatches`;
// Watch best, offered while the best round for that many is kept beside the
// table and the game would play it, plays it back, or says on the dialog's
// line why it cannot. Today's round plays the day's round under the name
// typed (a name the rule refuses is said on the line, and nothing starts),
// with the day's best beside it. The pads work it too (setup/pad_menu.h).
void runSetupDialog(const SetupTexts& texts, const ScreenRows& screen, LaunchChoice choice, const StartRound& play,
                    const std::filesystem::path& bestCatches);

// A modal message box; `error` chooses the icon (else a warning).
void showSetupMessage(const SetupTexts& texts, const std::string& message, bool error);
