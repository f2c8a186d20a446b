#include "setup/pad_menu.h"

namespace {
constexpr uint32_t kDirections = PadMoreBottles | PadFewerBottles | PadNextRow | PadPreviousRow;

uint32_t heldBy(const PadState* pads, int count) {
    uint32_t held = 0;
    for (int i = 0; i < count; ++i) {
        const PadState& pad = pads[i];
        if (pad.south || pad.start) held |= PadPlay;
        if (pad.east || pad.back) held |= PadClose;
        if (pad.dpadUp || pad.stickY < -kStickDeadZone) held |= PadMoreBottles;
        if (pad.dpadDown || pad.stickY > kStickDeadZone) held |= PadFewerBottles;
        if (pad.dpadRight || pad.stickX > kStickDeadZone) held |= PadNextRow;
        if (pad.dpadLeft || pad.stickX < -kStickDeadZone) held |= PadPreviousRow;
    }
    return held;
}

// Whether `now` is at or past `moment` on a clock that may wrap.
bool reached(uint32_t now, uint32_t moment) { return static_cast<int32_t>(now - moment) >= 0; }
}  // namespace

uint32_t padMenuActions(PadMenu& menu, const PadState* pads, int count, uint32_t now) {
    const uint32_t held = heldBy(pads, count);
    menu.ignored &= held;
    const uint32_t counted = held & ~menu.ignored;
    const uint32_t pressed = counted & ~menu.held;
    menu.held = counted;
    if (pressed & kDirections) {
        menu.repeatAt = now + kPadRepeatDelayMs;
        return pressed;
    }
    if ((counted & kDirections) && reached(now, menu.repeatAt)) {
        menu.repeatAt = now + kPadRepeatMs;
        return pressed | (counted & kDirections);
    }
    return pressed;
}

void padMenuShown(PadMenu& menu, const PadState* pads, int count) {
    menu.ignored = heldBy(pads, count);
    menu.held = 0;
}
