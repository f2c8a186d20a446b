#pragma once
// The frame's drawing: which picture the game as it stands is, drawn from
// the scene's pieces (render/scene.h). The frame's update is the Game's own
// (core/); shell/frame.cpp puts the two together.

struct Game;

// The end screen once the round is over, the paused picture while the
// round is paused, otherwise the play frame. A frame that only shows the
// picture (nothing moves) is this and a swap.
void renderFrame(const Game& game);
