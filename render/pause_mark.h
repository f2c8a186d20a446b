#pragma once
// The paused picture: the play frame under a dark veil, with the pause mark
// (two upright bars) in the middle of the view.

struct Game;

// Leaves the GL state as it found it.
void drawPausedFrame(const Game& game);
