#pragma once
// korvada-setup's GTK face: the dialog and its message boxes.

#include <string>

#include "setup/launch_settings.h"
#include "setup/setup_texts.h"

// Shows the settings dialog (gtk_init done). Returns true for Play, with the
// choices in *settings; false when the player closes it.
bool runSetupDialog(const SetupTexts& texts, const OfferedRows& offered, GameSettings* settings);

// A modal message box; `error` chooses the icon (else a warning).
void showSetupMessage(const SetupTexts& texts, const std::string& message, bool error);
