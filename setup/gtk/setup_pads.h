#pragma once
// The dialog's pads: SDL's game controllers, and joysticks no mapping knows,
// read as the game reads them (linux/sdl_pad_state.h) but without SDL's
// video, a few dozen times a second on GLib's main loop.

#include <cstdint>
#include <functional>

// Takes the PadMenuAction bits (setup/pad_menu.h) the pads ask for.
using PadActions = std::function<void(uint32_t actions)>;

// Starts reading the pads for the dialog; false when SDL has no pads to give
// (said on stderr), and the dialog goes on without them.
bool openSetupPads(const PadActions& act);

// While the dialog is hidden (a round is on) the pads ask for nothing; shown
// again, what is held then acts only once pressed anew.
void showSetupPads(bool shown);

void closeSetupPads();
