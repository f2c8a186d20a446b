#pragma once
// Where every device reports its keys. The keyboard, a gamepad and touch
// each keep their own set of held keys (Windows virtual-key codes, as in
// core/keys.h: a pad's directions and buttons and a touch control report as
// the keys they stand for), and the Game's key table, which the simulation
// and the end screen read, holds the keys that any of them holds. So letting
// go of a pad direction leaves an arrow still held on the keyboard held, and
// a device that goes away (a pad unplugged, a finger lost to the page)
// releases what it held and nothing else.
//
// The operations on the Game's key table (core/input.cpp):
//   pressKey(game, source, key)    the source holds the key; the camera keys
//                                  (core/cameras.h) choose the view and Esc
//                                  ends the round (a paused one too), from
//                                  any source
//   releaseKey(game, source, key)  the source lets go; the key stays held while
//                                  another source holds it
//   releaseSource(game, source)    the source lets go of everything it held
//   releaseAllKeys(game)           every device lets go: every shell calls it
//                                  when its window or page loses the focus,
//                                  since the key-ups then go elsewhere (a
//                                  recording played back holds its keys on)
//   stepCamera(game, source, step) the preset `step` places on from the one
//                                  shown, round from the last to the first,
//                                  as its number key pressed and let go
// Codes outside the key table are ignored. The keyboard's own handlers, the
// Game's onKeyDown and onKeyUp, press and release through KeyboardInput.

#include <cstdint>

struct Game;

// RecordingInput is a recording played back (core/round_driver.h), which
// holds the keys its round held.
enum InputSource : int32_t { KeyboardInput, PadInput, TouchInput, RecordingInput, kInputSourceCount };

void pressKey(Game& game, InputSource source, int32_t virtualKey);
void releaseKey(Game& game, InputSource source, int32_t virtualKey);
void releaseSource(Game& game, InputSource source);
void releaseAllKeys(Game& game);
void stepCamera(Game& game, InputSource source, int32_t step);
