#pragma once
// Browser keys as the Windows virtual-key codes the game's key table is
// indexed by, from a KeyboardEvent's `code` (the key's place on the keyboard)
// and `key` (what the layout prints on it). Plain C++, so the native tests
// check it too.

#include <cstdint>

// The virtual-key code, or -1 for keys the game has no code for. Digits,
// keypad, arrows and function keys go by place, as on Windows, where '1'..'6'
// stay on the top row whatever it prints; letters by the layout's letter.
// The keypad gives digits with NumLock on and moving keys with it off, which
// only `key` tells.
int32_t virtualKeyOfWebKey(const char* code, const char* key);

// Keys whose browser action stays although the game sees them: the function
// keys (reload, full screen, developer tools) and chords with Ctrl or the
// system key. The game's own keys are kept from the page, so that arrows and
// Space do not scroll it.
bool browserKeepsKey(const char* code, bool ctrlOrMetaHeld);
