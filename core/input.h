#pragma once
// Where every device reports its keys. The keyboard, a gamepad and touch
// each keep their own set of held keys (Windows virtual-key codes, as in
// core/keys.h: a pad's directions and buttons and a touch control report as
// the keys they stand for), and the Game's key table, which the simulation
// and the end screen read, holds the keys that any of them holds. So letting
// go of a pad direction leaves an arrow still held on the keyboard held, and
// a device that goes away (a pad unplugged, a page that lost the focus)
// releases what it held and nothing else.
//
// The operations are the Game's (core/input.cpp):
//   pressKey(source, key)   the source holds the key; the camera keys '1'..'6'
//                           choose the view and Esc ends the round, from any source
//   releaseKey(source, key) the source lets go; the key stays held while
//                           another source holds it
//   releaseSource(source)   the source lets go of everything it held
// Codes outside the key table are ignored.

#include <cstdint>

enum InputSource : int32_t { KeyboardInput, PadInput, TouchInput, kInputSourceCount };
