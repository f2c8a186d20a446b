#include "shell/shell_keys.h"

namespace {
bool altMatches(WithAlt wanted, bool altHeld) { return wanted == WithAlt::Either || (wanted == WithAlt::Yes) == altHeld; }

ShellAction actionOf(int32_t key, bool altHeld) {
    for (const ShellKey& row : kShellKeys)
        if (row.key == key && altMatches(row.alt, altHeld)) return row.action;
    return ShellAction::Nothing;
}
}  // namespace

KeyRoute routeKey(KeyLatch& latch, int32_t key, bool down, bool altHeld, bool repeat) {
    KeyRoute route;
    if (key < 0) return route;
    if (key == kFastWatchKey) {
        route.action = !down ? ShellAction::LetGoFast : repeat ? ShellAction::Nothing : ShellAction::HoldFast;
        return route;
    }
    if (!down) {
        if (key == latch.key) latch.key = -1;
        route.toGame = true;
        return route;
    }
    if (key == latch.key) {
        if (repeat) return route;
        latch.key = -1;
    }
    if (!repeat) route.action = actionOf(key, altHeld);
    if (route.action != ShellAction::Nothing) {
        latch.key = key;
        return route;
    }
    route.toGame = !altHeld && key != kKeyF10;
    return route;
}
