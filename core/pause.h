#pragma once
// The player's pause, the shells' to ask for (P, the Pause key, a pad's Start,
// a touch control): the round holds as it does for time away. No frame clock
// reading is taken while it holds and the clock starts a new interval when it
// goes on, so the pause is not played; the keys still reach the key table
// (an arrow held on going on steers at once), and Esc ends the round as ever
// and the pause with it. A paused frame draws the round as it stands, dimmed,
// with the pause mark (shell/frame.h's paintFrame, render/scene.h).

#include <cstdint>

struct Game;

// Holds the round; only a round that is on can pause. Returns whether it is paused now.
bool pauseRound(Game& game);
// Goes on from where it held, the frame clock from now. Nothing when not paused.
void resumeRound(Game& game);
// Pauses a round that is on, or goes on with a paused one; returns whether it is paused now.
bool togglePause(Game& game);
