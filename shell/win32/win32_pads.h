#pragma once
// Gamepads on Windows through XInput, loaded when the game starts: a system
// without it (no xinput1_4.dll nor xinput9_1_0.dll) plays with the keyboard.

#include "core/game.h"

void loadXInput();

// Once a frame while the window is active: each pad's state to the game.
void pollPads(Game& game);
