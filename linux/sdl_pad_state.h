#pragma once
// SDL's pads as PadStates, with the player's own mappings: shared by the game
// (sdl_pads.cpp) and the setup's dialog, which reads the same pads the same
// way without SDL's video.

#include <SDL.h>

#include <string>

#include "core/pad_mapping.h"

// Starts SDL's game controllers with its own mappings, the player's file that
// SDL_GAMECONTROLLERCONFIG_FILE names, and then the player's
// $XDG_CONFIG_HOME/korvada/gamecontrollerdb.txt (~/.config when unset), all
// before the first pad is opened. False, said on stderr after `program`'s
// name, when SDL has no pads to give.
bool startGamepads(const char* program);

// The file of the player's own mappings.
std::string padMappingsFile();

// A game controller's state, by SDL's mapping.
PadState controllerState(SDL_GameController* pad);

// A joystick no mapping knows, by its first two axes, its first hat and its
// first button: the first button counts as A, which only leaves the end
// screen (and plays, in the dialog), so a wrong guess cannot end a round.
PadState joystickState(SDL_Joystick* stick);
