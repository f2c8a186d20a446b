#pragma once
// The title of a game's window watching a recording, for the shells: the
// round played through once first, for the bubbles it ends with. Its own
// file, as it needs the rules, which the setup programs do not link.

#include <string>

#include "core/recording.h"
#include "setup/setup_texts.h"

// watchedRoundTitle of the recording: its player's name, its day (a
// version-1 recording has none) and its round's bubbles at the end.
std::string watchingTitle(const Language& language, const RoundRecording& recording);
