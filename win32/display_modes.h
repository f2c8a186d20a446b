#pragma once
// The display modes both Windows programs ask for: the game switches to its
// mode, and the setup dialog offers a row only when the same request passes
// the display's test.

#include <windows.h>

// The user's desktop mode as the registry keeps it for the display, whatever
// another program may have switched to at this moment. False when the
// display does not answer; *mode is then cleared but for its size field.
bool readRegistryDesktopMode(DEVMODEA* mode);

// The game's full-screen mode: the given size at the desktop's depth, and
// nothing else requested, in the DEVMODEA layout every Windows version
// accepts for a change (without the panning fields).
DEVMODEA gameModeFor(const DEVMODEA& desktop, int width, int height);
