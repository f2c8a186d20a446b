#pragma once
// The keys every shell handles itself, beyond the game's key table, decided
// once: which key asks the shell for which action, which keys the window
// system keeps, and the latch that keeps an action's key from the game while
// it is held. Each shell turns its native key into the game's code
// (core/keys.h) with whether Alt is held, asks routeKey, and carries out the
// action on its own platform. A new key is a row of kShellKeys and, where it
// names a new action, that action on each platform. No platform header here.

#include <cstdint>

#include "core/keys.h"

// What a shell does for a key beyond the game's key table.
enum class ShellAction : int32_t {
    Nothing,
    ToggleFullScreen,  // full screen to a window of the game's size and back, for this round
    TogglePause,       // the round holds, or goes on (core/pause.h)
    ToggleMute,        // the cues silent for the run, or sounding again (core/sound_cues.h)
    SavePicture,       // the frame as a PNG in the player's pictures (render/frame_picture.h)
    HoldFast,          // a watched round plays four times as fast while its key is held
    LetGoFast,         // and at its own speed again once it is let go
};

// Held, not pressed: while it is down a watched round plays fast. It is the
// shell's alone, down and up, so the key table never holds it; auto-repeats
// change nothing.
constexpr int32_t kFastWatchKey = kKeyTab;

// Whether a row's key counts with Alt held, without, or either way.
enum class WithAlt : int32_t { No, Yes, Either };

struct ShellKey {
    int32_t key;  // core/keys.h
    WithAlt alt;
    ShellAction action;
};

// The shells' own keys. Either Enter: every shell gives the keypad's as Return.
// They hold, silence or picture the round and never steer it: the round
// reads none of them.
constexpr ShellKey kShellKeys[] = {
    {kKeyReturn, WithAlt::Yes, ShellAction::ToggleFullScreen},
    {kKeyF11, WithAlt::Either, ShellAction::ToggleFullScreen},
    {kKeyP, WithAlt::No, ShellAction::TogglePause},
    {kKeyPause, WithAlt::Either, ShellAction::TogglePause},
    {kKeyM, WithAlt::No, ShellAction::ToggleMute},
    {kKeyF12, WithAlt::Either, ShellAction::SavePicture},
};

// Where one key press (auto-repeats included) or release goes: on to the
// game's key table, to one of the shell's actions, or nowhere.
struct KeyRoute {
    bool toGame = false;
    ShellAction action = ShellAction::Nothing;
};

// The key whose action ran, while it is held. Its repeats reach nothing,
// whether Alt is still held or let go first: the end screen would close on
// Enter's repeats.
struct KeyLatch {
    int32_t key = -1;  // -1: none
};

// One key event: pressed (`repeat` when the key's own auto-repeat made the
// press) or let go, with Alt held or not. A press of the latched key that is
// no repeat was pressed anew: its release went to another window while
// this one had not the focus (no window system here can tell, on the
// focus's return, what was let go meanwhile), and the press counts as any.
// Presses of the keys Windows keeps to itself, any key with Alt held and
// F10, reach the game on no platform. Every release reaches it, Alt held or
// not: a key held before Alt went down is let go all the same, and letting
// go of a key the game does not hold (the latched one) changes nothing.
KeyRoute routeKey(KeyLatch& latch, int32_t key, bool down, bool altHeld, bool repeat);
