#pragma once
// Keys as a player presses them, and the virtual-key code every shell must
// give for each: the SDL and the browser key tests both go through this one
// table, so that the two programs cannot drift apart. Each key is named as
// both see it: its USB usage (SDL's scancode) and the browser's `code` for
// its place, and the `key` text the layout and NumLock give it.

#include <cstdint>

struct KeyCase {
    int usbUsage;          // SDL_Scancode
    const char* code;      // KeyboardEvent.code
    const char* key;       // KeyboardEvent.key; one character is also SDL's keycode
    bool numLock;
    int32_t virtualKey;    // -1: the game has no code for it
};

constexpr KeyCase kKeyCases[] = {
    {0x50, "ArrowLeft", "ArrowLeft", false, 0x25},
    {0x52, "ArrowUp", "ArrowUp", false, 0x26},
    {0x4F, "ArrowRight", "ArrowRight", false, 0x27},
    {0x51, "ArrowDown", "ArrowDown", false, 0x28},
    {0x27, "Digit0", "0", false, 0x30},
    {0x1E, "Digit1", "1", false, 0x31},
    {0x23, "Digit6", "6", false, 0x36},
    {0x26, "Digit9", "9", true, 0x39},
    {0x04, "KeyA", "a", false, 0x41},
    {0x1D, "KeyZ", "z", false, 0x5A},
    {0x2C, "Space", " ", false, 0x20},
    {0x28, "Enter", "Enter", false, 0x0D},
    {0x58, "NumpadEnter", "Enter", true, 0x0D},
    {0x29, "Escape", "Escape", false, 0x1B},
    {0x3A, "F1", "F1", false, 0x70},
    {0x45, "F12", "F12", false, 0x7B},
    {0x48, "Pause", "Pause", false, 0x13},
    // The keypad with NumLock on: its own digits, which choose no camera.
    {0x62, "Numpad0", "0", true, 0x60},
    {0x59, "Numpad1", "1", true, 0x61},
    {0x5D, "Numpad5", "5", true, 0x65},
    {0x61, "Numpad9", "9", true, 0x69},
    {0x63, "NumpadDecimal", ".", true, -1},
    // Without NumLock: Insert, End, Down, Page Down, Left, Clear, Right,
    // Home, Up, Page Up and Delete, so that 2, 4, 6 and 8 steer.
    {0x62, "Numpad0", "Insert", false, 0x2D},
    {0x59, "Numpad1", "End", false, 0x23},
    {0x5A, "Numpad2", "ArrowDown", false, 0x28},
    {0x5B, "Numpad3", "PageDown", false, 0x22},
    {0x5C, "Numpad4", "ArrowLeft", false, 0x25},
    {0x5D, "Numpad5", "Clear", false, 0x0C},
    {0x5E, "Numpad6", "ArrowRight", false, 0x27},
    {0x5F, "Numpad7", "Home", false, 0x24},
    {0x60, "Numpad8", "ArrowUp", false, 0x26},
    {0x61, "Numpad9", "PageUp", false, 0x21},
    {0x63, "NumpadDecimal", "Delete", false, 0x2E},
    // Digits by place, letters by the layout's letter: a Czech layout prints
    // 'ě' on the 2 and swaps Y and Z; a Cyrillic one has no Latin letter, so
    // the key's place on a US keyboard counts.
    {0x1F, "Digit2", "ě", false, 0x32},
    {0x1C, "KeyY", "z", false, 0x5A},
    {0x14, "KeyQ", "й", false, 0x51},
    // Tab, the shells' own (the fast watch), by place.
    {0x2B, "Tab", "Tab", false, 0x09},
    // Keys the game has no code for.
    {0xE1, "ShiftLeft", "Shift", false, -1},
    {0x2D, "Minus", "-", false, -1},
    {0x68, "F13", "F13", false, -1},
    {0x57, "NumpadAdd", "+", true, -1},
};
