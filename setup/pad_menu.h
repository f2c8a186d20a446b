#pragma once
// The settings dialogs and the web form with a pad alone: A or Start plays,
// B or Back closes; the d-pad or the left stick changes the number of
// bottles (up more, down fewer) and the resolution (right the next row of
// the list, left the one before). The same on every platform: each dialog
// reads its pads into PadStates (core/pad_mapping.h) and acts on what
// padMenuActions returns.

#include <cstdint>

#include "core/pad_mapping.h"

enum PadMenuAction : uint32_t {
    PadPlay = 1u << 0,
    PadClose = 1u << 1,
    PadMoreBottles = 1u << 2,
    PadFewerBottles = 1u << 3,
    PadNextRow = 1u << 4,
    PadPreviousRow = 1u << 5,
};

// A direction held acts again after this long, then at this pace: 4 to 40
// bottles is a hold of a few seconds.
constexpr uint32_t kPadRepeatDelayMs = 400;
constexpr uint32_t kPadRepeatMs = 80;

struct PadMenu {
    uint32_t held = 0;      // what the pads held at the last reading
    uint32_t ignored = 0;   // held when the dialog came back: nothing until let go
    uint32_t repeatAt = 0;  // when a held direction acts again
};

// The actions asked for by the pads' states now (`now` in milliseconds of
// any steady clock): each button and direction once as it goes down, and a
// held direction again and again.
uint32_t padMenuActions(PadMenu& menu, const PadState* pads, int count, uint32_t now);

// The dialog shows again after a round: what is held now acts only once let
// go and pressed anew, so that the A that closed the end screen does not
// start the next round.
void padMenuShown(PadMenu& menu, const PadState* pads, int count);
