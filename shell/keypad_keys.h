#pragma once
// The keypad without NumLock, as Windows reads it: the block of moving keys.
// Every shell translates its keypad through this one table, so that keypad 4
// steers as the left arrow does wherever the game runs.

#include <cstdint>

#include "core/keys.h"

// Insert, End, Down, Page Down, Left, Clear, Right, Home, Up, Page Up for
// keypad 0..9.
constexpr int32_t kKeypadWithoutNumLock[10] = {0x2D, 0x23,      kKeyDown, 0x22,   kKeyLeft,
                                               0x0C, kKeyRight, 0x24,     kKeyUp, 0x21};
// Delete, for the keypad's point.
constexpr int32_t kKeypadPointWithoutNumLock = 0x2E;
