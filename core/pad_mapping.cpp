#include "core/pad_mapping.h"

#include "core/game.h"
#include "core/keys.h"
#include "core/pause.h"

namespace {
// The keys a pad can hold, by bit.
constexpr int32_t kPadKeys[] = {kKeyLeft, kKeyUp, kKeyRight, kKeyDown, kKeyReturn, kKeyEscape};
constexpr int kPadKeyCount = sizeof kPadKeys / sizeof kPadKeys[0];

uint32_t keysHeld(const PadState& pad, bool startPaused) {
    const bool held[kPadKeyCount] = {
        pad.dpadLeft || pad.stickX < -kStickDeadZone, pad.dpadUp || pad.stickY < -kStickDeadZone,
        pad.dpadRight || pad.stickX > kStickDeadZone, pad.dpadDown || pad.stickY > kStickDeadZone,
        pad.south || (pad.start && !startPaused),     pad.east || pad.back,
    };
    uint32_t bits = 0;
    for (int i = 0; i < kPadKeyCount; ++i)
        if (held[i]) bits |= 1u << i;
    return bits;
}
}  // namespace

void updatePad(Game& game, Pads& pads, int slot, const PadState& now) {
    if (slot < 0 || slot >= kPadSlots) return;
    const PadState before = pads.slots[slot];
    const bool firstRead = !pads.seen[slot];
    pads.slots[slot] = now;
    pads.seen[slot] = true;
    if (now.leftShoulder && !before.leftShoulder) stepCamera(game, PadInput, -1);
    if (now.rightShoulder && !before.rightShoulder) stepCamera(game, PadInput, 1);
    if (now.start && (firstRead || (!before.start && !game.gameOver))) {
        if (!firstRead) togglePause(game);
        pads.startPaused[slot] = true;
    }
    if (!now.start) pads.startPaused[slot] = false;

    // Against what the pads' source holds now, which a lost focus may have
    // let go of since the last update.
    uint32_t held = 0;
    for (int other = 0; other < kPadSlots; ++other) held |= keysHeld(pads.slots[other], pads.startPaused[other]);
    for (int i = 0; i < kPadKeyCount; ++i) {
        const bool holds = (held & 1u << i) != 0;
        if (holds == (game.sourceKeyDown[PadInput][kPadKeys[i]] != 0)) continue;
        if (holds)
            pressKey(game, PadInput, kPadKeys[i]);
        else
            releaseKey(game, PadInput, kPadKeys[i]);
    }
}

void losePad(Game& game, Pads& pads, int slot) {
    updatePad(game, pads, slot, PadState());
    if (slot >= 0 && slot < kPadSlots) pads.seen[slot] = false;
}

void loseAllPads(Game& game, Pads& pads) {
    for (int slot = 0; slot < kPadSlots; ++slot) losePad(game, pads, slot);
}

bool padsHoldFast(const Pads& pads) {
    for (const PadState& pad : pads.slots)
        if (pad.rightTrigger) return true;
    return false;
}
