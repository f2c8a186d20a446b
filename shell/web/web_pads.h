#pragma once
// The browser's pads: read once a frame from the Gamepad API in its standard
// mapping, for the round (web_main.cpp) and for the page's form.

#include <emscripten/html5.h>

#include "shell/pad_mapping.h"

// A pad's state by the standard mapping: buttons 0 A, 1 B, 4 and 5 the
// shoulders, 8 Back, 9 Start, 12..15 the d-pad; axes 0 and 1 the left stick.
// A pad the browser has no mapping for keeps only what most have in common:
// its first stick, and its first button as A, which cannot end a round by a
// wrong guess.
PadState padStateOf(const EmscriptenGamepadEvent& pad);
