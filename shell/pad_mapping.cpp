#include "shell/pad_mapping.h"

#include "core/game.h"
#include "core/keys.h"

namespace {
// The keys a pad can hold, by bit.
constexpr int32_t kPadKeys[] = {kKeyLeft, kKeyUp, kKeyRight, kKeyDown, kKeyReturn, kKeyEscape};
constexpr int kPadKeyCount = sizeof kPadKeys / sizeof kPadKeys[0];

uint32_t keysHeld(const PadState& pad) {
    const bool held[kPadKeyCount] = {
        pad.dpadLeft || pad.stickX < -kStickDeadZone, pad.dpadUp || pad.stickY < -kStickDeadZone,
        pad.dpadRight || pad.stickX > kStickDeadZone, pad.dpadDown || pad.stickY > kStickDeadZone,
        pad.south || pad.start,                       pad.east || pad.back,
    };
    uint32_t bits = 0;
    for (int i = 0; i < kPadKeyCount; ++i)
        if (held[i]) bits |= 1u << i;
    return bits;
}

// A camera key pressed and let go at once: the keyboard's own way of
// choosing the preset, so the end screen and the key table see nothing new.
void stepCamera(Game& game, int step) {
    const int32_t key = kKey1 + (game.cameraIndex + step + kCameraPresetCount) % kCameraPresetCount;
    game.pressKey(PadInput, key);
    game.releaseKey(PadInput, key);
}
}  // namespace

void updatePad(Game& game, Pads& pads, int slot, const PadState& now) {
    if (slot < 0 || slot >= kPadSlots) return;
    const PadState before = pads.slots[slot];
    pads.slots[slot] = now;
    if (now.leftShoulder && !before.leftShoulder) stepCamera(game, -1);
    if (now.rightShoulder && !before.rightShoulder) stepCamera(game, 1);

    uint32_t held = 0;
    for (const PadState& pad : pads.slots) held |= keysHeld(pad);
    for (int i = 0; i < kPadKeyCount; ++i) {
        const uint32_t bit = 1u << i;
        if ((held & bit) == (pads.held & bit)) continue;
        if (held & bit)
            game.pressKey(PadInput, kPadKeys[i]);
        else
            game.releaseKey(PadInput, kPadKeys[i]);
    }
    pads.held = held;
}

void losePad(Game& game, Pads& pads, int slot) { updatePad(game, pads, slot, PadState()); }

void loseAllPads(Game& game, Pads& pads) {
    for (int slot = 0; slot < kPadSlots; ++slot) losePad(game, pads, slot);
}
