#pragma once
// Gamepads as the keys the game knows, the same on every platform. Each shell
// reads its pads into a PadState (SDL's game controllers, XInput, the
// browser's standard mapping) and hands it here; the game sees only keys,
// held through the pads' own input source:
//   d-pad or left stick  the arrows
//   A (south)            Enter: leaves the end screen
//   Start                pauses the round and goes on (core/pause.h); on
//                        the end screen Enter, as A
//   B (east), Back       Esc: ends the round, leaves the end screen
//   shoulders            the previous / next camera preset, wrapping 1..6
//   right trigger        held past half way: a watched round plays fast
//                        (the shell's, as its Tab key; no key of the game)
// The keyboard's '1'..'6' still choose every preset directly.

#include <cstdint>

struct Game;

struct PadState {
    bool dpadUp = false, dpadDown = false, dpadLeft = false, dpadRight = false;
    float stickX = 0, stickY = 0;  // left stick, -1 (left, up) to 1 (right, down)
    bool south = false, east = false, start = false, back = false;
    bool leftShoulder = false, rightShoulder = false;
    bool rightTrigger = false;  // pressed past half way
};

// How far the stick must lean along an axis before it holds that arrow. A
// resting stick of a worn pad sits up to a quarter off its centre (XInput's
// own dead zone is 0.24); steering is all or nothing, so a lean that is
// plainly meant is the better threshold, and a 45° push holds both arrows
// from half deflection on.
constexpr float kStickDeadZone = 0.35f;

// Pads at once: SDL's open devices, XInput's four, the browser's list.
constexpr int kPadSlots = 8;

struct Pads {
    PadState slots[kPadSlots];  // a slot without a pad rests
    // Start pressed while the round was on paused it or went on: until it
    // is let go it holds no Enter, which the end screen would take for a
    // press of its own (Esc may end the round while Start is held).
    bool startPaused[kPadSlots] = {};
    // The pad in the slot has been read since it came: a Start it holds when
    // first read was pressed before (the setup's Start that began the
    // round), and pauses nothing until pressed anew.
    bool seen[kPadSlots] = {};
};

// A pad's new state: the keys all pads hold together are pressed or released
// where the pads' input source differs, so that one pad letting go of an
// arrow another still holds releases nothing, and a key a lost focus let go
// of is pressed again while a pad holds it; a shoulder pressed down steps
// the camera, and Start pressed down while the round is on pauses it or
// goes on.
void updatePad(Game& game, Pads& pads, int slot, const PadState& now);

// A pad gone (unplugged, or the game no longer sees it): whatever it held is
// let go, unless another pad holds it too.
void losePad(Game& game, Pads& pads, int slot);

// Whether a pad holds its right trigger: the shells' fast watch.
bool padsHoldFast(const Pads& pads);

// Every pad gone at once.
void loseAllPads(Game& game, Pads& pads);
